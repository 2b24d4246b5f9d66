#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "core/clsDatabase.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "core/modEID.h"
#include "core/modMainWindowServices.h"
#include "core/modRegistry.h"
#include "devices/StickReadImport.h"
#include "devices/frmStickReader.h"
#include "fixtures/MainWindowStandIn.h"
#include "fixtures/StickOnPort.h"
#include "fixtures/WindowChecks.h"
#include "fixtures/ThreadCpu.h"
#include "fixtures/WindowTest.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/IniFile.h"
#include "platform/Prompts.h"

namespace {

using Texts = std::vector<std::string>;
const DateTime kNow{2024, 3, 15, 10, 20, 30};
const std::string kStem = "20240315102030 Stick Group ";
const DateTime kReadAt{2024, 3, 12, 9, 0, 0};
const std::string CRLF = "\r\n";

// A tag's stored code from its 16-digit decimal form.
std::string Hex(const std::string& decimal, int retag = 0) { return modEID::DecimalEIDToHexEID(decimal, 0, retag); }

Connection& Db() { return modCommon::Database().GetConnection(); }
// The first column of a query's rows.
Texts Rows(const std::string& sql) {
    Recordset rs = Db().Query(sql);
    Texts values;
    for (long row = 0; row < rs.Rows(); ++row) values.push_back(rs.At(row, 0).ToStringOr("<null>"));
    return values;
}
std::string One(const std::string& sql) { return Rows(sql).at(0); }
long AddAnimal(long type, const std::string& tag, const std::string& eid = "") {
    Db().Execute("INSERT INTO Animals (AnimalType, TagNumber, Species, TaggingDate) VALUES (?,?,1,'2020-01-01 00:00:00')",
                 {Value(type), Value(tag)});
    const long id = static_cast<long>(Db().LastInsertId());
    if (!eid.empty()) Db().Execute("INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (?,?)", {Value(id), Value(eid)});
    return id;
}
// The tag numbers of a group's members, one per membership.
Texts Members(const std::string& group) {
    return Rows("SELECT TagNumber FROM GroupLink JOIN Animals USING (AnimalID) JOIN Groups USING (GroupID) WHERE " +
                group + " ORDER BY 1");
}
std::string Box(const std::string& title, int style, const std::string& text) {
    return title + " / " + std::to_string(style) + " / " + text;
}

frmStickReader* Window() { return frmStickReader::Loaded(); }

// Gone, or waiting for the keeper: start-up and any connection or import over.
bool Idle() {
    frmStickReader* w = Window();
    return !w || (w->isEnabled() && w->cmdQuit->isEnabled() && !w->tmrInitialise->isActive() && !w->tmrUnload->isActive());
}
void Key(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}
void Fault(SimStick& stick, const std::function<void(SimStick::Faults&)>& change) {
    SimStick::Faults faults = stick.GetFaults();
    change(faults);
    stick.SetFaults(faults);
}

class StickReaderTest : public WindowTest {
protected:
    MainWindowStandIn mainWindow;
    std::unique_ptr<StickOnPort> stick;

    StickReaderTest() {
        DateTime::PinClock(kNow);
        prompts.AcceptAllOK();  // every box of the window has an OK button alone; tests read them all
        EXPECT_TRUE(modCommon::VersionCheck());
        modCommon::Species = 2;
        RegisterStickReaderWindow();
        PlugIn(5);
    }
    ~StickReaderTest() override {
        DefaultInstance<frmStickReader>::Unload();
        DateTime::PinClock({});
    }

