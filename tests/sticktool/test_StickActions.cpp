#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <QTreeWidget>

#include <filesystem>

#include "core/modEID.h"
#include "fixtures/StickToolTest.h"
#include "fixtures/WindowChecks.h"
#include "fixtures/Workbook.h"
#include "platform/FileSystem.h"
#include "platform/Recordset.h"
#include "platform/Rtf.h"
#include "sticktool/StickAcceptanceTest.h"
#include "sticktool/StickConnection.h"
#include "sticktool/StickTagOutput.h"
#include "sticktool/StickTagRead.h"
#include "sticktool/StickTagTable.h"
#include "sticktool/frmSelectTags.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TextWindow.h"

namespace {

const std::string kUK = "0826012345678901", kIrish = "0372000000000042";
const std::string kCode = "|bqrtvwnhk905";
std::string Hex(const std::string& decimal) { return modEID::DecimalEIDToHexEID(decimal); }

// The simple edition on a stick in the en_GB locale, reading to the chosen output.
class StickActionTest : public StickConnectionTest {
protected:
    StickActionTest() { QLocale::setDefault(QLocale("en_GB")); }
    ~StickActionTest() override {
        QLocale::setDefault(QLocale::c());
        for (TextWindow* window : TextWindow::OpenWindows()) delete window;
    }
    frmSimple& Window() {
        frmSimple* window = DefaultInstance<frmSimple>::Loaded();
        return window ? *window : *Start();
    }
    // Reads the stick to the output (0 text windows, 1 spreadsheet, 2 clipboard) with the
    // options given (group labels, time, sorting).
    std::string Read(int output = 2, bool labels = false, bool time = false, bool sort = false) {
        frmSimple& w = Window();
        w.optDisplayApplication[output]->setChecked(true);
        w.ckbIncludeGroupLabels->setChecked(labels);
        w.ckbIncludeTimeScanned->setChecked(time);
        w.ckbSortTags->setChecked(sort);
        QApplication::clipboard()->clear();
        w.cmdStickAction[0]->click();
        EXPECT_EQ(Enabled(w), kAll);
        ExpectSettled(w);
        return QApplication::clipboard()->text().toStdString();
    }
    void WriteList(const std::string& name, const std::string& rows) {
        FileSystem::WriteAll(Path(name), "HerdId,TagNumber,EidNumber,Active\r\n" + rows);
    }
    std::string Path(const std::string& name) { return modCommon::GetDatabaseFilespec() + "/" + name; }
};

// ---- Tag reading ------------------------------------------------------------------------------

TEST(StickTagTable, RecordsBecomeRowsAsTheStickShowsThem) {
    using namespace StickTagTable;
    const std::string uk = Hex(kUK);
    Recordset table = Create();
    QLocale::setDefault(QLocale("en_GB"));
    modCommon::FormatUKSpace = true;
    const auto unread = AddRecords(
        table, uk + "|B|150324000000| RPA #short|A#ZZ12|A|9999x9#|#" + uk + "|a|150324102030#", UKWYSIWYG, nullptr);
    modCommon::FormatUKSpace = false;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(unread, std::vector<std::string>{"short|A"}) << "a record of fewer than three fields is no read";
    ASSERT_EQ(table.Rows(), 3);
    table.MoveFirst();
    EXPECT_EQ(table.GetString(",", ";"),
              "UK 0123456 78901,B,15/03/2024,RPA,BUK0123456 78901,UK0123456 78901;"
              "ZZ12,A,,,AZZ12,ZZ12;UK 0123456 78901,a,15/03/2024 10:20:30,,aUK0123456 78901,UK0123456 78901;");
    Sort(table, true);
    EXPECT_EQ(table.At(0, StickGroup).ToString() + table.At(1, StickGroup).ToString(), "aA")
        << "group, then tag, without case";
}

TEST_F(StickActionTest, ReadShowsTagsByTheSticksDisplayFormat) {
    const std::string uk = Hex(kUK), irish = Hex(kIrish);
    stick->AddRecordText(uk + "|A|150324102030");
    stick->AddRecordText(irish + "|A|150324102031");
    stick->SetConfigValue(2, "123456789");
    const auto read = [&](const char* format) {
        stick->SetConfigValue(19, format);
        return Read();
    };
    EXPECT_EQ(read("1"), uk + "\r\n" + irish + "\r\n");
    EXPECT_EQ(read("2"), kUK + "\r\n" + kIrish + "\r\n");
    EXPECT_EQ(read("6"), "UK0123456 78901\r\n" + kIrish + "\r\n");
    const auto uk10 = modEID::HexEIDToDecimalEID(uk), irish10 = modEID::HexEIDToDecimalEID(irish);
    EXPECT_EQ(read("3"), uk10.ISODecimal + "\r\n" + irish10.ISODecimal + "\r\n");
    EXPECT_EQ(read("5"), uk10.FullISO + "\r\n" + irish10.FullISO + "\r\n");
    // Look-up: none yet (every tag falls back), the keeper's list (a decimal EID found), then
    // the copy last sent to this stick.
    EXPECT_EQ(read("7"), "UK0123456 78901\r\n" + kIrish + "\r\n");
    WriteList("Eartags.csv", "\"UK1\",\"LIST\"," + kUK + ",\"Yes\"\r\n");
    EXPECT_EQ(read("7"), "UK1 LIST\r\n" + kIrish + "\r\n");
    WriteList("123456789Eartags.csv", ",\"COPY\"," + irish + ",\"No\"\r\n");
    EXPECT_EQ(read("7"), "UK0123456 78901\r\nCOPY\r\n");

    stick->SetHandler('c', [](const std::string&) { return SimStick::Reply{"0|13#1|2", 'S'}; });
    prompts.AcceptAllOK();
    EXPECT_EQ(Read(), uk + "\r\n" + irish + "\r\n") << "a later stick's tags as received";
    EXPECT_EQ(prompts.Messages(), (V{"This stick is a later version than this program can handle.\r\n"
                                     "You will need to get an updated version of this program."}));
    EXPECT_EQ(prompts.shown().back().style, Prompts::Exclamation);
}

// The read alone, without the window: it sorts as its options ask and says on the help line how
// far it is.
TEST_F(StickConnectionTest, ReadWithoutTheWindowTakesItsOptionsAndHelpLine) {
    stick->AddRecordText(Hex(kUK) + "|b|150324102030");
    stick->AddRecordText(Hex(kIrish) + "|A|150324102031");
    StickConnection line([] { return StickConnection::Port{5, "baud=19200 parity=N data=8 stop=1"}; });
    V help;
    const auto groups = [&](bool sort) {
        const auto table = StickTagRead(
                               {sort, true}, [&](const std::string& text) { help.push_back(text); }, line)
                               .Run();
        EXPECT_FALSE(line.Comm().IsOpen());
        return table ? table->At(0, StickTagTable::StickGroup).ToString() +
                           table->At(1, StickTagTable::StickGroup).ToString()
                     : "(none)";
    };
    EXPECT_EQ(groups(false), "bA");
    EXPECT_EQ(help, (V{"Reading from stick...", "", "Extracting tags..."}));
    EXPECT_EQ(groups(true), "Ab");
}

// A read without a group character is shown with the others; a record of fewer than three
// fields is listed as not read before the tags are shown.
TEST_F(StickActionTest, AReadWithoutGroupIsShownAndARecordNotReadIsListed) {
    stick->SetConfigValue(19, "1");
    for (const char* record :
         {"8000000000000002||150324101000", "8000000000000003|1|150324101001", "8000000000000004|1"})
        stick->AddRecordText(record);
    prompts.AcceptAllOK();
    Read(0, true);
    EXPECT_EQ(prompts.Messages(), V{"The stick holds a record that could not be read (1):\r\n8000000000000004|1"});
    const auto windows = TextWindow::OpenWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->Text(),
              "8000000000000002,  \r\nTotal for group : 1\r\n\r\n8000000000000003,  1\r\n"
              "Total for group 1: 1\r\n\r\nTotal: 2\r\n");
}

