#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modRegistry.h"
#include "devices/clsKRComm.h"
#include "devices/frmStickReader.h"
#include "fixtures/RestrictedFile.h"
#include "fixtures/StickToolTest.h"
#include "fixtures/WindowChecks.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/SerialPort.h"
#include "sticktool/StickConnection.h"
#include "sticktool/frmSimple.h"
#include "widgets/DesignGeometry.h"

namespace {

using DesignGeometry::Pixels;

// ---- Loading and the stored options -------------------------------------------------------------

TEST_F(StickToolTest, FirstStartInEnglish) {
    frmSimple& window = frmSimple::Instance();
    EXPECT_EQ(window.windowTitle().toStdString(),
              "kelvo v" + modCommon::ProgramVersion() + " (c) 2009-2024 the Kelvo makers");
    EXPECT_TRUE(window.ckbSortTags->isChecked() && window.ckbIncludeTimeScanned->isChecked());
    EXPECT_TRUE(window.optTagsToSave[0]->isChecked() && window.optDisplayApplication[0]->isChecked());
    // Ticked boxes are stored again in their normal form; options as designed store nothing.
    EXPECT_EQ((V{Stored("SortTags"), Stored("WindowPerGroup"), Stored("DisplayApplication")}),
              (V{"True", "(none)", "(none)"}));
    EXPECT_EQ(Enabled(window), kAsDesigned);
    EXPECT_FALSE(window.cmdStickAction[5]->isHidden()) << "tag look-up is offered in US English";
    EXPECT_EQ(window.cboBaudRate->currentText(), "19200");
    // No window-per-group row outside Dutch: the frames lose its height; the window ends above
    // the engineering frame.
    EXPECT_TRUE(window.ckbSeparateGroups->isHidden());
    EXPECT_EQ(window.fraWhenReading->height(), Pixels(1440));
    EXPECT_EQ(window.fraTagReadOptions->height(), Pixels(1890));
    EXPECT_EQ(window.height(), window.fraTolvane->y() - Pixels(30));
    // No spreadsheet application: the clipboard takes the place of the spreadsheet.
    EXPECT_TRUE(window.optDisplayApplication[1]->isHidden());
    EXPECT_EQ(window.optDisplayApplication[2]->y(), window.optDisplayApplication[1]->y());
    for (QPushButton* button : window.cmdStickAction) EXPECT_FALSE(button->autoDefault() || button->isDefault());
    // The option frames toggle with their captions.
    for (int twice = 0; twice < 2; ++twice) window.cmdStickAction[4]->click();
    EXPECT_TRUE(window.fraTagReadOptions->isHidden());
    EXPECT_EQ(window.cmdStickAction[4]->text(), "Show Tag Read Options");
    window.cmdStickAction[5]->click();
    EXPECT_FALSE(window.fraTagFileOptions->isHidden());
    EXPECT_EQ(window.cmdStickAction[5]->text(), "Hide Tag File Options");
}

TEST_F(StickToolTest, StoredOptionsAreReadAndStoredAgainNormalised) {
    for (auto [name, value] : {std::pair{"SortTags", "0"},
                               {"IncludeGroupLabels", "1"},
                               {"IncludeTimeScanned", "maybe"},
                               {"TagsToSave", "1"},
                               {"DisplayApplication", "7"}})
        home.SetMachineSetting(name, value);
    frmSimple& window = frmSimple::Instance();
    EXPECT_FALSE(window.ckbSortTags->isChecked());
    EXPECT_TRUE(window.optTagsToSave[1]->isChecked());
    EXPECT_TRUE(window.optDisplayApplication[0]->isChecked()) << "7 is ignored";
    EXPECT_EQ((V{Stored("SortTags"), Stored("IncludeGroupLabels"), Stored("IncludeTimeScanned"),
                 Stored("DisplayApplication")}),
              (V{"0", "True", "True", "7"}));
    window.fraTagReadOptions->UpdateDisplayApplicationOptions();  // as the start does
    EXPECT_EQ(Stored("DisplayApplication"), "0") << "Notepad is shown selected and stored so";
    // Every click stores the box; an option only a change, or in place of a text that is no
    // number.
    window.ckbSortTags->click();
    EXPECT_EQ(Stored("SortTags"), "True");
    window.ckbSortTags->click();
    EXPECT_EQ(Stored("SortTags"), "False");
    window.optDisplayApplication_Click(0);
    modRegistry::SetRegistryValue("TagsToSave", "abc");
    window.optTagsToSave[0]->click();
    EXPECT_EQ((V{Stored("DisplayApplication"), Stored("TagsToSave")}), (V{"0", "0"}));
    EXPECT_FALSE(FileSystem::Exists(home.DataFolder() + "/KelvoErrorLog.txt"));
}

TEST_F(StickToolTest, DutchKeeperIsOfferedAWindowPerGroupWithoutTheClipboard) {
    SpeakDutch();
    home.SetMachineSetting("DisplayApplication", "2");
    frmSimple& window = frmSimple::Instance();
    EXPECT_EQ(window.cmdStickAction[0]->text().toStdString(),
              modCommon::Translator().Translate("Read Tags from Stick"));
    EXPECT_NE(window.cmdStickAction[0]->text(), "Read Tags from Stick");
    EXPECT_EQ(window.optDisplayApplication[0]->text(), "Tekstvenster");
    EXPECT_FALSE(window.ckbSeparateGroups->isHidden());
    EXPECT_EQ(window.fraWhenReading->height(), Pixels(1800));
    EXPECT_TRUE(window.optDisplayApplication[2]->isChecked());
    window.ckbSeparateGroups->click();  // neither clipboard nor spreadsheet: Notepad alone
    EXPECT_TRUE(window.optDisplayApplication[2]->isHidden() && window.fraDisplayApp->isHidden());
    EXPECT_TRUE(window.optDisplayApplication[0]->isChecked());
    EXPECT_EQ((V{Stored("WindowPerGroup"), Stored("DisplayApplication")}), (V{"True", "0"}));
}

TEST_F(StickToolTest, SpreadsheetApplicationAddsExcel) {
    UseSpreadsheetApplication();
    frmSimple& window = frmSimple::Instance();
    EXPECT_TRUE(window.optDisplayApplication[1]->isChecked());
    EXPECT_GT(window.optDisplayApplication[2]->y(), window.optDisplayApplication[1]->y());
}

TEST_F(StickToolTest, PartnerEngineeringAndAustralianLayouts) {
    modCommon::OxbrelMode = 1;
    frmSimple* window = &frmSimple::Instance();
    for (int i : {0, 1, 4}) EXPECT_TRUE(window->cmdStickAction[i]->isHidden()) << i;
    EXPECT_EQ(window->cmdStickAction[2]->x(), window->cmdStickAction[0]->x());
    EXPECT_EQ(window->height(), window->fraTagReadOptions->y() + Pixels(30));
    SaveScreenshot(*window, "issue17-simple-oxbrel");
    DefaultInstance<frmSimple>::Unload();

    modCommon::OxbrelMode = 0;
    modCommon::EditionCode = 2;
    for (const char* name : {"b.conf", "A.CONF", "x.conf.conf", "notes.txt"})
        std::ofstream(home.ProgramFolder() + "/" + name);
    window = &frmSimple::Instance();
    EXPECT_EQ(window->windowTitle().toStdString(),
              "Stick reader (engineering) v" + modCommon::ProgramVersion() + " (c) 2009-2024 the Kelvo makers");
    EXPECT_EQ(window->height(), window->fraTolvane->y() + window->fraTolvane->height() + Pixels(120));
    V names;
    for (int i = 0; i < window->cboConfigFiles->count(); ++i)
        names.push_back(window->cboConfigFiles->itemText(i).toStdString());
    EXPECT_EQ(names, (V{"A", "b", "x"}));
    DefaultInstance<frmSimple>::Unload();

    modCommon::Translator().menLLanguage = 3081;
    EXPECT_EQ(frmSimple::Instance().fraComPortSelection->height(), Pixels(1245));
}

// English and Dutch with both option frames open, and the engineering edition: the window
// shows its texts whole, the help for choosing a port among them, and the console a row of a
// page dump on one line. On a laptop's screen the engineering window stays within the screen's
// width, its console scrolling sideways where it must. With KELVO_SCREENSHOT_DIR set each is
// written there.
TEST_F(StickConnectionTest, EveryEditionAndLanguageShowsItsTextsWhole) {
    modCommon::SetLastUsedComPort(2, 0);
    for (const std::string edition : {"english", "engineering", "dutch", "engineering-laptop"}) {
        const bool engineering = edition.rfind("engineering", 0) == 0;
        modCommon::EditionCode = engineering ? 2 : 1;
        if (edition == "dutch") SpeakDutch();
        if (edition == "engineering-laptop") frmSimple::Instance().move(LaptopScreen()->geometry().topLeft());
        frmSimple* window = Start();
        ASSERT_NE(window, nullptr);
        for (int options : {4, 5})
            if (window->cmdStickAction[options]->isVisible()) window->cmdStickAction[options]->click();
        window->DisplayPageReadData(std::string(64, '\xa5'));
        QTextDocument* dump = window->rtbText->document();
        dump->documentLayout()->documentSize();  // laid out whole
        for (QTextBlock row = dump->begin(); row.isValid() && engineering; row = row.next())
            EXPECT_EQ(row.layout()->lineCount(), 1) << row.text().toStdString();
        EXPECT_FALSE(window->lblHelp->text().isEmpty());
        const QRect screen = window->screen()->availableGeometry(), frame = window->frameGeometry();
        EXPECT_TRUE(frame.left() >= screen.left() && frame.right() <= screen.right()) << edition;
        EXPECT_EQ(CutTexts(*window), V{}) << edition;
        SaveScreenshot(*window, "stick-tool-" + edition);
        DefaultInstance<frmSimple>::Unload();
    }
}

// Where the machine has serial ports, the test runs again in a private mount namespace that
// hides them (when the machine allows one).
bool RunWithPortsHidden(const std::string& test) {
    if (std::system("unshare -m true >/dev/null 2>&1") != 0) return false;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "KELVO_PORTS_HIDDEN=1 unshare -m sh -c 'mount -t tmpfs none /sys/class/tty && exec \"" +
                                self + "\" --gtest_filter=" + test + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return true;
}

TEST_F(StickToolTest, NoSerialPortSaysSoAndEndsTheProgram) {
    if (!clsKRComm::EnumSerialPorts().empty()) {
        ASSERT_EQ(getenv("KELVO_PORTS_HIDDEN"), nullptr) << "the machine's ports are still listed";
        if (!RunWithPortsHidden("StickToolTest.NoSerialPortSaysSoAndEndsTheProgram")) GTEST_SKIP();
        return;
    }
    prompts.Answer(Prompts::OK);
    QTimer::singleShot(0, [] { frmSimple::Instance().show(); });
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(5000);
    EXPECT_EQ(QApplication::exec(), 0) << "the program's loop ends with its last window";
    EXPECT_EQ(DefaultInstance<frmSimple>::Loaded(), nullptr);
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].text,
              "No serial ports were detected on your computer. Access to your stick reader\r\n"
              "is not possible without a working serial port");
    EXPECT_EQ(prompts.shown()[0].title, "No serial ports found");
    EXPECT_EQ(prompts.shown()[0].style, Prompts::Exclamation);
}