    SimStick& Stick() { return stick->Stick(); }
    // A fresh stick, showing decimal EIDs, on the port the window found last time. Each stick
    // of a test needs a number of its own: the settings keep the entries of the ones gone.
    void PlugIn(long port) {
        stick.reset();
        stick = std::make_unique<StickOnPort>(port);
        Stick().SetConfigValue(19, "2");
        modCommon::SetLastUsedComPort(2, static_cast<int>(port));
    }
    void AddReads(const std::string& from, int count) {
        for (int i = 0; i < count; ++i) Stick().AddRecord(Hex(from.substr(0, 10) + std::to_string(100000 + i)), '1', kReadAt);
    }
    // Opens the window from the main menu and waits for it to be done with the stick.
    frmStickReader* Run(int HHAction = modMainWindowServices::StickReaderImport) {
        EXPECT_TRUE(modMainWindowServices::OpenStickReaderWindow(HHAction));
        WaitUntil(Idle);
        return Window();
    }
    // The boxes shown, from the `from`th on.
    Texts Boxes(size_t from = 0) {
        Texts boxes;
        for (size_t i = from; i < prompts.shown().size(); ++i)
            boxes.push_back(Box(prompts.shown()[i].title, prompts.shown()[i].style, prompts.shown()[i].text));
        return boxes;
    }
};

// ---- Filing the reads ---------------------------------------------------------------------

TEST_F(StickReaderTest, ReadsBecomeAnimalsEIDsAndGroupsAndTheStickIsErasedAfterwards) {
    const std::string x = Hex("0372000000000101"), tagOnly = Hex("0372000000000102"), owned = Hex("0372000000000103");
    const long a = AddAnimal(0, "0372 000000000102"), b = AddAnimal(1, "Bella", owned);
    Db().Execute("INSERT INTO Groups (GroupName) VALUES ('" + kStem + "2')");
    Db().Execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1,?),(2,?),(1,999),((SELECT MAX(GroupID) FROM Groups),999)",
                 {Value(b), Value(b)});
    Stick().AddRecord(x, '1', kReadAt);
    Stick().AddRecord(tagOnly, '2', {2023, 7, 1, 8, 0, 0});
    Stick().AddRecord(x, '1', kReadAt);
    Stick().AddRecordText("");
    Stick().AddRecord(owned, '1', kReadAt);
    Stick().AddRecordText("XYZ|1|120324090000");
    Stick().AddRecordText(Hex("0372000000000104") + "|1");
    Stick().AddRecordText("");

    frmStickReader* w = Run();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_TRUE(w->fraSequence[2]->isVisible());
    const long reply = 4 * 31 + 2 * 18 + 7 + 5;  // records, separators, status tail; the first ends at 32
    EXPECT_EQ(w->lblHelp[2]->text().toStdString(),
              "Preparing to get data from your stick reader..." + CRLF + "Getting data..." + CRLF + "Records received: " +
                  std::to_string(reply / 32) + CRLF + "Adding data to your records..." + CRLF +
                  "Data received. Erasing data from your  stick..." + CRLF +
                  "Import completed OK - click Exit to exit this screen." + CRLF + "Unreadable records skipped: 2");

    const std::string madeTag = "0372 000000000101";
    EXPECT_EQ(Rows("SELECT TagNumber||' '||AnimalType||' '||Species||' '||TaggingDate||' '||TagSort FROM Animals ORDER BY AnimalID"),
              (Texts{"0372 000000000102 1 2 2023-07-01 00:00:00 0", "Bella 1 1 2020-01-01 00:00:00 0",
                     madeTag + " 1 2 2024-03-12 00:00:00 " + std::to_string(modCommon::GetTagSortFromTag(madeTag))}));
    const std::string made = One("SELECT AnimalID FROM Animals WHERE TagNumber='" + madeTag + "'");
    EXPECT_EQ(Rows("SELECT AnimalID||' '||EIDNumber FROM EIDs ORDER BY EIDID"),
              (Texts{std::to_string(b) + " " + owned, made + " " + x, std::to_string(a) + " " + tagOnly}));
    EXPECT_EQ(Members("GroupID=1"), (Texts{"0372 000000000101", "0372 000000000102", "Bella"}));
    EXPECT_EQ(Members("GroupID=2"), (Texts{"0372 000000000101", "0372 000000000102"}));
    EXPECT_EQ(Members("GroupName='" + kStem + "1'"), (Texts{"0372 000000000101", "Bella"}));
    EXPECT_EQ(Members("GroupName='" + kStem + "2'"), (Texts{"0372 000000000102"}));
    EXPECT_EQ(One("SELECT COUNT(*) FROM GroupLink WHERE AnimalID=999"), "0");
    EXPECT_EQ(One("SELECT group_concat(ExportToHH) FROM Groups WHERE GroupID>2"), "0,0");

    const Texts received = Stick().Received();
    EXPECT_EQ(Texts(received.end() - 3, received.end()), (Texts{"c", "r", "e"}));
    EXPECT_TRUE(Stick().Records().empty());
    EXPECT_EQ(mainWindow.calls, Texts{"UpdateAfterImport"});
    w->cmdImportExit->click();
    WaitUntil([] { return Window() == nullptr; });
    EXPECT_EQ(mainWindow.calls, (Texts{"UpdateAfterImport", "StartZOrderTimer"}));
}

TEST_F(StickReaderTest, EIDsFindTheirAnimalsWhateverTheTagTextAndUKTagsKeepEveryDigit) {
    const std::string retagged = Hex("0372000000000201"), older = Hex("0826098765400002");
    const long ruby = AddAnimal(1, "Ruby", retagged), kate = AddAnimal(1, "Kate", Hex("0372000000000202"));
    AddAnimal(1, "UK098765 00002", older);  // as an earlier import cut it
    Db().Execute("UPDATE EIDs SET EIDNumber=lower(EIDNumber) WHERE AnimalID=?", {Value(kate)});
    for (const std::string& eid : {Hex("0372000000000201", 1), Hex("0372000000000202"), older, Hex("0826012345600001"),
                                   Hex("0826012345700001")})
        Stick().AddRecord(eid, '1', kReadAt);

    ASSERT_NE(Run(), nullptr);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(Rows("SELECT TagNumber||' '||(SELECT COUNT(*) FROM EIDs e WHERE e.AnimalID=a.AnimalID) FROM Animals a ORDER BY a.AnimalID"),
              (Texts{"Ruby 2", "Kate 1", "UK098765 00002 1", "UK0123456 00001 1", "UK0123457 00001 1"}));
    EXPECT_EQ(Rows("SELECT EIDNumber FROM EIDs WHERE AnimalID=" + std::to_string(ruby)),
              (Texts{retagged, Hex("0372000000000201", 1)}));
}

TEST(StickReadImport, TagTextTaggingDateAndRecords) {
    const std::string ie = Hex("0372012345678901");
    const std::string uk = Hex("0826012345600001"), ieSplit = ie.substr(0, 4) + " " + ie.substr(4);
    for (const auto& [eid, format, text] : std::vector<std::tuple<std::string, int, std::string>>{
             {uk, 2, "UK0123456 00001"}, {uk, 1, "UK0123456 00001"}, {ie, 2, "0372 012345678901"},
             {ie, 3, modEID::HexEIDToDecimalEID(ie).ISODecimal}, {ie, 1, ieSplit}, {ie, 7, ieSplit}})
        EXPECT_EQ(StickReadImport::TagText(eid, format), text) << eid << " " << format;
    DateTime::PinClock(kNow);
    EXPECT_EQ(StickReadImport::TaggingDate("290224101010"), (DateTime{2024, 2, 29, 0, 0, 0}));
    EXPECT_EQ(StickReadImport::TaggingDate("010130000000"), (DateTime{1930, 1, 1, 0, 0, 0}));
    for (const char* unreal : {"000000000000", "011324000000", "290223000000", "320124000000", "0101", "01a124000000"})
        EXPECT_EQ(StickReadImport::TaggingDate(unreal), kNow.DateOnly()) << unreal;
    DateTime::PinClock({});
    auto records = StickReadImport::ParseRecords("#" + ie + "|1|x#||#abc|1|2#" + ie + "|2#" + ie.substr(1) + "g|1|2#");
    ASSERT_EQ(records.reads.size(), 1u);
    EXPECT_EQ(records.reads[0].hexEID + records.reads[0].group + records.reads[0].readTime, ie + "1x");
    EXPECT_EQ(records.skipped, 3);
    EXPECT_EQ(StickReadImport::GroupNameStem({2009, 2, 3, 4, 5, 6}), "20090203040506 Stick Group ");
}