TEST_F(StickActionTest, FailedReadsSayWhyAndGiveTheWindowBack) {
    prompts.AcceptAllOK();
    const auto failed = [&](const std::function<void(SimStick::Faults&)>& fault, const V& messages) {
        Faults(fault);
        const std::size_t before = prompts.Messages().size();
        EXPECT_EQ(Read(), "");
        const V shown = prompts.Messages();
        EXPECT_EQ(V(shown.begin() + static_cast<long>(before), shown.end()), messages);
        EXPECT_TRUE(Window().lblHelp->isHidden());
    };
    const std::string noAnimals = "Failed to get animal data from the stick.";
    failed([](SimStick::Faults&) {}, {"No animal data was detected on your stick."});
    failed([](SimStick::Faults& f) { f.silentTo = {"c"}; },
           {"Failed to get configuration data from the stick.", noAnimals});
    EXPECT_EQ(prompts.shown()[1].title, "Configuration Data NOT Received");
    stick->AddRecordText(Hex(kUK) + "|A|150324102030");
    failed([](SimStick::Faults& f) { f.status['r'] = 'F'; }, {noAnimals});
    failed([](SimStick::Faults& f) { f.silentTo = {"r"}; }, {noAnimals});
    // The look-up file that cannot be read is the read's logged error.
    stick->SetConfigValue(19, "7");
    FileSystem::WriteAll(Path("100000123Eartags.csv"), "Tag,EID\r\nx,y\r\n");
    failed([](SimStick::Faults&) {},
           {"An error occurred in procedure cmdStickAction_Click in frmSimple\r\nThe error was "
            "'Item cannot be found in the collection corresponding to the requested name or "
            "ordinal.' (Error number 3265)"});
    EXPECT_NE(FileSystem::ReadAll(home.DataFolder() + "/KelvoErrorLog.txt").find("cmdStickAction_Click"),
              std::string::npos);
    failed([](SimStick::Faults& f) { f.unplugDuring = 'r', f.unplugAfter = 40; }, {noAnimals});
}