// ---- Connection ------------------------------------------------------------------------------------

TEST_F(StickConnectionTest, LastPortConnectsUnasked) {
    frmSimple* window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(stick->Received(), (V{"n", "c", "t"}));
    EXPECT_EQ(Enabled(*window), kAll);
    SaveScreenshot(*window, "issue17-simple-english");
    EXPECT_TRUE(window->fraComPortSelection->isHidden() && window->lblHelp->isHidden());
    EXPECT_EQ(window->height(), window->fraTagReadOptions->y() + window->fraTagReadOptions->height() + Pixels(30));
    EXPECT_FALSE(window->fraTagFileOptions->isHidden()) << "firmware 12 keeps an eartag list";
    const int left1 = window->cmdStickAction[1]->x(), left3 = window->cmdStickAction[3]->x();
    EXPECT_EQ(window->cmdStickAction[2]->x(), left1 + (left3 - left1) / 2);
    ExpectSettled(*window);
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(StickConnectionTest, PortChosenByTheKeeperIsRemembered) {
    modCommon::SetLastUsedComPort(2, 9);
    frmSimple* window = Start();
    EXPECT_EQ(window->cboSerialPorts->currentIndex(), -1);
    EXPECT_FALSE(window->fraComPortSelection->isHidden());
    EXPECT_EQ(window->lblHelp->text().toStdString(),
              "If you have not yet enabled the Bluetooth connection from your stick reader\r\n"
              "to your PC please do so now and turn the stick reader on. Then select the COM port\r\n"
              "to which it is connected from the list alongside. If the COM port is not showing in the list\r\n"
              "please click the Refresh COM Port List button.");
    EXPECT_TRUE(stick->Received().empty()) << "filling the list connects nothing";
    window->cboSerialPorts->setCurrentIndex(window->cboSerialPorts->findText("COM5"));
    window->cboSerialPorts_Click();
    EXPECT_EQ(modCommon::GetLastUsedComPort(2), 5);
    EXPECT_EQ(Enabled(*window), kAll);
}

TEST_F(StickConnectionTest, StickFoundOnTheThirdTryOrByAnyReply) {
    Faults([](SimStick::Faults& f) {
        f.silentCommands = 2;
        f.status['n'] = 'F';
    });
    frmSimple* window = Start();
    EXPECT_EQ(stick->CountOf('n'), 3);
    EXPECT_EQ(Enabled(*window), kAll);
}

TEST_F(StickConnectionTest, SilentStickIsNotFoundAndTheWindowStaysMeanwhile) {
    Faults([](SimStick::Faults& f) { f.silent = true; });
    prompts.Answer(Prompts::OK);
    // The keeper tries to close the window once the stick has been asked who it is.
    bool closed = true;
    QTimer keeper;
    QObject::connect(&keeper, &QTimer::timeout, [&] {
        if (stick->CountOf('n') == 0) return;
        keeper.stop();
        closed = frmSimple::Instance().close();
    });
    keeper.start(20);
    frmSimple* window = Start();
    EXPECT_FALSE(closed);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(stick->CountOf('n'), 5);
    EXPECT_EQ(prompts.shown()[0].text,
              "Can't find the stick reader on serial port COM5.\r\nPlease check that the stick reader is powered up.");
    EXPECT_EQ(prompts.shown()[0].title, "Stick reader not found");
    EXPECT_EQ(prompts.shown()[0].style, Prompts::Information);
    EXPECT_FALSE(window->fraComPortSelection->isHidden() || window->lblHelp->isHidden());
    EXPECT_EQ(Enabled(*window), kAsDesigned) << "buttons keep their state";
    ExpectSettled(*window);
}

// A port there but not open to the user says why and what to do.
TEST_F(StickConnectionTest, PortRefusedForLackOfPermissionSaysWhatToDo) {
    RestrictedFile refused(stick->SlavePath(), 0, home.root());
    prompts.Answer(Prompts::OK);
    Start();
    const std::string group = SerialPort::DeviceGroup(stick->SlavePath());
    EXPECT_EQ(
        prompts.shown().at(0).text,
        "Can't find the stick reader on serial port COM5.\r\nPlease check that the stick reader is powered up.\r\n"
        "The system would not open " +
            stick->SlavePath() +
            ": Permission denied. Serial ports are open to the "
            "members of the group '" +
            group + "': ask for your user to be added to it (sudo adduser $USER " + group + "), then log in again.");
    EXPECT_EQ(stick->CountOf('n'), 0);
}

TEST_F(StickConnectionTest, StickThatDoesNotSuitIsTheWrongApplication) {
    const std::vector<std::function<void()>> sticks{
        [&] { Faults([](SimStick::Faults& f) { f.status['c'] = 'F'; }); },
        [&] { stick->SetConfigValue(13, "1"); },  // the partner's stick
        [&] { stick->SetHandler('c', [](const std::string&) {
                  return SimStick::Reply{"0|12#1|0", 'S'};
              }); },
        [&] {
            stick->SetHandler('c', [](const std::string&) {
                return SimStick::Reply{"0|12#1#2#3#4#5#6#7#8#9#10#11#12#13", 'S'};
            });
        },
    };
    for (const auto& setUp : sticks) {
        setUp();
        prompts.Answer(Prompts::OK);
        ExpectWrongApplication(Start());
    }
}

TEST_F(StickConnectionTest, NormalStickInThePartnersProgramIsTheWrongApplication) {
    Program::SetExecutablePath(home.ProgramFolder() + "/OxbrelConnect");
    modCommon::OxbrelMode = 1;
    modCommon::SetLastUsedComPort(2, 5);
    prompts.Answer(Prompts::OK);
    ExpectWrongApplication(Start());
    EXPECT_NE(prompts.shown().back().text.find("(OxbrelConnect.exe)"), std::string::npos);
}

TEST_F(StickConnectionTest, ClockIsSetWhenMoreThanTenSecondsOff) {
    stick->SetClockOffset(10);
    Start();
    EXPECT_EQ(stick->CountOf('s'), 0);
    DefaultInstance<frmSimple>::Unload();
    stick->SetClockOffset(-11);
    Start();
    EXPECT_EQ(stick->Received().back(), "s150324102030");
}

TEST_F(StickConnectionTest, SilentClockLeavesOnlyExitAndTagFileOptions) {
    Faults([](SimStick::Faults& f) { f.silentTo = {"t"}; });
    frmSimple* window = Start();
    EXPECT_EQ(Enabled(*window), kExitAndTagFile);
    EXPECT_TRUE(prompts.shown().empty());
    ExpectSettled(*window);
}

TEST_F(StickConnectionTest, TagFileNeedsFirmwareEight) {
    for (int firmware : {7, 8}) {
        stick->SetFirmwareVersion(firmware);
        frmSimple* window = Start();
        EXPECT_EQ(window->cmdStickAction[5]->isHidden(), firmware == 7);
        EXPECT_EQ(window->fraTagFileOptions->isHidden(), firmware == 7);
        EXPECT_EQ(window->cmdStickAction[5]->text().toStdString(),
                  firmware == 7 ? "Show Tag File Options" : "Hide Tag File Options");
        DefaultInstance<frmSimple>::Unload();
    }
}

// The engineering edition reads the stick's memory size; Tab goes on from its console to the page
// tools, as from every other control.
TEST_F(StickConnectionTest, EngineeringReadsTheMemorySize) {
    modCommon::EditionCode = modCommon::EngineeringEdition;
    stick->SetPageCount(64);
    frmSimple* window = Start();
    EXPECT_EQ(stick->Received().back(), "qM|bqrtvwnhk905");
    EXPECT_EQ(window->PageCount(), 64);
    EXPECT_EQ(window->lblStickPageCount->text(), "Memory size is 64 pages.");
    SaveScreenshot(*window, "issue17-simple-engineering");
    EXPECT_EQ(Enabled(*window), kAll);
    EXPECT_EQ(NotReachedByTab(*window), std::vector<std::string>{});
    DefaultInstance<frmSimple>::Unload();

    Faults([](SimStick::Faults& f) { f.wordStatus["qM"] = 'F'; });
    prompts.Answer(Prompts::OK);
    window = Start();
    EXPECT_EQ(prompts.shown().back().text, "Failed to get memory size from the stick.");
    EXPECT_EQ(prompts.shown().back().title, "Memory Size NOT Received");
    EXPECT_EQ(window->lblStickPageCount->text(), "Memory size not read from stick!!");
    EXPECT_EQ(Enabled(*window), kExitAndTagFile);
    ExpectSettled(*window);
}

// ---- Actions ---------------------------------------------------------------------------------------

TEST_F(StickConnectionTest, EraseTagsAsksFirstAndSaysHowItWent) {
    SpeakDutch();
    stick->AddRecord("8000000000000001", 'A', kPcTime);
    frmSimple* window = Start();
    SaveScreenshot(*window, "issue17-simple-dutch");
    prompts.Answer(Prompts::No);
    window->cmdStickAction[1]->click();
    EXPECT_EQ(stick->CountOf('e'), 0);
    EXPECT_EQ(prompts.shown().back().text, "Hiermee worden alle diergegevens op de stick gewist. Weet u het zeker?");
    EXPECT_EQ(prompts.shown().back().style, Prompts::YesNo + Prompts::Question + Prompts::DefaultButton2);

    prompts.Answer(Prompts::Yes).Answer(Prompts::OK);
    window->cmdStickAction[1]->click();
    EXPECT_TRUE(stick->Records().empty());
    EXPECT_EQ(prompts.shown().back().text, "Diergegevens gewist.");
    ExpectSettled(*window);

    Faults([](SimStick::Faults& f) { f.status['e'] = 'F'; });
    prompts.Answer(Prompts::Yes).Answer(Prompts::OK);
    window->cmdStickAction[1]->click();
    EXPECT_EQ(prompts.shown().back().text,
              modCommon::Translator().Translate("The animal data on the stick was not successfully erased") + ".");
    EXPECT_EQ(prompts.shown().back().title, modCommon::Translator().Translate("Animal Data NOT Erased"));
    ExpectSettled(*window);
}

// Prompts whose display fails at one message.
class FailingPrompts : public Prompts::Handler {
public:
    explicit FailingPrompts(std::string failAt) : failAt_(std::move(failAt)) {}
    int MsgBox(const std::string& text, int, const std::string&) override {
        if (text.rfind(failAt_, 0) == 0) throw RuntimeError(5, "The display failed");
        return text.find("Are you sure") != std::string::npos ? Prompts::Yes : Prompts::OK;
    }
    bool InputBox(const std::string&, const std::string&, std::string&, bool) override { return false; }
    bool OpenFile(Prompts::FileDialog&) override { return false; }
    bool SaveFile(Prompts::FileDialog&) override { return false; }

private:
    std::string failAt_;
};

TEST_F(StickConnectionTest, FailingActionOrConnectionStillEndsAsEveryOne) {
    frmSimple* window = Start();
    auto previous = Prompts::SetHandler(std::make_unique<FailingPrompts>("Animal data erased"));
    window->cmdStickAction[1]->click();
    ExpectSettled(*window);
    Faults([](SimStick::Faults& f) { f.silent = true; });
    Prompts::SetHandler(std::make_unique<FailingPrompts>("Can't find"));  // with the port open
    window->cboSerialPorts_Click();
    Prompts::SetHandler(std::move(previous));
    ExpectSettled(*window);
    std::string log = FileSystem::ReadAll(home.DataFolder() + "/KelvoErrorLog.txt");
    EXPECT_NE(log.find("in procedure cmdStickAction_Click in frmSimple"), std::string::npos) << log;
    EXPECT_NE(log.find("in procedure cboSerialPorts_Click in frmSimple"), std::string::npos) << log;
}

TEST_F(StickConnectionTest, ConfigureStickOpensTheStickReaderOnThisPort) {
    frmSimple* window = Start();
    window->ComPort().CommOpen(5, "baud=19200 parity=N data=8 stop=1", 1000, false);
    stick->ClearReceived();
    RunModal<frmStickReader>(
        [&] { window->cmdStickAction[2]->click(); },
        [&](frmStickReader& reader) {
            EXPECT_FALSE(window->ComPort().IsOpen()) << "the port is the stick reader window's now";
            EXPECT_TRUE(reader.isModal());
            EXPECT_EQ(reader.parentWidget(), window);
            WaitUntil([&] { return !reader.tmrInitialise->isActive(); });
            EXPECT_EQ(reader.windowTitle(), "Configuration");
            EXPECT_EQ(reader.cboSerialPorts->count(), 1);
            EXPECT_EQ(reader.cboSerialPorts->itemText(0), "COM5") << "the port is offered alone";
            EXPECT_EQ(stick->Received(), (V{"n", "t", "c", "n"})) << "and the stick's configuration read there";
            EXPECT_GT(reader.cboConfig.size(), 1u);
            reader.Form_Unload();
        });
    ExpectSettled(*window);
}

TEST_F(StickConnectionTest, ExitClosesTheWindow) {
    frmSimple* window = Start();
    window->cmdStickAction[3]->click();
    EXPECT_EQ(DefaultInstance<frmSimple>::Loaded(), nullptr);
    EXPECT_FALSE(window->isVisible());
}

TEST(StickReply, SuccessTailAndData) {
    EXPECT_TRUE(StickConnection::StickReplyOK("(cS)\r"));
    for (const char* reply : {"S)\r", "x(cF)\r", "x(cX)\r"})
        EXPECT_FALSE(StickConnection::StickReplyOK(reply)) << reply;
    EXPECT_EQ(StickConnection::StickReplyData("(cS)\r"), "");
    EXPECT_EQ(StickConnection::StickReplyData("abc(cS)\r"), "abc");
}

}  // namespace