// ---- Failures -------------------------------------------------------------------------------

TEST_F(StickReaderTest, NoConfigurationNoRecordsOrAPulledPlugWritesAndErasesNothing) {
    Db().Execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1,?)", {Value(AddAnimal(1, "Bella"))});
    const std::string notReceived = Box("Configuration Data NOT Received", Prompts::OKOnly,
                                        "Failed to get configuration data from the stick.");
    const std::string failed = Box("Failed to get data", Prompts::Exclamation, "Failed to get data from your stick reader.");
    auto entries = [](int count, const std::string& version) {
        std::string payload = "0|" + version;
        for (int k = 1; k < count; ++k) payload += "#" + std::to_string(k) + "|2";
        return [payload](const std::string&) { return SimStick::Reply{payload, 'S'}; };
    };
    const std::vector<std::tuple<const char*, std::function<void(SimStick&)>, Texts>> cases = {
        {"c silent", [](SimStick& s) { Fault(s, [](auto& f) { f.silentTo = {"c"}; }); }, {notReceived, failed}},
        {"c refused", [](SimStick& s) { Fault(s, [](auto& f) { f.status['c'] = 'F'; }); }, {notReceived, failed}},
        {"c cut off", [](SimStick& s) { Fault(s, [](auto& f) { f.unplugDuring = 'c', f.unplugAfter = 20; }); },
         {notReceived, failed}},
        {"c of 19 entries", [&](SimStick& s) { s.SetHandler('c', entries(19, "12")); }, {notReceived, failed}},
        {"version 13", [&](SimStick& s) { s.SetHandler('c', entries(20, "13")); },
         {Box("New Program Required", Prompts::Exclamation,
              "This stick is a later version than this program can handle." + CRLF +
                  "You will need to get an updated version of this program."),
          failed}},
        {"r refused", [](SimStick& s) { Fault(s, [](auto& f) { f.status['r'] = 'X'; }); }, {failed}},
        {"r silent", [](SimStick& s) { Fault(s, [](auto& f) { f.silentTo = {"r"}; }); }, {failed}},
        {"unplugged during r", [](SimStick& s) { Fault(s, [](auto& f) { f.unplugDuring = 'r', f.unplugAfter = 100; }); },
         {failed}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [name, fault, boxes] = cases[i];
        SCOPED_TRACE(name);
        PlugIn(10 + static_cast<long>(i));
        AddReads("0372000003", 10);
        fault(Stick());
        const size_t before = prompts.shown().size();
        frmStickReader* w = Run();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(Boxes(before), boxes);
        EXPECT_TRUE(w->fraSequence[0]->isVisible());
        EXPECT_EQ(Stick().Records().size(), 10u);
        EXPECT_EQ(Stick().CountOf('e'), 0);
        EXPECT_EQ(One("SELECT COUNT(*) FROM Animals") + One("SELECT COUNT(*) FROM GroupLink"), "11");
        EXPECT_TRUE(mainWindow.calls.empty());
        DefaultInstance<frmStickReader>::Unload();
    }
}

// A full stick's reply is larger than any other exchange may be (over 1,000,000 characters).
TEST_F(StickReaderTest, AFullStickIsReadWhole) {
    AddReads("0372000000", 32000);
    Run();
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(One("SELECT COUNT(*) FROM EIDs"), "32000");
    EXPECT_TRUE(Stick().Records().empty());
}

TEST_F(StickReaderTest, EmptyStickClosesTheWindowWithoutErasing) {
    Run();
    WaitUntil([] { return Window() == nullptr; });
    EXPECT_EQ(Boxes(), Texts{Box("No data found", Prompts::OKOnly, "No animal data was detected on your stick.")});
    EXPECT_EQ(Stick().CountOf('e'), 0);
    EXPECT_EQ(mainWindow.calls, Texts{"StartZOrderTimer"});
}