TEST(StickTagOutput, LinesForEveryOptionByteForByte) {
    Recordset table = StickTagTable::Create();
    QLocale::setDefault(QLocale("en_GB"));
    StickTagTable::AddRecords(table, "A1|A|150324102030#A2|A|150324102031|RPA#B1|B|150324000000", 1, nullptr);
    QLocale::setDefault(QLocale::c());
    const auto lines = [&](bool labels, bool time, bool separate) {
        return StickTagOutput::Lines(table, {labels, time, separate});
    };
    EXPECT_EQ(lines(false, false, false).All(), "A1\r\nA2,  RPA\r\nB1\r\n");
    EXPECT_EQ(
        lines(true, false, false).All(),
        "A1,  A\r\nA2,  A,  RPA\r\nTotal for group A: 2\r\n\r\nB1,  B\r\nTotal for group B: 1\r\n\r\nTotal: 3\r\n");
    EXPECT_EQ(lines(true, true, false).All(),
              "A1,  A,  15/03/2024 10:20:30\r\nA2,  A,  15/03/2024 10:20:31,  RPA\r\n"
              "Total for group A: 2\r\n\r\nB1,  B,  15/03/2024\r\n"
              "Total for group B: 1\r\n\r\nTotal: 3\r\n");
    const StickTagOutput::Text separate = lines(true, false, true);
    ASSERT_EQ(separate.windows.size(), 2u);
    EXPECT_EQ(separate.windows[0].text, "A1,  A\r\nA2,  A,  RPA\r\nTotal for group A: 2\r\n");
    EXPECT_EQ(separate.windows[1].text, "B1,  B\r\nTotal for group B: 1\r\n\r\n") << "no grand total";

    Recordset empty = StickTagTable::Create();
    EXPECT_EQ(StickTagOutput::Lines(empty, {true, false, false}).All(), "Total for group : 0\r\n\r\nTotal: 0\r\n");
    // Reads without a group character, first and between others, each in a window of their own.
    StickTagTable::AddRecords(empty, "X1||150324102030#A1|A|150324102030#X2||150324102030", 1, nullptr);
    const StickTagOutput::Text ungrouped = StickTagOutput::Lines(empty, {false, false, true});
    EXPECT_EQ(ungrouped.beforeWindows, "");
    ASSERT_EQ(ungrouped.windows.size(), 3u);
    EXPECT_EQ(ungrouped.windows[0].text + ungrouped.windows[2].text, "X1\r\nX2\r\n");
}

