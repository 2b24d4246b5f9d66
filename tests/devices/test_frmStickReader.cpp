#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <tuple>

#include "core/clsDatabase.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "core/modEID.h"
#include "core/modMainWindowServices.h"
#include "devices/StickReadImport.h"
#include "devices/frmStickReader.h"
#include "devices/modHandheld.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/PeerProcess.h"
#include "fixtures/Queries.h"
#include "fixtures/StickReaderTest.h"
#include "fixtures/ThreadCpu.h"
#include "fixtures/WindowChecks.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"

namespace {

const std::string kStem = "20240315102030 Stick Group ";

long AddAnimal(long type, const std::string& tag, const std::string& eid = "") {
    Db().Execute(
        "INSERT INTO Animals (AnimalType, TagNumber, Species, TaggingDate) VALUES (?,?,1,'2020-01-01 00:00:00')",
        {Value(type), Value(tag)});
    const long id = static_cast<long>(Db().LastInsertId());
    if (!eid.empty()) Db().Execute("INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (?,?)", {Value(id), Value(eid)});
    return id;
}
// The tag numbers of a group's members, one per membership.
std::string Members(const std::string& group) {
    return Rows("SELECT TagNumber FROM GroupLink JOIN Animals USING (AnimalID) JOIN Groups USING (GroupID) WHERE " +
                group + " ORDER BY 1");
}
void Key(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

// ---- Filing the reads ---------------------------------------------------------------------

TEST_F(StickReaderTest, ReadsBecomeAnimalsEIDsAndGroupsAndTheStickIsErasedAfterwards) {
    const std::string x = Hex("0372000000000101"), tagOnly = Hex("0372000000000102"), owned = Hex("0372000000000103");
    const long a = AddAnimal(0, "0372 000000000102"), b = AddAnimal(1, "Bella", owned);
    Db().Execute("INSERT INTO Groups (GroupName) VALUES ('" + kStem + "2')");
    Db().Execute(
        "INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1,?),(2,?),(1,999),((SELECT MAX(GroupID) FROM Groups),999)",
        {Value(b), Value(b)});
    Stick().AddRecord(x, '1', kReadAt);
    Stick().AddRecord(tagOnly, '2', {2023, 7, 1, 8, 0, 0});
    Stick().AddRecord(x, '1', kReadAt);
    Stick().AddRecordText("");
    Stick().AddRecord(owned, '1', kReadAt);
    Stick().AddRecordText("XYZ|1|120324090000");
    Stick().AddRecordText(owned + "|1");  // no read time, yet a read
    Stick().AddRecordText("");
    const std::string kept = home.DataFolder() + "/StickRecordsNotImported.txt";
    FileSystem::WriteAll(kept, "earlier\r\n");

    frmStickReader* w = Run();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_TRUE(w->fraSequence[2]->isVisible());
    const long reply = 4 * 31 + 2 * 18 + 7 + 5;  // records, separators, status tail; the first ends at 32
    EXPECT_EQ(w->lblHelp[2]->text().toStdString(),
              "Preparing to get data from your stick reader..." + CRLF + "Getting data..." + CRLF +
                  "Records received: " + std::to_string(reply / 32) + CRLF + "Adding data to your records..." + CRLF +
                  "Data received. Erasing data from your  stick..." + CRLF +
                  "Import completed OK - click Exit to exit this screen." + CRLF + "Unreadable records: 1, kept in " +
                  kept);
    EXPECT_EQ(FileSystem::ReadAll(kept),
              "earlier\r\n2024-03-15 10:20:30\tStick 100000123 on COM5\tXYZ|1|120324090000\r\n");

    const std::string madeTag = "0372 000000000101";
    EXPECT_EQ(
        Rows(
            "SELECT TagNumber||' '||AnimalType||' '||Species||' '||TaggingDate||' '||TagSort FROM Animals ORDER BY AnimalID"),
        "0372 000000000102 1 2 2023-07-01 00:00:00 0,Bella 1 1 2020-01-01 00:00:00 0," + madeTag +
            " 1 2 2024-03-12 00:00:00 " + std::to_string(modCommon::GetTagSortFromTag(madeTag)));
    const std::string made = Scalar("SELECT AnimalID FROM Animals WHERE TagNumber='" + madeTag + "'");
    EXPECT_EQ(Rows("SELECT AnimalID||' '||EIDNumber FROM EIDs ORDER BY EIDID"),
              std::to_string(b) + " " + owned + "," + made + " " + x + "," + std::to_string(a) + " " + tagOnly);
    EXPECT_EQ(Members("GroupID=1"), "0372 000000000101,0372 000000000102,Bella");
    EXPECT_EQ(Members("GroupID=2"), "0372 000000000101,0372 000000000102");
    EXPECT_EQ(Members("GroupName='" + kStem + "1'"), "0372 000000000101,Bella");
    EXPECT_EQ(Members("GroupName='" + kStem + "2'"), "0372 000000000102");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM GroupLink WHERE AnimalID=999"), "0");
    EXPECT_EQ(Scalar("SELECT group_concat(ExportToHH) FROM Groups WHERE GroupID>2"), "0,0");

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
    for (const std::string& eid :
         {Hex("0372000000000201", 1), Hex("0372000000000202"), older, Hex("0826012345600001"), Hex("0826012345700001")})
        Stick().AddRecord(eid, '1', kReadAt);

    ASSERT_NE(Run(), nullptr);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(
        Rows(
            "SELECT TagNumber||' '||(SELECT COUNT(*) FROM EIDs e WHERE e.AnimalID=a.AnimalID) FROM Animals a ORDER BY a.AnimalID"),
        "Ruby 2,Kate 1,UK098765 00002 1,UK0123456 00001 1,UK0123457 00001 1");
    EXPECT_EQ(Rows("SELECT EIDNumber FROM EIDs WHERE AnimalID=" + std::to_string(ruby)),
              retagged + "," + Hex("0372000000000201", 1));
}

TEST(StickReadImport, TagTextTaggingDateAndRecords) {
    const std::string ie = Hex("0372012345678901");
    const std::string uk = Hex("0826012345600001"), ieSplit = ie.substr(0, 4) + " " + ie.substr(4);
    for (const auto& [eid, format, text] :
         std::vector<std::tuple<std::string, int, std::string>>{{uk, 2, "UK0123456 00001"},
                                                                {uk, 1, "UK0123456 00001"},
                                                                {ie, 2, "0372 012345678901"},
                                                                {ie, 3, modEID::HexEIDToDecimalEID(ie).ISODecimal},
                                                                {ie, 1, ieSplit},
                                                                {ie, 7, ieSplit}})
        EXPECT_EQ(StickReadImport::TagText(eid, format), text) << eid << " " << format;
    DateTime::PinClock(kNow);
    EXPECT_EQ(StickReadImport::TaggingDate("290224101010"), (DateTime{2024, 2, 29, 0, 0, 0}));
    EXPECT_EQ(StickReadImport::TaggingDate("010130000000"), (DateTime{1930, 1, 1, 0, 0, 0}));
    for (const char* unreal : {"000000000000", "011324000000", "290223000000", "320124000000", "0101", "01a124000000"})
        EXPECT_EQ(StickReadImport::TaggingDate(unreal), kNow.DateOnly()) << unreal;
    DateTime::PinClock({});
    auto records = StickReadImport::ParseRecords("#" + ie + "|1|x#||#abc|1|2#" + ie + "|2#" + ie.substr(1) + "g|1|2#");
    ASSERT_EQ(records.reads.size(), 2u);
    EXPECT_EQ(records.reads[0].hexEID + records.reads[0].group + records.reads[0].readTime, ie + "1x");
    EXPECT_EQ(records.reads[1].hexEID + records.reads[1].group + records.reads[1].readTime, ie + "2");
    EXPECT_EQ(records.unread, (Texts{"abc|1|2", ie.substr(1) + "g|1|2"}));
    EXPECT_EQ(StickReadImport::GroupNameStem({2009, 2, 3, 4, 5, 6}), "20090203040506 Stick Group ");
}

// The register keeps EIDs in capitals, whatever case the stick sends; a read without a stick
// group goes to the dated group of the stem alone.
TEST_F(StickReaderTest, ALowerCaseEIDIsKeptInCapitalsAndAReadWithoutGroupNamesNoBlankAtItsEnd) {
    const std::string hex = Hex("0372000000000601");
    std::string lower = hex;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Stick().AddRecordText(lower + "||120324090000");
    ASSERT_NE(Run(), nullptr);
    EXPECT_EQ(Rows("SELECT EIDNumber FROM EIDs"), hex);
    EXPECT_EQ(Rows("SELECT TagNumber FROM Animals"), "0372 000000000601");
    EXPECT_EQ(Members("GroupName='20240315102030 Stick Group'"), "0372 000000000601");
}

// ---- Failures -------------------------------------------------------------------------------

TEST_F(StickReaderTest, NoConfigurationNoRecordsOrAPulledPlugWritesAndErasesNothing) {
    Db().Execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1,?)", {Value(AddAnimal(1, "Bella"))});
    const std::string notReceived =
        Box("Configuration Data NOT Received", Prompts::OKOnly, "Failed to get configuration data from the stick.");
    const std::string failed =
        Box("Failed to get data", Prompts::Exclamation, "Failed to get data from your stick reader.");
    auto entries = [](int count, const std::string& version) {
        std::string payload = "0|" + version;
        for (int k = 1; k < count; ++k) payload += "#" + std::to_string(k) + "|2";
        return [payload](const std::string&) { return SimStick::Reply{payload, 'S'}; };
    };
    const std::vector<std::tuple<const char*, std::function<void(SimStick&)>, Texts>> cases = {
        {"c silent", [](SimStick& s) { Fault(s, [](auto& f) { f.silentTo = {"c"}; }); }, {notReceived, failed}},
        {"c refused", [](SimStick& s) { Fault(s, [](auto& f) { f.status['c'] = 'F'; }); }, {notReceived, failed}},
        {"c cut off",
         [](SimStick& s) { Fault(s, [](auto& f) { f.unplugDuring = 'c', f.unplugAfter = 20; }); },
         {notReceived, failed}},
        {"c of 19 entries", [&](SimStick& s) { s.SetHandler('c', entries(19, "12")); }, {notReceived, failed}},
        {"version 13",
         [&](SimStick& s) { s.SetHandler('c', entries(20, "13")); },
         {Box("New Program Required", Prompts::Exclamation,
              "This stick is a later version than this program can handle." + CRLF +
                  "You will need to get an updated version of this program."),
          failed}},
        {"r refused", [](SimStick& s) { Fault(s, [](auto& f) { f.status['r'] = 'X'; }); }, {failed}},
        {"r silent", [](SimStick& s) { Fault(s, [](auto& f) { f.silentTo = {"r"}; }); }, {failed}},
        {"unplugged during r",
         [](SimStick& s) { Fault(s, [](auto& f) { f.unplugDuring = 'r', f.unplugAfter = 100; }); },
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
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Animals") + Scalar("SELECT COUNT(*) FROM GroupLink"), "11");
        EXPECT_TRUE(mainWindow.calls.empty());
        DefaultInstance<frmStickReader>::Unload();
    }
}

// A full stick's reply is larger than any other exchange may be (over 1,000,000 characters).
// A full stick answers with a megabyte. The program gives a stick a second to start its answer;
// the simulator's answer may take longer than the tenth of it the other tests allow on a busy
// machine, so this test waits as the program does for a real stick.
TEST_F(StickReaderTest, AFullStickIsReadWhole) {
    const std::string scale = Program::Environment("KELVO_TIME_SCALE");
    setenv("KELVO_TIME_SCALE", "1", 1);
    struct Restore {
        std::string scale;
        ~Restore() { setenv("KELVO_TIME_SCALE", scale.c_str(), 1); }
    } restore{scale};
    AddReads("0372000000", 32000);
    Run();
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM EIDs"), "32000");
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
    Db().Execute(
        "CREATE TRIGGER Failing BEFORE INSERT ON EIDs WHEN (SELECT COUNT(*) FROM EIDs) >= 3999 "
        "BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END");
    AddReads("0372000000", 5000);

    frmStickReader* w = Run();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Boxes(), Texts{Box("Application Error", Prompts::OKOnly | Prompts::Critical,
                                 "An error occurred in procedure DoImport in frmStickReader" + CRLF +
                                     "The error was 'disk I/O error' (Error number " +
                                     std::to_string(ErrorNumber::DatabaseFailure) + ")")});
    EXPECT_NE(
        FileSystem::ReadAll(home.DataFolder() + "/KelvoErrorLog.txt").find("in procedure DoImport in frmStickReader"),
        std::string::npos);
    EXPECT_EQ(
        Rows("SELECT COUNT(*) FROM Animals UNION ALL SELECT COUNT(*) FROM EIDs UNION ALL SELECT COUNT(*) FROM Groups "
             "UNION ALL SELECT COUNT(*) FROM GroupLink"),
        "1,0,2,2");
    EXPECT_EQ(Stick().Records().size(), 5000u);
    EXPECT_EQ(Stick().CountOf('e'), 0);
    EXPECT_TRUE(mainWindow.calls.empty());
    EXPECT_TRUE(w->isEnabled());
}

// Another program holding the database: one box in plain words, and the stick keeps its reads.
TEST_F(StickReaderTest, ADatabaseInAnotherProgramsHandsSaysSoOnceAndTheStickKeepsItsReads) {
    AddReads("0372000000", 3);
    modCommon::ReleaseDatabase();  // opened again with the tests' short wait for a lock
    LockingPeer locked(modCommon::Database().GetDatabaseFilespec(), home.root());
    Run();
    EXPECT_EQ(Boxes(), Texts{Box("Database In Use", Prompts::OKOnly | Prompts::Exclamation, kDatabaseInUse)});
    EXPECT_EQ(Stick().Records().size(), 3u);
    EXPECT_EQ(Stick().CountOf('e'), 0);
    EXPECT_TRUE(mainWindow.calls.empty());
}

TEST_F(StickReaderTest, EraseNotConfirmedKeepsTheRowsAndAnotherImportFilesTheSameAnimals) {
    const std::string notErased =
        Box("Stick Not Erased", Prompts::Exclamation,
            "Your records have been updated, but the data could not be erased from your stick "
            "reader." +
                CRLF + "Importing it again later adds the same reads to the same animals.");
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
        EXPECT_EQ(
            Rows(
                "SELECT COUNT(*) FROM Animals UNION ALL SELECT COUNT(*) FROM Groups UNION ALL "
                "SELECT COUNT(*) FROM GroupLink WHERE GroupID=1 UNION ALL SELECT COUNT(*) FROM GroupLink WHERE GroupID=2"),
            "2," + std::to_string(2 + 2 * (i + 1)) + ",2," + (i == 0 ? "2" : "0"));
        EXPECT_EQ(mainWindow.CountOf("UpdateAfterImport"), static_cast<int>(i + 1));
        DefaultInstance<frmStickReader>::Unload();
    }
}