TEST_F(StickReaderTest, DatabaseFailingAtTheFourThousandthReadKeepsRegisterAndStickAsTheyWere) {
    const long bella = AddAnimal(1, "Bella");
    Db().Execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1,?),(2,?)", {Value(bella), Value(bella)});
    Db().Execute("CREATE TRIGGER Failing BEFORE INSERT ON EIDs WHEN (SELECT COUNT(*) FROM EIDs) >= 3999 "
                 "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    AddReads("0372000000", 5000);
    
    frmStickReader* w = Run();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Boxes(), Texts{Box("Application Error", Prompts::OKOnly | Prompts::Critical,
                                 "An error occurred in procedure DoImport in frmStickReader" + CRLF +
                                     "The error was 'disk I/O error' (Error number " +
                                     std::to_string(ErrorNumber::DatabaseFailure) + ")")});
    EXPECT_NE(FileSystem::ReadAll(home.DataFolder() + "/KelvoErrorLog.txt").find("in procedure DoImport in frmStickReader"),
              std::string::npos);
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM Animals UNION ALL SELECT COUNT(*) FROM EIDs UNION ALL SELECT COUNT(*) FROM Groups "
                   "UNION ALL SELECT COUNT(*) FROM GroupLink"),
              (Texts{"1", "0", "2", "2"}));
    EXPECT_EQ(Stick().Records().size(), 5000u);
    EXPECT_EQ(Stick().CountOf('e'), 0);
    EXPECT_TRUE(mainWindow.calls.empty());
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(StickReaderTest, EraseNotConfirmedKeepsTheRowsAndAnotherImportFilesTheSameAnimals) {
    const std::string notErased = Box("Stick Not Erased", Prompts::Exclamation,
                                      "Your records have been updated, but the data could not be erased from your stick "
                                      "reader." + CRLF + "Importing it again later adds the same reads to the same animals.");
    const std::vector<std::function<void(SimStick::Faults&)>> faults = {
        [](SimStick::Faults& f) { f.status['e'] = 'F'; },
        [](SimStick::Faults& f) { f.silentTo = {"e"}; },
        [](SimStick::Faults& f) { f.unplugDuring = 'e'; },
    };
    for (size_t i = 0; i < faults.size(); ++i) {
        SCOPED_TRACE(i);
        PlugIn(20 + static_cast<long>(i));
        Stick().AddRecord(Hex("0372000000000401"), '1', kReadAt);
        Stick().AddRecord(Hex("0372000000000402"), '2', kReadAt);
        Fault(Stick(), faults[i]);
        DateTime::PinClock(kNow.AddSeconds(static_cast<long long>(i)));
                ASSERT_NE(Run(), nullptr);
        EXPECT_EQ(Boxes(), Texts(i + 1, notErased));
        // A stick pulled out as it answers may have erased already; the program cannot know.
        EXPECT_TRUE(Stick().Unplugged() || Stick().Records().size() == 2u);
        EXPECT_EQ(Rows("SELECT COUNT(*) FROM Animals UNION ALL SELECT COUNT(*) FROM Groups UNION ALL "
                       "SELECT COUNT(*) FROM GroupLink WHERE GroupID=1 UNION ALL SELECT COUNT(*) FROM GroupLink WHERE GroupID=2"),
                  (Texts{"2", std::to_string(2 + 2 * (i + 1)), "2", i == 0 ? "2" : "0"}));
        EXPECT_EQ(mainWindow.CountOf("UpdateAfterImport"), static_cast<int>(i + 1));
        DefaultInstance<frmStickReader>::Unload();
    }
}

// ---- Finding the stick ----------------------------------------------------------------------

TEST_F(StickReaderTest, LastPortConnectsUnaskedAndAStickAnsweringTheThirdIdentifyIsFound) {
    Stick().AddRecord(Hex("0372000000000501"), '1', kReadAt);
    Fault(Stick(), [](auto& f) { f.silentCommands = 2; });
    struct ShowCounter : QObject {
        int shows = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            shows += event->type() == QEvent::Show;
            return false;
        }
    } portStep;
    ASSERT_TRUE(modMainWindowServices::OpenStickReaderWindow(1));
    Window()->fraSequence[0]->installEventFilter(&portStep);
    WaitUntil(Idle);
    EXPECT_EQ(portStep.shows, 0);
    EXPECT_EQ(Stick().CountOf('n'), 3);
    EXPECT_TRUE(Stick().Records().empty());
}

TEST_F(StickReaderTest, WithoutTheLastPortTheKeeperChoosesFromTheKeyboardAndFiveSilentTriesNameThePort) {
    PlugIn(3);
    modCommon::SetLastUsedComPort(2, 0);
    frmStickReader* w = Run();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->fraSequence[0]->isVisible());
    EXPECT_EQ(w->cboSerialPorts->currentIndex(), -1);
    EXPECT_TRUE(Stick().Received().empty());
    Key(w, Qt::Key_Return);  // no button is the default
    EXPECT_EQ(Window(), w);

    Fault(Stick(), [](auto& f) { f.silent = true; });
        w->cboSerialPorts->setCurrentIndex(w->cboSerialPorts->findText("COM3") - 1);
    Key(w->cboSerialPorts, Qt::Key_Down);
    WaitUntil(Idle);
    EXPECT_EQ(Boxes(), Texts{Box("Stick reader not found", Prompts::Information,
                                 "Can't find the stick reader on serial port COM3." + CRLF +
                                     "Please check that the stick reader is powered up.")});
    EXPECT_EQ(Stick().CountOf('n'), 5);
    EXPECT_EQ(modCommon::GetLastUsedComPort(2), 0);
    EXPECT_TRUE(w->fraSequence[0]->isVisible());
    Key(w, Qt::Key_Escape);
    WaitUntil([] { return Window() == nullptr; });
}

TEST_F(StickReaderTest, PortGivenByTheOpenerIsTheOnlyOneAndIsConnectedAtOnce) {
    modCommon::SetLastUsedComPort(2, 0);
    Stick().AddRecord(Hex("0372000000000601"), '1', kReadAt);
    frmStickReader& w = frmStickReader::Instance();
    w.SetPort(5);
    w.SetHHAction(1);
    w.show();
    WaitUntil(Idle);
    EXPECT_EQ(w.cboSerialPorts->count(), 1);
    EXPECT_EQ(w.cboSerialPorts->currentText(), "COM5");
    EXPECT_TRUE(Stick().Records().empty());
    EXPECT_EQ(modCommon::GetLastUsedComPort(2), 5);
}

// ---- The window -----------------------------------------------------------------------------