TEST_F(StickActionTest, WindowPerGroupCascadesAndOutlivesTheStickTool) {
    SpeakDutch();
    home.SetMachineSetting("WindowPerGroup", "True");
    for (const char* record : {"A1|A|150324102030", "B1|B|150324102031", "C1|C|150324102032"})
        stick->AddRecordText(record);
    Read(0, true);
    const auto windows = TextWindow::OpenWindows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[1]->windowTitle().toStdString(), "Oormerkimport 15/03/2024 10:20:30 voor groep B ");
    EXPECT_EQ(windows[1]->Text(), "B1,  B\r\nTotaal voor groep B: 1\r\n");
    const QPoint step = windows[1]->pos() - windows[0]->pos();
    EXPECT_TRUE(windows[0]->frameGeometry().contains(frmSimple::Instance().frameGeometry().center()))
        << "over the stick tool";
    EXPECT_TRUE(step.x() > 0 && step.y() > step.x());
    EXPECT_EQ(windows[2]->pos() - windows[1]->pos(), step);
    for (TextWindow* window : windows)
        EXPECT_EQ(window->size(), QSize(DesignGeometry::Pixels(7500), DesignGeometry::Pixels(6000)));
    SaveScreenshot(std::vector<QWidget*>(windows.begin(), windows.end()), "issue18-text-windows-cascaded");
    DefaultInstance<frmSimple>::Unload();
    ASSERT_EQ(TextWindow::OpenWindows().size(), 3u);
    windows[2]->SaveTo(home.root() + "/saved.txt");
    EXPECT_EQ(FileSystem::ReadAll(home.root() + "/saved.txt"), "C1,  C\r\nTotaal voor groep C: 1\r\n\r\n");
}

// Reads to a workbook, opened by the desktop's spreadsheet application.
class SpreadsheetReadTest : public StickActionTest {
protected:
    SpreadsheetReadTest() { UseSpreadsheetApplication(); }
    Workbook ReadWorkbook(bool labels, bool time, bool sort = false) {
        std::filesystem::remove(Opened());
        Read(1, labels, time, sort);
        const std::string path = LastOpened();
        EXPECT_EQ(FileSystem::Folder(path), Program::Environment("HOME") + "/Documents");
        return Workbook(path);
    }
};

TEST_F(SpreadsheetReadTest, WorkbookHoldsTheColumnsAskedForAsText) {
    for (const char* record : {"C1|A|150324102030", "B1|B|150324102031", "A1|A|150324102032"})
        stick->AddRecordText(record);
    Workbook plain = ReadWorkbook(false, false);
    EXPECT_EQ(plain.Sheets(), V{"Imported Data"});
    EXPECT_EQ(plain.Cells(1), (V{"A1", "A2", "A3"})) << "no header, one column";
    EXPECT_EQ(plain.Text(1, "A1"), "C1");
    EXPECT_EQ(FileSystem::FileName(FileSystem::ReadAll(Opened())), "Data Imported 15_03_2024 10_20_30.xlsx\n");

    Workbook full = ReadWorkbook(true, true);
    EXPECT_EQ(full.Cells(1), (V{"A1", "B1", "C1", "A2", "B2", "C2", "A3", "B3", "C3", "A4", "B4", "C4"}));
    EXPECT_EQ((V{full.Text(1, "A1"), full.Text(1, "C1"), full.Text(1, "B3"), full.Text(1, "C4")}),
              (V{"Tag or EID", "Date/Time", "B", "15/03/2024 10:20:32"}));
    EXPECT_TRUE(full.Bold(full.Cell(1, "A1").attribute("s").as_int()));

    // Dutch, a sheet per group: sorted by tag alone, group A comes back after B.
    SpeakDutch();
    DefaultInstance<frmSimple>::Unload();
    home.SetMachineSetting("WindowPerGroup", "True");
    Workbook groups = ReadWorkbook(false, true, true);
    EXPECT_EQ(groups.Sheets(), (V{"Geïmporteerde gegevens (Groep A", "Geïmporteerde gegevens (Groep B",
                                  "Geïmporteerde gegevens (Gro (2)"}));
    EXPECT_EQ((V{groups.Text(1, "A1"), groups.Text(1, "B1"), groups.Text(1, "A2"), groups.Text(3, "A2")}),
              (V{"Oormerk of EID", "Datum/tijd", "A1", "C1"}));
    EXPECT_TRUE(prompts.shown().empty());
}

// ---- Selection ------------------------------------------------------------------------------------

// The tree holds its widest tag whole; Tab reaches the tree and both buttons; Enter on the
// focused Done keeps the ticked, Escape keeps nothing.
TEST_F(StickActionTest, SelectionShowsItsTextsWholeAndWorksFromTheKeyboard) {
    Recordset table = StickTagTable::Create();
    StickTagTable::AddRecords(table, "UK0123456 000001|Group A|150324102030#982 000123456789012|B|150324102031", 1,
                              nullptr);
    RunModal<frmSelectTags>([&] { frmSelectTags::ShowModal(nullptr, table); },
                            [](frmSelectTags& window) {
                                window.trvTags->expandAll();
                                EXPECT_EQ(CutTexts(window), V{});
                                EXPECT_EQ(NotReachedByTab(window), V{});
                                EXPECT_TRUE(PressedByEnter(*window.cmdDoneSelection));
                            });
    EXPECT_EQ(table.Rows(), 2);
    RunModal<frmSelectTags>([&] { frmSelectTags::ShowModal(nullptr, table); },
                            [](frmSelectTags& window) { QTest::keyClick(window.trvTags, Qt::Key_Escape); });
    EXPECT_EQ(table.Rows(), 0);
}