// Records that the import cannot read and that no file can take stay on the stick, and a file
// that takes only some of them keeps none: the next import appends them once.
TEST_F(StickReaderTest, AStickWhoseUnreadRecordsCannotBeKeptIsNotErased) {
    const std::string kept = home.DataFolder() + "/StickRecordsNotImported.txt";
    const std::string notSaved =
        Box("Stick Not Erased", Prompts::Exclamation,
            "Your records have been updated, but the stick's unreadable records could not be saved in " + kept + "." +
                CRLF + "They are still on your stick reader, which was not erased.");
    FileSystem::CreateDirectories(kept);  // a folder where the file should be
    Stick().AddRecordText("damaged|1");
    ASSERT_NE(Run(), nullptr);
    EXPECT_EQ(Boxes(), Texts{notSaved});
    EXPECT_EQ(Stick().CountOf('e'), 0);
    EXPECT_EQ(Stick().Records().size(), 1u);
    DefaultInstance<frmStickReader>::Unload();

    // A file larger than the register, on a disk with room for a hundred bytes more.
    FileSystem::Remove(kept);
    const std::string earlier(2 << 20, 'e');
    FileSystem::WriteAll(kept, earlier);
    for (const char* damaged : {"damaged|2|150324101000", "damaged|3|150324101000", "damaged|4|150324101000"})
        Stick().AddRecordText(damaged);
    {
        FileSizeLimit disk(earlier.size() + 100);
        ASSERT_NE(Run(), nullptr);
    }
    EXPECT_EQ(Boxes(), (Texts{notSaved, notSaved}));
    EXPECT_TRUE(FileSystem::ReadAll(kept) == earlier) << "the file is as it was";
    EXPECT_EQ(Stick().CountOf('e'), 0);
    DefaultInstance<frmStickReader>::Unload();
    ASSERT_NE(Run(), nullptr);
    const std::string appended = FileSystem::ReadAll(kept).substr(earlier.size());
    EXPECT_EQ(std::count(appended.begin(), appended.end(), '\n'), 4) << appended;
    EXPECT_EQ(Stick().CountOf('e'), 1);
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
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Animals"), "400");
    ASSERT_NE(Window(), nullptr);
    Window()->close();
    EXPECT_EQ(Window(), nullptr);
}