TEST_F(StickReaderTest, ClosingIsRefusedWhileTheStickIsFoundAndWhileTheReadsAreImported) {
    AddReads("0372000000", 400);
    Stick().SetBytesPerSecond(20000);
    Fault(Stick(), [](auto& f) { f.silentCommands = 3; });
    int refusedConnecting = 0, refusedImporting = 0;
    std::set<std::string> progress;
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        frmStickReader* w = Window();
        // Not started yet: the port list is still being made (a close then is the keeper's right).
        if (!w || w->cmdQuit->isEnabled() || w->tmrInitialise->isActive() || w->cboSerialPorts->count() == 0) return;
        const bool importing = !w->isEnabled();
        if (importing) progress.insert(w->lblHelp[2]->text().section("\r\n", 2, 2).toStdString());
        w->close();
        Key(w, Qt::Key_Escape);
        if (Window() == w && w->isVisible()) ++(importing ? refusedImporting : refusedConnecting);
    });
    poke.start(20);
    Run();
    poke.stop();
    EXPECT_GT(refusedConnecting, 0);
    EXPECT_GT(refusedImporting, 0);
    EXPECT_GT(progress.size(), 3u);  // the count grew while the reads came
    EXPECT_EQ(One("SELECT COUNT(*) FROM Animals"), "400");
    ASSERT_NE(Window(), nullptr);
    Window()->close();
    EXPECT_EQ(Window(), nullptr);
}

// While a paced stick sends a long reply, the window's thread sleeps most of the time: its reads
// take what the line brings over a short slice instead of waking, pumping and counting anew for
// every byte.
TEST_F(StickReaderTest, APacedLongReplyLeavesTheProcessorToOthers) {
    AddReads("0372000000", 640);  // 20 kB at 32 bytes a read
    Stick().SetBytesPerSecond(1920);
    ThreadCpu cpu;
    ASSERT_NE(Run(), nullptr);
    EXPECT_LT(cpu.Share(), 0.1) << "over " << cpu.WallMs() << " ms";
    EXPECT_EQ(One("SELECT COUNT(*) FROM Animals"), "640");
}

TEST_F(StickReaderTest, OpensWindowModalOverTheMainWindowAndOnlyTheFullEditionIsHandedBack) {
    QWidget owner;
    mainWindow.owner = &owner;
    modCommon::EditionCode = 1;
    Stick().AddRecord(Hex("0372000000000701"), '1', kReadAt);
    frmStickReader* w = Run(modMainWindowServices::StickReaderConfiguration);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), &owner);
    EXPECT_EQ(w->windowModality(), Qt::WindowModal);
    EXPECT_EQ(w->windowTitle(), "Configuration");
    EXPECT_TRUE(w->fraSequence[1]->isVisible());
    EXPECT_EQ(w->lblHelp[1]->text(), "Getting configuration data from your tick reader...");
    EXPECT_EQ(Stick().Records().size(), 1u);
    w->cmdConfigExit->click();
    WaitUntil([] { return Window() == nullptr; });
    EXPECT_TRUE(mainWindow.calls.empty());
}

// Every caption of the port and import steps fits its control. With KELVO_SCREENSHOT_DIR set
// the two steps are also written there as pictures, to be looked at. From the keyboard, Tab
// reaches every control of the port step, Enter presses the focused button, Escape leaves.
TEST_F(StickReaderTest, PortAndImportStepsShowTheirTextsWholeAndWorkFromTheKeyboard) {
    modCommon::SetLastUsedComPort(2, 0);
    frmStickReader* w = Run();
    ASSERT_NE(w, nullptr);
    for (int step : {0, 2}) {
        w->ShowFrame(step);
        if (step == 2)
            w->lblHelp[2]->setText(w->lblHelp[2]->text() + QString::fromStdString(
                CRLF + "Getting data..." + CRLF + "Records received: 5000" + CRLF + "Adding data to your records..." +
                CRLF + "Data received. Erasing data from your  stick..." + CRLF +
                "Import completed OK - click Exit to exit this screen." + CRLF + "Unreadable records skipped: 2"));
        EXPECT_EQ(CutTexts(*w), Texts{});
        SaveScreenshot(*w, "stickreader-step" + std::to_string(step));
    }
    w->ShowFrame(0);
    EXPECT_EQ(NotReachedByTab(*w), Texts{});
    EXPECT_TRUE(PressedByEnter(*w->cmdRefreshComportList));
    QTest::keyClick(w->cmdRefreshComportList, Qt::Key_Escape);
    WaitUntil([] { return Window() == nullptr; });
}

// ---- The configuration editor ---------------------------------------------------------------

const std::string kCode = "|bqrtvwnhk905", kNul(1, '\0');
using Change = std::function<void(frmStickReader&)>;

// The rows on show, top to bottom: "caption = value" ("<none>" for a list without a choice).
Texts EditorRows(frmStickReader& w) {
    std::vector<std::pair<int, std::string>> rows;
    for (size_t i = 1; i < w.lblConfig.size(); ++i) {
        if (w.lblConfig[i]->isHidden()) continue;
        QWidget* editor = w.picInner->childAt(w.txbConfig[0]->x() + 2, w.lblConfig[i]->y() + 2);
        QString value = "<none>";
        if (auto* text = qobject_cast<QLineEdit*>(editor)) value = text->text();
        if (auto* list = qobject_cast<QComboBox*>(editor); list && list->currentIndex() >= 0) value = list->currentText();
        rows.push_back({w.lblConfig[i]->y(), (w.lblConfig[i]->text() + " = " + value).toStdString()});
    }
    std::sort(rows.begin(), rows.end());
    Texts texts;
    for (const auto& row : rows) texts.push_back(row.second);
    return texts;
}
template <class Control>
Control* At(const std::vector<Control*>& controls, long position) {
    for (size_t i = 1; i < controls.size(); ++i)
        if (controls[i]->property("Tag").toLongLong() == position) return controls[i];
    return nullptr;
}
void Type(frmStickReader& w, long position, const std::string& text) { At(w.txbConfig, position)->setText(QString::fromStdString(text)); }
void Choose(frmStickReader& w, long position, const QString& entry) {
    QComboBox* list = At(w.cboConfig, position);
    list->setCurrentIndex(list->findText(entry));
}