TEST_F(StickActionTest, SelectionKeepsTheTicked) {
    Recordset table = StickTagTable::Create();
    StickTagTable::AddRecords(table, "T1|A|150324102030#T2|A|150324102031#T2|A|150324102032#T3|B|150324102033", 1,
                              nullptr);
    RunModal<frmSelectTags>([&] { frmSelectTags::ShowModal(nullptr, table); },
                            [](frmSelectTags& window) {
                                QTreeWidget* tree = window.trvTags;
                                ASSERT_EQ(tree->topLevelItemCount(), 2);
                                QTreeWidgetItem *a = tree->topLevelItem(0), *b = tree->topLevelItem(1);
                                ASSERT_EQ(a->childCount(), 3) << "a tag read twice stands twice";
                                window.trvTags_NodeClick(a->child(0));
                                EXPECT_EQ(frmSelectTags::ImageOf(a), frmSelectTags::PartlyTicked);
                                window.trvTags_NodeClick(a);
                                EXPECT_EQ(frmSelectTags::ImageOf(a->child(0)), frmSelectTags::Ticked)
                                    << "a partly ticked group ticks all";
                                window.trvTags_NodeClick(b);
                                EXPECT_EQ(frmSelectTags::ImageOf(b->child(0)), frmSelectTags::Unticked);
                                tree->setFocus();
                                tree->setCurrentItem(a->child(2));
                                QTest::keyClick(tree, Qt::Key_Space);
                                EXPECT_EQ(frmSelectTags::ImageOf(a->child(2)), frmSelectTags::Unticked);
                                EXPECT_TRUE(tree->selectedItems().isEmpty());
                                SaveScreenshot(window, "issue18-select-tags");
                                window.cmdDoneSelection->click();
                            });
    EXPECT_EQ(table.GetString(",", ";"), "T1,A,15/03/2024 10:20:30,,AT1,T1;T2,A,15/03/2024 10:20:31,,AT2,T2;");

    for (bool closeBox : {false, true}) {
        StickTagTable::AddRecords(table, "T4|C|150324102030", 1, nullptr);
        RunModal<frmSelectTags>(
            [&] { frmSelectTags::ShowModal(nullptr, table); },
            [&](frmSelectTags& window) { closeBox ? static_cast<void>(window.close()) : window.cmdCancel->click(); });
        EXPECT_EQ(table.Rows(), 0);
    }
    // Cancelled in a read: the clipboard gets the totals alone.
    stick->AddRecordText("T1|A|150324102030");
    Window().optTagsToSave[1]->setChecked(true);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (frmSelectTags* window = DefaultInstance<frmSelectTags>::Loaded(); window && window->isVisible()) {
            EXPECT_TRUE(window->isEnabled() && window->cmdCancel->isEnabled());
            window->cmdCancel->click();
        }
    });
    poll.start(5);
    EXPECT_EQ(Read(2, true), "Total for group : 0\r\n\r\nTotal: 0\r\n");
}

// ---- Eartag list to the stick -------------------------------------------------------------------

