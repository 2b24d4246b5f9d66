#include "fuzz/FuzzStick.h"

#include <QComboBox>
#include <QRadioButton>

#include "devices/modStickReader.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "sticktool/EngineeringFrame.h"

namespace {

struct FactoryHand : Prompts::Handler {
    int autotuneReads = 0;
    int MsgBox(const std::string&, int, const std::string& title) override {
        if (title == "Autotune Test") return autotuneReads++ == 0 ? Prompts::OK : Prompts::Cancel;
        return title == "Running Read Range Test" ? Prompts::OK : Prompts::Cancel;
    }
    bool InputBox(const std::string&, const std::string& title, std::string& answer, bool) override {
        if (title == "Enter RTC Frequency") answer = "512";
        else if (title == "Enter Serial Number") answer = "123456789";
        else return false;
        return true;
    }
    bool OpenFile(Prompts::FileDialog&) override { return false; }
    bool SaveFile(Prompts::FileDialog&) override { return false; }
};

}  // namespace

namespace Fuzz {

StickTools::StickTools()
    : stick([] {
          return StickConnection::Port{1, modStickReader::StickSettings};
      }),
      frame(new EngineeringFrame(&window)),
      before_(Prompts::SetHandler(std::make_unique<FactoryHand>())) {
    frame->CreateControls();
}

StickTools::~StickTools() { Prompts::SetHandler(std::move(before_)); }

void StickTools::AcceptanceTest(const std::string& configuration) {
    FileSystem::WriteAll(FileSystem::Join(Program::ProgramFolder(), "Factory.conf"), configuration);
    frame->cboConfigFiles->clear();
    frame->ListConfigurationFiles();
    frame->cboConfigFiles->setCurrentIndex(frame->cboConfigFiles->findText("Factory"));
    frame->optBattery[0]->setChecked(true);
    frame->optAgricultural[0]->setChecked(true);
    frame->RunAcceptanceTest(stick);
}

}  // namespace Fuzz
