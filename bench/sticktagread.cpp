// A tag read of the stick tool at the wire's own speed: 5,000 stored reads (about 160 kB) read
// at 19,200 baud into text windows, one per group, with group labels and times, sorted, the
// tags shown as decimal EIDs. Its reference in the same run is the pure wire time of the
// read's commands and replies, both ways, at 1,920 bytes a second; no time-outs are scaled.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QRadioButton>

#include <chrono>
#include <map>
#include <thread>

#include "core/modCommon.h"
#include "core/modRegistry.h"
#include "devices/modHandheld.h"
#include "fixtures/BenchApplication.h"
#include "fixtures/BenchHome.h"
#include "fixtures/StickWire.h"
#include "platform/IniFile.h"
#include "sim/SimStick.h"
#include "sticktool/frmSimple.h"
#include "widgets/TextWindow.h"

namespace {

constexpr int kReads = 5000;
constexpr long kPort = 5;
using Clock = std::chrono::steady_clock;

void WaitFor(const std::function<bool()>& done) {
    while (!done()) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void StickTagReadAtNineteenThousandTwoHundredBaud(benchmark::State& state) {
    setenv("KELVO_TIME_SCALE", "1", 1);
    for (auto _ : state) {
        BenchHome home;
        modCommon::EditionCode = 1;
        SimStick stick;
        IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", stick.SlavePath(),
                       "COM" + std::to_string(kPort));
        modCommon::SetLastUsedComPort(2, kPort);
        stick.SetConfigValue(19, "2");
        for (int i = 0; i < kReads; ++i)
            stick.AddRecordText(StickWire::EID(826, 100000 + (i * 7919) % kReads) + "|" +
                                std::string(1, static_cast<char>('1' + i % 4)) + "|120324090000");
        stick.Start();
        frmSimple& window = frmSimple::Instance();
        window.show();
        WaitFor([&] { return window.cmdStickAction[0]->isEnabled(); });
        window.optDisplayApplication[0]->setChecked(true);
        for (QCheckBox* box : {window.ckbSortTags, window.ckbIncludeGroupLabels, window.ckbIncludeTimeScanned})
            box->setChecked(true);
        const std::map<char, std::string> payloads = {
            {'c', StickWire::ConfigurationPayload(stick)},
            {'r', modHandheld::JoinText(stick.Records(), modHandheld::ItemSeparator)}};
        stick.ClearReceived();
        stick.SetBytesPerSecond(StickWire::BytesPerSecond);

        const auto start = Clock::now();
        window.cmdStickAction[0]->click();
        const double total = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(total);

        const double wire = StickWire::Seconds(stick, payloads);
        state.counters["reply_kB"] = static_cast<double>(payloads.at('r').size()) / 1000;
        state.counters["total_s"] = total;
        state.counters["wire_s"] = wire;
        state.counters["ratio"] = total / wire;
        const auto windows = TextWindow::OpenWindows();
        if (windows.size() != 1 || windows[0]->Text().size() < static_cast<size_t>(kReads) * 40)
            state.SkipWithError("the read did not reach its window");
        for (TextWindow* text : windows) delete text;
        DefaultInstance<frmSimple>::Unload();
        stick.Stop();
    }
}
BENCHMARK(StickTagReadAtNineteenThousandTwoHundredBaud)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksInApplication(argc, argv); }