TEST_F(StickActionTest, EartagListGoesToTheStickAndIsKeptForIt) {
    const std::string a = Hex("0826000000000001"), b = Hex("0826000000000002"), c = Hex("0826000000000003");
    const std::string list = "\"UK123456\",\"100001\"," + a + ",\"Yes\"\r\n,\"7\"," + b + ",\"Yes\"\r\n" +
                             "\"UK1\",\"9\"," + c + ",\"No\"\r\n\"UK123456\",\"12345678901234567\"," + c +
                             ",\"Yes\"\r\n\"IE\",\"Érin\",0826000000000004,\"Yes\"\r\n";
    WriteList("Eartags.csv", list);
    prompts.AcceptAllOK();
    frmSimple& w = Window();
    // Clicks an action and returns the message it ended with.
    const auto click = [&](int action) {
        stick->ClearReceived();
        w.cmdStickAction[action]->click();
        return prompts.Messages().back();
    };
    EXPECT_EQ(click(7), "Number of eartags sent to stick: 4");
    EXPECT_EQ(stick->Received(), (V{"f", "a" + a + "|UK123456 100001", "a" + b + "|7", "a" + c + "|UK123456 1234567",
                                    "a" + Hex("0826000000000004") + "|IE \xC9rin", "c"}));
    EXPECT_EQ(FileSystem::ReadAll(Path("100000123Eartags.csv")), FileSystem::ReadAll(Path("Eartags.csv")));
    ExpectSettled(w);

    // The third add refused: the stick keeps the two before it.
    Faults([](SimStick::Faults& f) { f.failAddAt = 3; });
    EXPECT_EQ(click(7), "The eartag data was not successfully sent to the stick.");
    EXPECT_EQ(stick->Eartags().size(), 2u);
    // No serial number after the transfer: the count, but no copy.
    std::filesystem::remove(Path("100000123Eartags.csv"));
    Faults([](SimStick::Faults& f) { f.silentTo = {"c"}; });
    EXPECT_EQ(click(7), "Number of eartags sent to stick: 4");
    EXPECT_FALSE(FileSystem::Exists(Path("100000123Eartags.csv")));
    // A row the stick cannot take: nothing is sent, the stick keeps its list.
    Faults([](SimStick::Faults&) {});
    WriteList("Eartags.csv", list + "\"UK1\",\"1|2\"," + a + ",\"Yes\"\r\n");
    EXPECT_EQ(click(7), "The eartag data was not successfully sent to the stick.\r\nEartags.csv line 7: UK1 1|2, " + a);
    EXPECT_TRUE(stick->Received().empty());
    EXPECT_EQ(stick->Eartags().size(), 4u);
    WriteList("Eartags.csv", "\"UK1\",\"9\"," + c + ",\"No\"\r\n");
    EXPECT_EQ(click(7), "Number of eartags sent to stick: 0");
    EXPECT_TRUE(stick->Eartags().empty());
    WriteList("Eartags.csv", "");
    EXPECT_EQ(click(7), "There is no eartag data to send to the stick.");
    FileSystem::WriteAll(Path("Eartags.csv"), "HerdId,TagNumber,Active\r\n\"UK1\",\"9\",\"Yes\"\r\n");
    click(7);
    EXPECT_TRUE(stick->Received().empty()) << "a list without its EID column sends nothing";
    EXPECT_NE(FileSystem::ReadAll(home.DataFolder() + "/KelvoErrorLog.txt").find("cmdStickAction_Click"),
              std::string::npos);

    stick->SetEartags({"x"});
    EXPECT_EQ(click(8), "Eartag data erased.");
    Faults([](SimStick::Faults& f) { f.status['f'] = 'F'; });
    EXPECT_EQ(click(8), "The eartag data on the stick was not successfully erased.");
    EXPECT_TRUE(FileSystem::Exists(Path("100000123Eartags.csv"))) << "erasing keeps the copy";
    ExpectSettled(w);
}

// ---- Factory tools --------------------------------------------------------------------------------

// The engineering edition on a three-page stick with a configuration file, both options chosen.
class FactoryTest : public StickActionTest {
protected:
    FactoryTest() {
        modCommon::EditionCode = 2;
        stick->SetPageCount(3);
        FileSystem::WriteAll(home.ProgramFolder() + "/Standard.conf",
                             "w04|0\r\nw05|0\nw16|2000\r\nw22|0123456789ab\r\n");
        FileSystem::Copy(KELVO_SAMPLE_CONF, home.ProgramFolder() + "/Sample.conf");  // as the build has it
        frmSimple& w = Window();
        w.optBattery[1]->setChecked(true);
        w.optAgricultural[0]->setChecked(true);
        w.ckbAllowMemory->setChecked(true);
        w.cboConfigFiles->setCurrentIndex(w.cboConfigFiles->findText("Standard"));
        stick->SetHandler('t', [](const std::string&) { return SimStick::Reply{"150324102101", 'S'}; });
        prompts.AcceptAllOK();
    }
    // Runs the test: the frequencies typed ("" cancels; none when it is not asked for), the
    // serial numbers, then the script of the later prompts; returns the console's text.
    std::string RunTest(const V& frequencies = {"512"}, std::function<void()> script = {},
                        const V& serials = {"123456789"}) {
        for (const std::string& frequency : frequencies)
            frequency.empty() ? prompts.CancelInput() : prompts.Type(frequency);
        for (const std::string& serial : serials) prompts.Type(serial);
        (script ? script : OkRun)();
        stick->ClearReceived();
        Window().cmdStickAction[9]->click();
        EXPECT_TRUE(prompts.Done());
        ExpectSettled(Window());
        return Window().rtbText->toPlainText().toStdString();
    }
    // Autotune once, then leave it; the range is acceptable.
    std::function<void()> OkRun = [this] { prompts.Answer(Prompts::OK).Answer(Prompts::Cancel).Answer(Prompts::OK); };
    std::string Report() {
        QTextDocument report;
        Rtf::Read(FileSystem::ReadAll(home.ProgramFolder() + "/Test Report for Stick Serial Number 123456789.rtf"),
                  report);
        return report.toPlainText().toStdString();
    }
};