class ConfigurationEditorTest : public StickReaderTest {
protected:
    ConfigurationEditorTest() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        Language(2057);
        Stick().SetIdentity("KRX250 v12\r");
    }
    ~ConfigurationEditorTest() override { QLocale::setDefault(QLocale::system()); }
    static void Language(long id) {
        modCommon::Translator().menLLanguage = id;
        modCommon::Translator().menLBaseLanguage = id & 0xFF;
    }
    frmStickReader& Configure() {
        frmStickReader* w = Run(modMainWindowServices::StickReaderConfiguration);
        EXPECT_NE(w, nullptr);
        Stick().ClearReceived();
        return *w;
    }
    // Saves what `change` typed and gives the boxes shown and the lines the stick heard.
    std::pair<Texts, Texts> Save(frmStickReader& w, const Change& change = {}) {
        if (change) change(w);
        const size_t before = prompts.shown().size();
        Stick().ClearReceived();
        w.cmdConfigSave->click();
        return {Boxes(before), Stick().Received()};
    }
};

TEST_F(ConfigurationEditorTest, ItemsShowByIdWithRangesAndChoicesAndWrongValuesInRedWithOneMessage) {
    Stick().SetConfigValue(16, "50");
    Stick().SetConfigValue(17, "1");
    Stick().SetConfigValue(9, "2");  // a scrapie stick
    frmStickReader& w = Configure();
    EXPECT_EQ(EditorRows(w),
              (Texts{"Firmware Version = KRX250 v12", "Serial Number = 100000123", "Scan time (seconds) from 1 to 10 = 5",
                     "Shutdown time (minutes) from 1 to 10 = 5", "EID Display Format = Decimal",
                     "EID Output Format = Decimal", "Save Readings to Stick Memory = Yes", "Language = English",
                     "Continuous Read Mode = Press to Read", "Continuous Read Mode Timeout (seconds) from 1 to 30 = 15",
                     "Printer Type = Pro60", "Label Printing Allowed = No", "Label Printing On = Yes",
                     "Print in Order = Print as read", "Printer Bluetooth ID = 000000000000",
                     "Weigher Bluetooth ID = 000000000000"}));
    EXPECT_EQ(At(w.txbConfig, 16)->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_NE(At(w.txbConfig, 2)->palette().color(QPalette::Text), QColor(Qt::red));
    EXPECT_TRUE(At(w.txbConfig, 2)->isReadOnly());
    EXPECT_EQ(At(w.cboConfig, 28)->itemText(2), "QL220");
    EXPECT_EQ(w.fraSequence[1]->title(), "Configuration (use the scrollbar on the right to view all configuration items)");
    EXPECT_GT(w.fsbVScroll->maximum(), 0);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(prompts.shown().at(0).title, "Invalid Configuration Item(s)");
}

TEST_F(ConfigurationEditorTest, EditionLanguageFirmwareAndThePartnersStickDecideWhichRowsShow) {
    auto names = [](frmStickReader& w) {
        Texts names;
        for (const std::string& row : EditorRows(w)) names.push_back(row.substr(0, row.find(" = ")));
        return names;
    };
    modCommon::EditionCode = 2;
    Texts rows = names(Configure());
    EXPECT_EQ(rows.size(), 33u);  // all but Output Termination
    EXPECT_EQ(rows[0] + "|" + rows[19] + "|" + rows[18], "Firmware Version|EID Output Format|EID Display Format");
    DefaultInstance<frmStickReader>::Unload();
    Language(3081);
    EXPECT_EQ(names(Configure()).size(), 34u);
    DefaultInstance<frmStickReader>::Unload();

    modCommon::EditionCode = 0;
    Language(1034);  // Spanish: no label printing before firmware 11; no memory, no saving to it
    Stick().SetFirmwareVersion(10);
    Stick().SetConfigValue(1, "1");
    rows = names(Configure());
    for (const char* gone : {"Label Printing On", "Label Printing Allowed", "Print in Order", "Save Readings to Stick Memory"})
        EXPECT_EQ(std::count(rows.begin(), rows.end(), gone), 0) << gone;
    DefaultInstance<frmStickReader>::Unload();

    modCommon::OxbrelMode = 1;
    Stick().SetFirmwareVersion(12);
    EXPECT_EQ(names(Configure()), (Texts{"Firmware Version", "Scan time (seconds) from 1 to 10",
                                         "Shutdown time (minutes) from 1 to 30", "Printer Bluetooth ID"}));
}

TEST_F(ConfigurationEditorTest, SaveWritesTheEditionsItemsInTheStickUnitsAndLoadsThem) {
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    frmStickReader& w = Configure();
    EXPECT_EQ(At(w.txbConfig, 25)->text(), "15");
    EXPECT_EQ(At(w.cboConfig, 28)->count(), 2);  // no QL220 on a stick that is not a scrapie stick
    // The save keeps the window open and the keeper's hands off it until the stick has answered.
    Fault(Stick(), [](auto& f) { f.replyDelayMs = 300; });
    int refused = 0;
    QTimer poke;
    QObject::connect(&poke, &QTimer::timeout, [&] {
        w.close();
        refused += Window() == &w && w.isVisible() && !w.isEnabled();
    });
    poke.start(20);
    auto [boxes, heard] = Save(w, [](frmStickReader& w) {
        Type(w, 16, "2,5");
        Type(w, 17, "5");
        Type(w, 21, "");
    });
    poke.stop();
    EXPECT_GT(refused, 0);
    EXPECT_EQ(boxes, Texts{Box("Configuration saved", Prompts::OKOnly, "Configuration updated OK.")});
    EXPECT_EQ(heard, (Texts{"n", "w9|1", "w16|2500", "w17|300000", "w18|2", "w19|2", "w20|2", "w21|000000000000" + kNul,
                            "w23|1", "w24|1", "w25|15000", "w28|1", "w29|1", "w30|1", "w31|1", "w32|1",
                            "w33|000000000000", "l"}));
    EXPECT_EQ(Stick().ConfigValue(16) + " " + Stick().ConfigValue(17), "2500 300000");
    EXPECT_EQ(At(w.txbConfig, 16)->text(), "2,5");  // as edited
    EXPECT_TRUE(w.isEnabled());

    DefaultInstance<frmStickReader>::Unload();
    Fault(Stick(), [](auto& f) { f.replyDelayMs = 0; });
    modCommon::EditionCode = 2;
    std::tie(boxes, heard) = Save(Configure(), [](frmStickReader& w) {
        Type(w, 2, "123456789");
        Type(w, 26, "abcdef");
    });
    EXPECT_EQ(boxes, Texts{Box("Configuration saved", Prompts::OKOnly, "Configuration updated OK.")});
    ASSERT_EQ(heard.size(), 36u);  // n, every item (Output Termination hidden, but written), l
    EXPECT_EQ(Texts(heard.begin(), heard.begin() + 4), (Texts{"n", "w0|12" + kCode, "w1|2" + kCode, "w2|123456789" + kCode}));
    EXPECT_EQ(Texts(heard.begin() + 23, heard.begin() + 32),
              (Texts{"w22|000000000000" + kNul, "w23|1", "w24|1", "w25|15000", "w26|abcd" + kNul, "w27|1", "w28|1", "w29|1", "w30|1"}));
    EXPECT_EQ(Stick().ConfigValue(2), "123456789");
}

TEST_F(ConfigurationEditorTest, SaveStopsAtTheFirstFailureAndSaysWhy) {
    auto notFound = [](long port) {
        return "Can't find the stick reader on serial port COM" + std::to_string(port) + "." + CRLF +
               "Please check that the stick reader is powered up.";
    };
    auto error = [](const std::string& text) { return Texts{Box("Configuration Error", Prompts::OKOnly, text)}; };
    // The fault, the box, what the stick heard ({} = every item and l), how many items it holds
    // written but not loaded.
    const std::vector<std::tuple<const char*, std::function<void(SimStick::Faults&)>, Texts, Texts, size_t>> cases = {
        {"F on the third w", [](auto& f) { f.failWriteAt = 3; },
         error("Failed to write a configuration parameter (Shutdown time)"), {"n", "w9|1", "w16|5000", "w17|300000"}, 2},
        {"X on every w", [](auto& f) { f.status['w'] = 'X'; },
         error("Failed to write a configuration parameter (Scrapie Stick)"), {"n", "w9|1"}, 0},
        {"unplugged during w", [](auto& f) { f.unplugDuring = 'w'; },
         error("Failed to write a configuration parameter (Scrapie Stick)"), {"n", "w9|1"}, 1},
        {"l refused", [](auto& f) { f.status['l'] = 'F'; }, error("Failed to load the new configuration"), {}, 16},
        {"l silent", [](auto& f) { f.silentTo = {"l"}; }, error("Failed to load the new configuration"), {}, 16},
        {"n silent", [](auto& f) { f.silentTo = {"n"}; }, error(notFound(45)), {"n"}, 0},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [name, fault, boxes, heard, pending] = cases[i];
        SCOPED_TRACE(name);
        PlugIn(40 + static_cast<long>(i));
        frmStickReader& w = Configure();
        Fault(Stick(), fault);
        const auto [shown, received] = Save(w);
        EXPECT_EQ(shown, boxes);
        if (!heard.empty()) EXPECT_EQ(received, heard);
        else EXPECT_EQ(received.back(), "l");
        EXPECT_EQ(Stick().PendingConfig().size(), pending);
        EXPECT_EQ(Stick().ConfigValue(16), "5000");  // nothing loaded
        DefaultInstance<frmStickReader>::Unload();
    }
    PlugIn(50);
    frmStickReader& w = Configure();
    // The port's device is gone.
    IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", Stick().SlavePath(), "COM51");
    IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", home.root() + "/gone", "COM50");
    EXPECT_EQ(Save(w), std::make_pair(error(notFound(50)), Texts{}));
}

TEST_F(ConfigurationEditorTest, TypedValuesAreCheckedInOrderBeforeAnythingIsSent) {
    auto invalid = [](const char* name) {
        return Texts{Box("Configuration Error", Prompts::OKOnly,
                         std::string("A configuration parameter (") + name + ") is invalid. Please re-enter it.")};
    };
    const std::vector<std::tuple<Change, Texts>> cases = {
        {[](auto& w) { Type(w, 16, "abc"); }, invalid("Scan time")},
        {[](auto& w) { Type(w, 16, "0.5"); }, invalid("Scan time")},
        {[](auto& w) { Type(w, 16, "2.5555"); }, invalid("Scan time")},
        {[](auto& w) { Type(w, 17, "11"); }, invalid("Shutdown time")},
        {[](auto& w) { Type(w, 21, "0123456789AG"); }, invalid("Printer Bluetooth ID")},
        {[](auto& w) { At(w.cboConfig, 28)->setCurrentIndex(-1), Type(w, 33, "x"); },
         {Box("Configuration Error", Prompts::OKOnly,
              "A configuration parameter (Printer Type)  has not been selected. Please select it.")}},
    };
    for (const auto& [change, boxes] : cases) {
        EXPECT_EQ(Save(Configure(), change), std::make_pair(boxes, Texts{}));
        DefaultInstance<frmStickReader>::Unload();
    }
    // The engineering edition edits the reserved items, whose pattern would take what splits a
    // command.
    modCommon::EditionCode = 2;
    EXPECT_EQ(Save(Configure(), [](auto& w) { Type(w, 10, "a|b"); }), std::make_pair(invalid("Reserved10"), Texts{}));
}

TEST_F(ConfigurationEditorTest, AStickThatCannotBeReadLeavesNoEditorAndGoesBackToThePortChoice) {
    const std::string notReceived = Box("Configuration Data NOT Received", Prompts::Exclamation,
                                        "Failed to get configuration data from the stick.");
    const std::string newProgram = Box("New Program Required", Prompts::Exclamation,
                                       "This stick is a later version than this program can handle." + CRLF +
                                           "You will need to get an updated version of this program.");
    auto reply = [](const std::string& payload) {
        return [payload](SimStick& s) { s.SetHandler('c', [payload](const std::string&) { return SimStick::Reply{payload, 'S'}; }); };
    };
    auto fault = [](std::function<void(SimStick::Faults&)> change) { return [change](SimStick& s) { Fault(s, change); }; };
    // A fault that comes once the stick has answered a command of the connection's or the c.
    auto after = [](char letter, std::function<void(SimStick::Faults&)> change) {
        return [letter, change](SimStick& s) {
            s.SetHandler(letter, [&s, change](const std::string&) { return Fault(s, change), SimStick::Reply{}; });
        };
    };
    auto logged = [](const std::string& number, const std::string& text) {
        return Box("Application Error", Prompts::OKOnly | Prompts::Critical,
                   "An error occurred in procedure DoConfiguration in frmStickReader" + CRLF + "The error was '" + text +
                       "' (Error number " + number + ")");
    };
    const std::vector<std::tuple<const char*, std::function<void(SimStick&)>, std::string>> cases = {
        {"c silent", fault([](auto& f) { f.silentTo = {"c"}; }), notReceived},
        {"c refused", fault([](auto& f) { f.status['c'] = 'X'; }), notReceived},
        {"c cut off", fault([](auto& f) { f.unplugDuring = 'c', f.unplugAfter = 30; }), notReceived},
        {"c garbage", after('t', [](auto& f) { f.garbage = true, f.garbageIntervalMs = 5000; }), notReceived},
        {"n silent", after('c', [](auto& f) { f.silentTo = {"n"}; }), notReceived},
        {"firmware 13", reply("0|13#1|2"), newProgram},
        {"no bar", reply("12#1|2"), newProgram},
        {"no memory", reply("0|0#1|2"), Box("New Program Required", Prompts::Exclamation,
                                            "This stick has no memory fitted - this application must use a stick with memory fitted.")},
        {"position not a number", reply("0|12#1|2#x|1"), logged("13", "Type mismatch")},
        {"position outside", reply("0|12#1|2#34|1"), logged("9", "Subscript out of range")},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto& [name, spoil, box] = cases[i];
        SCOPED_TRACE(name);
        PlugIn(30 + static_cast<long>(i));
        spoil(Stick());
        const size_t before = prompts.shown().size();
        frmStickReader* w = Run(modMainWindowServices::StickReaderConfiguration);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(Boxes(before), Texts{box});
        EXPECT_TRUE(w->fraSequence[0]->isVisible());
        EXPECT_EQ(w->lblConfig.size() + w->txbConfig.size() + w->cboConfig.size(), 3u);
        DefaultInstance<frmStickReader>::Unload();
    }
}

TEST_F(ConfigurationEditorTest, ListsThatTheStickCannotRunTogetherKeepEachOtherRight) {
    frmStickReader& w = Configure();
    QComboBox *display = At(w.cboConfig, 19), *order = At(w.cboConfig, 32);
    QComboBox *labelsOn = At(w.cboConfig, 29), *allowed = At(w.cboConfig, 31);
    Choose(w, 32, "Print in order");
    Choose(w, 19, "Tag lookup");
    EXPECT_EQ(display->currentText(), "Decimal");
    Choose(w, 32, "Print as read");
    Choose(w, 19, "Tag lookup");
    Choose(w, 32, "Print in order");
    EXPECT_EQ(order->currentText(), "Print as read");
    EXPECT_EQ(Boxes(), (Texts{Box("Conflicting Options", Prompts::OKOnly,
                                  "Tag Lookup cannot be set when 'Print in Order' is set to Print in Order"),
                              Box("Conflicting Options", Prompts::OKOnly,
                                  "Print in Order cannot be set when 'EID Display Format' is set to Tag Lookup")}));
    Choose(w, 29, "No");
    Choose(w, 29, "Yes");
    EXPECT_EQ(allowed->currentText(), "Yes");
    Choose(w, 31, "No");
    EXPECT_EQ(labelsOn->currentText(), "No");
    EXPECT_EQ(Boxes().size(), 2u);
}

// Every caption of the editor fits its control. With KELVO_SCREENSHOT_DIR set the editor of each
// edition is also written there as a picture, to be looked at. The stick tool window opens it
// modally on its own port.
TEST_F(ConfigurationEditorTest, EditorOpenedModallyOnAGivenPortShowsItsTextsWhole) {
    modCommon::SetLastUsedComPort(2, 0);
    Stick().SetConfigValue(16, "50");
    for (int edition : {0, 2}) {
        modCommon::EditionCode = edition;
        frmStickReader& w = frmStickReader::Instance();
        w.SetPort(5);
        w.SetHHAction(modMainWindowServices::StickReaderConfiguration);
        QTimer::singleShot(0, [&] {
            WaitUntil(Idle);
            EXPECT_EQ(CutTexts(w), Texts{});
            w.fsbVScroll->setValue(At(w.txbConfig, 16)->y() - w.lblConfig[0]->y());  // the wrong value in sight
            SaveScreenshot(w, edition == 2 ? "issue15-editor-engineering" : "issue15-editor-full");
            w.cmdConfigExit->click();
        });
        w.exec();
        WaitUntil([] { return Window() == nullptr; });
    }
}

}  // namespace