// While a paced stick sends a long reply, the window's thread sleeps most of the time: its reads
// take what the line brings over a short slice instead of waking, pumping and counting anew for
// every byte.
// Measured from the stick's answer on, so that making the window on a busy machine does not count.
TEST_F(StickReaderTest, APacedLongReplyLeavesTheProcessorToOthers) {
    AddReads("0372000000", 640);  // 20 kB at 32 bytes a read
    Stick().SetBytesPerSecond(1920);
    const ThreadCpu::Clock window = ThreadCpu::ClockOfThisThread();
    std::optional<ThreadCpu> cpu;
    Stick().SetHandler('r', [&](const std::string&) {
        cpu.emplace(window);
        return SimStick::Reply{modHandheld::JoinText(Stick().Records(), '#'), 'S'};
    });
    ASSERT_NE(Run(), nullptr);
    ASSERT_TRUE(cpu.has_value());
    EXPECT_LT(cpu->Share(), 0.1 * ThreadCpu::kInstrumentation) << "over " << cpu->WallMs() << " ms";
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Animals"), "640");
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

// The simple edition gives the window's own help in the keeper's language, and it fits.
TEST_F(StickReaderTest, PortAndConfigurationHelpSpeakTheKeepersLanguage) {
    modCommon::EditionCode = 1;
    for (auto [locale, port, configuration] :
         {std::tuple{"es_ES.UTF-8", "Si aún no ha activado", "Obteniendo los datos de configuración del lector..."},
          {"nl_NL.UTF-8", "Als u de Bluetooth-verbinding", "Instellingen worden van uw stick opgehaald..."},
          {"pt_PT.UTF-8", "Se ainda não ativou", "Obtendo os dados de configuração do bastão de leitura..."}}) {
        setenv("LC_ALL", locale, 1);
        modCommon::Translator().SetTranslationOn(true);
        frmStickReader* w = Run(modMainWindowServices::StickReaderConfiguration);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->lblHelp[1]->text().toStdString(), configuration);
        w->ShowFrame(0);
        EXPECT_TRUE(w->lblHelp[0]->text().startsWith(QString::fromUtf8(port))) << locale;
        EXPECT_EQ(CutTexts(*w), Texts{}) << locale;
        DefaultInstance<frmStickReader>::Unload();
    }
    unsetenv("LC_ALL");
    modCommon::Translator().SetTranslationOn(false);
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
            w->lblHelp[2]->setText(w->lblHelp[2]->text() +
                                   QString::fromStdString(CRLF + "Getting data..." + CRLF + "Records received: 5000" +
                                                          CRLF + "Adding data to your records..." + CRLF +
                                                          "Data received. Erasing data from your  stick..." + CRLF +
                                                          "Import completed OK - click Exit to exit this screen." +
                                                          CRLF + "Unreadable records: 2, kept in " + home.DataFolder() +
                                                          "/StickRecordsNotImported.txt"));
        EXPECT_EQ(CutTexts(*w), Texts{});
        SaveScreenshot(*w, "stickreader-step" + std::to_string(step));
    }
    w->ShowFrame(0);
    EXPECT_EQ(NotReachedByTab(*w), Texts{});
    EXPECT_TRUE(PressedByEnter(*w->cmdRefreshComportList));
    QTest::keyClick(w->cmdRefreshComportList, Qt::Key_Escape);
    WaitUntil([] { return Window() == nullptr; });
}

}  // namespace