TEST_F(FactoryTest, PassingStickIsConfiguredAndReported) {
    const std::string console = RunTest({"fast", "512.5", "512"}, OkRun, {"12345678", "../1", "123456789"});
    const V sent = stick->Received();
    for (const std::string& line :
         {"w01|2" + kCode, "w02|123456789" + kCode, "w03|100" + kCode, "w04|2" + kCode, "w05|1" + kCode,
          std::string("w16|2000"), std::string("w22|0123456789ab"), std::string("l")})
        EXPECT_NE(std::find(sent.begin(), sent.end(), line), sent.end()) << line;
    EXPECT_EQ(stick->ConfigValue(2), "123456789");
    const V messages = prompts.Messages();
    EXPECT_EQ(V(messages.begin(), messages.begin() + 3),
              (V{"The RTC frequency must be between 511.936946 and 512.031527",
                 "The serial number must be nine digits.", "The serial number must be nine digits."}));
    EXPECT_NE(
        console.find("Autotune Value: E\nRead range test OK.\nMemory test passed.\nWrote configuration item Hardware "
                     "Options (2)\nWrote configuration item Serial Number (123456789)"),
        std::string::npos)
        << console;
    EXPECT_NE(console.find("Industrial (1   i.e. No)"), std::string::npos);
    EXPECT_EQ(console.find("Page 0 OK."), std::string::npos);
    EXPECT_NE(console.find("Stick serial number 123456789 has passed acceptance testing."), std::string::npos);
    EXPECT_NE(Report().find("has passed acceptance testing."), std::string::npos);
    SaveScreenshot(Window(), "issue18-engineering-test");
    EXPECT_EQ(Window().txbRTCValue->property("Tag").toString(), "100");
    EXPECT_EQ(StickAcceptanceTest::CalibrationValue(511.936946), 163);
    EXPECT_EQ(StickAcceptanceTest::CalibrationValue(512.031527), 131);
    EXPECT_EQ(StickAcceptanceTest::ReversedDigit('A'), '5');
}

TEST_F(FactoryTest, TheSampleConfigurationBesideTheProgramConfiguresAStickAsTheOptionsSay) {
    Window().cboConfigFiles->setCurrentIndex(Window().cboConfigFiles->findText("Sample"));
    const std::string console = RunTest();
    const V sent = stick->Received();
    for (const std::string& line : {"w04|2" + kCode, "w05|1" + kCode})
        EXPECT_NE(std::find(sent.begin(), sent.end(), line), sent.end()) << line;
    EXPECT_NE(console.find("has passed acceptance testing."), std::string::npos) << console;
}

TEST_F(FactoryTest, EveryFailureFailsTheStickForGood) {
    const auto noRange = [this] { prompts.Answer(Prompts::OK).Answer(Prompts::Cancel); };
    const auto rangeCancelled = [this] { prompts.Answer(Prompts::OK).Answer(Prompts::Cancel).Answer(Prompts::Cancel); };
    const auto fail = [this](const char* word) {
        return [this, word] { Faults([word](SimStick::Faults& f) { f.wordStatus[word] = 'F'; }); };
    };
    struct Failure {
        std::function<void()> setUp;
        std::string line;
        V frequencies;
        std::function<void()> script;
    };
    const std::vector<Failure> failures{
        {fail("qK"), "Could not set the stick into RTC calibrate mode.", V{}, [] {}},
        {[] {}, "User cancelled RTC clock frequency setup - acceptance test aborted", V{""}, [] {}},
        {fail("qC"), "Failed to start the read range test.", V{"512"}, noRange},
        {[] {}, "Read range test unacceptable.", V{"512"}, rangeCancelled},
        {fail("qA"), "Failed to get the autotune data.", V{"512"},
         [this] { prompts.Answer(Prompts::OK).Type("x").Answer(Prompts::Cancel); }},
        {[&] { Faults([](SimStick::Faults& f) { f.failingPage = 2; }); }, "Page 2 memory test failed.", V{"512"},
         OkRun},
        {fail("l"), "Failed to load the new configuration data.", V{"512"}, OkRun},
        {[&] { stick->SetHandler('t', [](const std::string&) {
                   return SimStick::Reply{"150324102030", 'S'};
               }); },
         "Failed to read the stick's clock after memory test", V{"512"}, OkRun},
        {[&] { FileSystem::WriteAll(home.ProgramFolder() + "/Standard.conf", "w16|1000\r\nx05|1\r\n"); },
         "The configuration line x05|1 names no configuration item of this stick.", V{"512"}, OkRun},
        {[&] {
             stick->SetPageCount(0);
             Window().cboSerialPorts_Click();
         },
         "The stick has reported zero memory - no testing is possible.", V{}, [] {}},
        {[&] { std::filesystem::remove(home.ProgramFolder() + "/Standard.conf"); },
         "Can't find the stick configuration file " + home.ProgramFolder() + "/Standard.conf", V{}, [] {}},
    };
    for (const Failure& failure : failures) {
        failure.setUp();
        const std::string console = RunTest(failure.frequencies, failure.script);
        EXPECT_NE(console.find(failure.line), std::string::npos) << console;
        EXPECT_NE(console.find("Stick serial number 123456789 has failed acceptance testing."), std::string::npos)
            << failure.line;
        EXPECT_NE(Report().find("has failed acceptance testing."), std::string::npos) << failure.line;
        if (failure.line.find("x05") != std::string::npos) {
            EXPECT_EQ(stick->CountOf('w'), 0) << "nothing written";
        }
        Faults([](SimStick::Faults&) {});
    }
    // A KRX250's typed digit after a failed "qA" passes.
    stick->SetPageCount(3);
    Window().cboSerialPorts_Click();
    FileSystem::WriteAll(home.ProgramFolder() + "/Standard.conf", "w16|1000\r\n");
    stick->SetHandler('t', [](const std::string&) { return SimStick::Reply{"150324102101", 'S'}; });
    fail("qA")();
    EXPECT_NE(
        RunTest({"512"}, [this] { prompts.Answer(Prompts::OK).Type("7").Answer(Prompts::OK); }).find("has passed"),
        std::string::npos);

    // Without a battery option nothing is asked of the stick.
    Window().optBattery[1]->group()->setExclusive(false);
    Window().optBattery[1]->setChecked(false);
    stick->ClearReceived();
    Window().cmdStickAction[9]->click();
    EXPECT_TRUE(stick->Received().empty());
    EXPECT_EQ(prompts.Messages().back(), "You MUST select either the small or the big battery option.");
}

TEST_F(FactoryTest, PageToolsReadWriteAndEraseOnePage) {
    frmSimple& w = Window();
    stick->SetPage(1, std::string("\x00\xFF", 2) + std::string(14, 'A'));
    QTest::keyClicks(w.txbPageNumber, "1x");
    QTest::keyClicks(w.txbWritePattern, "1a01");
    EXPECT_EQ(w.txbPageNumber->text(), "1");
    w.cmdStickAction[10]->click();
    EXPECT_EQ(w.rtbText->toPlainText().toStdString(),
              "16 bytes received from stick for page 1\n00000000 11111111 01000001 01000001 01000001 01000001 01000001 "
              "01000001\n01000001 01000001 01000001 01000001 01000001 01000001 01000001 01000001\n");
    w.cmdStickAction[11]->click();
    EXPECT_EQ(stick->Page(1), std::string(16, '\x05'));
    w.cmdStickAction[12]->click();
    EXPECT_EQ(stick->Page(1), std::string(16, '\xFF'));
    EXPECT_EQ(prompts.Messages(), (V{"Page data written OK", "Page data erased OK"}));
    w.txbWritePattern->setText("1101");
    stick->ClearReceived();
    w.cmdStickAction[11]->click();
    w.txbPageNumber->setText("3");
    w.cmdStickAction[10]->click();
    EXPECT_TRUE(stick->Received().empty());
    EXPECT_EQ(prompts.Messages().back(), "Maximum page number must be less than 3");
    ExpectSettled(w);
}

}  // namespace
