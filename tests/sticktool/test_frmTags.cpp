#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <functional>
#include <optional>
#include <tuple>

#include "core/TranslationTexts.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modEID.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/WindowChecks.h"
#include "fixtures/WindowTest.h"
#include "platform/FileSystem.h"
#include "sticktool/EartagList.h"
#include "sticktool/TagBucketFile.h"
#include "sticktool/frmTags.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TextWindow.h"

namespace {

using V = std::vector<std::string>;
const std::string kHeader = "HerdId,TagNumber,EidNumber,Active\r\n";

class EartagListTest : public WindowTest {
protected:
    ~EartagListTest() override { unsetenv("LC_ALL"); }
    std::string ListPath() const { return home.DataFolder() + "/Eartags.csv"; }
    void WriteList(const std::string& bytes) {
        FileSystem::CreateDirectories(home.DataFolder());
        FileSystem::WriteAll(ListPath(), bytes);
    }
    std::string List() const { return FileSystem::ReadAll(ListPath()); }
    std::string Bucket(const std::string& bytes, const std::string& name = "bucket.txt") {
        std::string path = home.root() + "/" + name;
        FileSystem::WriteAll(path, bytes);
        return path;
    }
    std::string Log() const {
        std::string path = home.DataFolder() + "/KelvoErrorLog.txt";
        return FileSystem::Exists(path) ? FileSystem::ReadAll(path) : "";
    }
    // Opens the list, runs the steps, and leaves with "Save && Exit".
    void Open(const std::function<void(frmTags&)>& steps) {
        RunModal<frmTags>([] { frmTags::ShowModal(nullptr); },
                          [&](frmTags& window) {
                              steps(window);
                              window.cmdExit->click();
                          });
    }
    void Import(frmTags& window, const std::string& path) {
        prompts.ChooseFile(path);
        window.cmdGetTagBucket->click();
    }
    static V Column(const frmTags& window, int column) {
        V values;
        for (long row = 0; row < window.EartagTable().Rows(); ++row)
            values.push_back(window.EartagTable().At(row, column).ToStringOr(""));
        return values;
    }
    // Rows are chosen as a keeper chooses them, on their grey boxes: the first alone, the rest
    // with Ctrl.
    static void Click(frmTags& window, int row, Qt::KeyboardModifiers keys = {}) {
        QHeaderView* boxes = window.grdTags->verticalHeader();
        QTest::mouseClick(boxes->viewport(), Qt::LeftButton, keys,
                          {boxes->width() / 2, boxes->sectionViewportPosition(row) + boxes->sectionSize(row) / 2});
    }
    static void Select(frmTags& window, std::initializer_list<int> rows) {
        for (int row : rows) Click(window, row, row == *rows.begin() ? Qt::NoModifier : Qt::ControlModifier);
    }
    // What the send column shows: the tick or cross beside the counts, or a text.
    static V Marks(const frmTags& window) {
        V marks;
        for (int row = 0; row < window.grdTags->model()->rowCount(); ++row) {
            QModelIndex index = window.grdTags->model()->index(row, frmTags::Active);
            QImage picture = index.data(Qt::DecorationRole).value<QPixmap>().toImage();
            marks.push_back(picture.isNull()                                 ? index.data().toString().toStdString()
                            : picture == window.imgTick->pixmap().toImage()  ? "tick"
                            : picture == window.imgCross->pixmap().toImage() ? "cross"
                                                                             : "?");
        }
        return marks;
    }
    static V Counts(const frmTags& window) {
        return {window.lblTickNumber->text().toStdString(), window.lblCrossNumber->text().toStdString(),
                window.lblSelected->text().toStdString()};
    }
};

// ---- The file ----------------------------------------------------------------------------------

TEST_F(EartagListTest, MissingListIsCreatedWithItsHeaderAndTheCloseBoxSavesToo) {
    Open([&](frmTags& window) {
        EXPECT_EQ(List(), kHeader);
        EXPECT_EQ(window.EartagTable().Rows(), 0);
        EXPECT_EQ(Counts(window), (V{"0", "0", "Selected: 0"}));
        EXPECT_FALSE(window.cmdDelete->isEnabled());
    });
    EXPECT_EQ(List(), kHeader);
    RunModal<frmTags>([] { frmTags::ShowModal(nullptr); },
                      [&](frmTags& window) {
                          Import(window, Bucket("8000000000000001,UK123456 700045\r\n"));
                          FileSystem::WriteAll(ListPath(), kHeader);
                          window.close();
                      });
    EXPECT_EQ(List(), kHeader + "\"UK123456\",\"700045\",\"8000000000000001\",\"Yes\"\r\n");
}

TEST_F(EartagListTest, ListIsSavedAsItWasRead) {
    // In the order of the sort keys: the UK numbers by value (45 before 12345), a quote kept,
    // a decimal EID and an unknown mark written back as they came.
    const std::string list = kHeader +
                             "\"\",\"000123\",\"\",\"Maybe\"\r\n"
                             "\"IE1234\",\"45\",\"0826000012345678\",\"No\"\r\n"
                             "\"Smith \"\"Jr\"\"\",\"7\",\"8000000000000003\",\"Yes\"\r\n"
                             "\"UK123456\",\"700045\",\"8000000000000001\",\"Yes\"\r\n"
                             "\"UK123456\",\"712345\",\"8000000000000002\",\"Yes\"\r\n";
    WriteList(list);
    Open([&](frmTags& window) {
        EXPECT_EQ(Column(window, frmTags::Eartag),
                  (V{"000123", "IE1234 45", "Smith \"Jr\" 7", "UK123456 700045", "UK123456 712345"}));
        EXPECT_EQ(Column(window, frmTags::SortField), (V{"000123 6", "IE1234 000045 2", "Smith \"Jr\" 000007 1",
                                                         "UK123456 000045 6", "UK123456 012345 6"}));
        EXPECT_EQ(Column(window, frmTags::Combined)[1], "IE1234 45 " + modEID::DecimalEIDToHexEID("0826000012345678"));
        EXPECT_EQ(Marks(window), (V{"Maybe", "cross", "tick", "tick", "tick"}));
        EXPECT_EQ(Counts(window), (V{"3", "1", "Selected: 0"}));
        EXPECT_TRUE(window.grdTags->isColumnHidden(frmTags::EidNumber) &&
                    !window.grdTags->isColumnHidden(frmTags::Active));
    });
    EXPECT_EQ(List(), list);
}

TEST_F(EartagListTest, RaggedListIsReadAsFarAsItGoes) {
    WriteList(
        "herdid,TAGNUMBER,eidnumber,active,extra\r\n"
        "\"UK1\",\"0045\"\r\n"
        "\"UK2\",\"12\",\"8000000000000009\",\"Yes\",\"x\",\"y\"\n"
        "\"UK3\",\"7\",\"8000000000000008\",\"Yes\r\n");
    Open([](frmTags&) {});
    EXPECT_EQ(List(), kHeader +
                          "\"UK1\",\"0045\",\"\",\"\"\r\n"
                          "\"UK2\",\"12\",\"8000000000000009\",\"Yes\"\r\n"
                          "\"UK3\",\"7\",\"8000000000000008\",\"Yes\"\r\n");
}

TEST_F(EartagListTest, UnreadableListIsNeverWrittenOver) {
    const std::string list = "HerdId,TagNumber,EidNumber\r\n\"UK1\",\"1\",\"8000000000000001\"\r\n";
    WriteList(list);
    prompts.AcceptAllOK();
    Open([&](frmTags& window) {
        EXPECT_EQ(window.EartagTable().Rows(), 0);
        Import(window, Bucket("8000000000000002,UK1 2\r\n"));
        EXPECT_EQ(window.EartagTable().Rows(), 1);
    });
    EXPECT_EQ(List(), list);
    EXPECT_NE(Log().find("in procedure InitialiseData in frmTags"), std::string::npos);
    EXPECT_EQ(prompts.Messages().back(),
              "The eartag list could not be read in full, so the file will be left as it is.");
}

TEST_F(EartagListTest, FailedSaveLeavesTheOldList) {
    std::string list = kHeader;
    for (int i = 100; i < 300; ++i)
        list += "\"UK123456\",\"700" + std::to_string(i) + "\",\"8000000000000" + std::to_string(i) + "\",\"Yes\"\r\n";
    WriteList(list);
    prompts.AcceptAllOK();
    std::optional<FileSizeLimit> limit;
    Open([&](frmTags& window) {
        Select(window, {0});
        window.cmdMakeSelectedInactive->click();
        SaveScreenshot(window, "issue17-tags-200");
        limit.emplace(1000);  // the new list (1.5 kB) cannot be written whole
    });
    limit.reset();
    EXPECT_EQ(List(), list);
    EXPECT_NE(Log().find("in procedure SaveData in frmTags"), std::string::npos);
}

// ---- Marking, deleting and sorting -------------------------------------------------------------

TEST_F(EartagListTest, NewTagsShowAsToSendUntilMarked) {
    WriteList(kHeader + "\"UK1\",\"1\",\"8000000000000001\",\"No\"\r\n");
    Open([&](frmTags& window) {
        Import(window, Bucket("8000000000000001,UK1 1\r\n8000000000000003,UK1 3\r\n8000000000000002,UK1 2\r\n"));
        EXPECT_EQ(Column(window, frmTags::Active), (V{"No", "(New)", "(New)"})) << "the one in the list stays";
        EXPECT_EQ(Column(window, frmTags::SortField), (V{"UK1 000001 1", ":UK1 000003 1", ":UK1 000002 1"}));
        EXPECT_EQ(Marks(window), (V{"cross", "tick", "tick"}));
        EXPECT_EQ(Counts(window), (V{"2", "1", "Selected: 0"}));
        EXPECT_EQ(List(), kHeader +
                              "\"UK1\",\"1\",\"8000000000000001\",\"No\"\r\n"
                              "\"UK1\",\"3\",\"8000000000000003\",\"Yes\"\r\n"
                              "\"UK1\",\"2\",\"8000000000000002\",\"Yes\"\r\n");
        Select(window, {1});
        EXPECT_EQ(Counts(window)[2], "Selected: 1");
        EXPECT_TRUE(window.cmdMakeSelectedInactive->isEnabled());
        window.cmdMakeSelectedInactive->click();
        Select(window, {0});
        window.cmdMakeSelectedActive->click();
        EXPECT_EQ(Column(window, frmTags::Active), (V{"Yes", "No", "(New)"}));
        EXPECT_EQ(Column(window, frmTags::SortField)[1], "UK1 000003 1");
        EXPECT_EQ(Counts(window), (V{"2", "1", "Selected: 0"}));
        EXPECT_FALSE(window.cmdMakeSelectedActive->isEnabled());
    });
    EXPECT_EQ(List(), kHeader +
                          "\"UK1\",\"1\",\"8000000000000001\",\"Yes\"\r\n"
                          "\"UK1\",\"3\",\"8000000000000003\",\"No\"\r\n"
                          "\"UK1\",\"2\",\"8000000000000002\",\"Yes\"\r\n");
}

TEST_F(EartagListTest, DeletingAsksFirst) {
    std::string list = kHeader;
    for (int i = 1; i <= 4; ++i)
        list += "\"UK1\",\"" + std::to_string(i) + "\",\"800000000000000" + std::to_string(i) + "\",\"Yes\"\r\n";
    WriteList(list);
    const std::string warning =
        "WARNING - You can't recover eartags that have been removed (except by reloading\r\n"
        "the tag bucket file containing the eartags).  Are you sure you want to remove\r\nthe";
    Open([&](frmTags& window) {
        QTest::keyClick(window.grdTags, Qt::Key_Delete);  // nothing selected: nothing asked
        Select(window, {1});
        prompts.Answer(Prompts::No);
        QTest::keyClick(window.grdTags, Qt::Key_Backspace);
        EXPECT_EQ(prompts.shown().back().text, warning + "  selected eartag?");
        EXPECT_EQ(prompts.shown().back().title, "Confirm Eartag Deletion");
        EXPECT_EQ(prompts.shown().back().style, Prompts::YesNo + Prompts::Question + Prompts::DefaultButton2);
        EXPECT_EQ(window.EartagTable().Rows(), 4);
        prompts.Answer(Prompts::Yes);
        window.cmdDelete->click();
        EXPECT_EQ(Column(window, frmTags::TagNumber), (V{"1", "3", "4"}));
        Select(window, {0});
        Click(window, 2, Qt::ShiftModifier);
        prompts.Answer(Prompts::Yes);
        window.cmdDelete->click();
        EXPECT_EQ(prompts.shown().back().text, warning + " 3 selected eartags?");
        EXPECT_EQ(window.EartagTable().Rows(), 0);
        // A deleted tag is new again to the next import.
        Import(window, Bucket("8000000000000002,UK1 2\r\n"));
        EXPECT_EQ(window.EartagTable().Rows(), 1);
    });
}

TEST_F(EartagListTest, HeadingsSortDescendingFirstThenReverse) {
    WriteList(kHeader +
              "\"UK1\",\"1\",\"8000000000000001\",\"Yes\"\r\n"
              "\"UK1\",\"2\",\"8000000000000002\",\"No\"\r\n"
              "\"UK1\",\"10\",\"8000000000000010\",\"Yes\"\r\n");
    Open([&](frmTags& window) {
        window.grdTags_HeadClick(frmTags::Eartag);
        EXPECT_EQ(Column(window, frmTags::TagNumber), (V{"10", "2", "1"}));
        window.grdTags_HeadClick(frmTags::Eartag);
        EXPECT_EQ(Column(window, frmTags::TagNumber), (V{"1", "2", "10"}));
        window.grdTags_HeadClick(frmTags::Active);
        EXPECT_EQ(Column(window, frmTags::Eartag), (V{"UK1 1", "UK1 10", "UK1 2"}))
            << "Active descending, then the visual tag as text";
        EXPECT_TRUE(window.grdTags->isColumnHidden(frmTags::SortField));
    });
}

TEST_F(EartagListTest, DutchWindowKeepsItsWidthMarksNewTagsAndHelps) {
    setenv("LC_ALL", "nl_NL.UTF-8", 1);
    modCommon::Translator().SetTranslationOn(true);
    Open([&](frmTags& window) {
        Import(window, Bucket("8000000000000001,UK1 1\r\n"));
        EXPECT_EQ(Column(window, frmTags::Active), V{"(Nieuw)"});
        EXPECT_EQ(Marks(window), V{"tick"});
        EXPECT_EQ(Counts(window), (V{"1", "0", "Geselecteerd: 0"}));
        SaveScreenshot(window, "issue17-tags-dutch");
        const QSize load = window.size();
        window.resize(load.width() + 100, load.height() - 50);
        EXPECT_EQ(window.width(), load.width());
        EXPECT_EQ(window.height(), load.height());
        window.resize(load.width(), load.height() + 100);
        EXPECT_EQ(window.grdTags->height(), window.height() - window.grdTags->y() - DesignGeometry::Pixels(30));
        window.cmdHelp->click();
        ASSERT_EQ(TextWindow::OpenWindows().size(), 1u);
        TextWindow* help = TextWindow::OpenWindows()[0];
        EXPECT_EQ(help->size(), QSize(DesignGeometry::Pixels(13500), DesignGeometry::Pixels(7125)));
        EXPECT_TRUE(help->frameGeometry().contains(window.frameGeometry().center())) << "over the list";
        SaveScreenshot(*help, "issue17-tags-help");
        std::string text = help->Text();
        EXPECT_EQ(text.rfind("Het oormerkbestand van uw pc ophalen:\r\n  Kies ", 0), 0u);
        EXPECT_EQ(text, modCommon::Translator().Translate(std::string(TranslationTexts::EartagListHelp)))
            << "the text shown is the one the table translates";
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 29);
        delete help;
    });
    EXPECT_EQ(List(), kHeader + "\"UK1\",\"1\",\"8000000000000001\",\"Yes\"\r\n");
}

// With tags in it the list shows its texts whole, the widest tag whole in its column; from the
// keyboard Tab reaches every button, Enter on the focused Help opens the help, and Escape
// leaves, saving the list.
TEST_F(EartagListTest, ShowsItsTextsWholeAndWorksFromTheKeyboard) {
    const std::string list = kHeader +
                             "\"IE1234567890\",\"123456789012\",\"\",\"No\"\r\n"
                             "\"UK123456\",\"700045\",\"8000000000000001\",\"Yes\"\r\n";
    WriteList(list);
    RunModal<frmTags>([] { frmTags::ShowModal(nullptr); },
                      [&](frmTags& window) {
                          EXPECT_EQ(CutTexts(window), V{});
                          EXPECT_EQ(NotReachedByTab(window), V{});
                          EXPECT_TRUE(PressedByEnter(*window.cmdHelp));
                          EXPECT_EQ(TextWindow::OpenWindows().size(), 1u);
                          QTest::keyClick(window.cmdHelp, Qt::Key_Escape);
                          EXPECT_FALSE(window.isVisible());
                      });
    EXPECT_EQ(List(), list);
    for (TextWindow* help : TextWindow::OpenWindows()) delete help;
}

// ---- Tag-bucket files ----------------------------------------------------------------------

TEST(TagBucketFile, KindFromTheFirstLineAsItIs) {
    struct Case {
        std::string line;
        int kind;
    } cases[] = {
        {"HerdId,TagNumber,EID", 1},
        {"\"HerdId\",TagNumber,EID", 0},
        {" HerdId,x", 0},
        {"8000000000000001,UK123 456,x,y", 2},
        {"8000000000000001,UK 123 456,x,y", 3},
        {"8000000000000001,UK123456,x,y", 4},
        {"8000000000000001,UK  456,x,y", 3},
        {"0000000000000001,UK123 456,x,y", 0},
        {"0826000012345678,UK1 2", 5},
        {"826000012345678,UK1 2", 5},
        {"8260000123456789,UK1 2", 6},
        {"1260000123456789,UK1 2", 0},
        {"8000000000000ABC,UK1 2", 6},
        {"8000000000000abc,UK1 2", 0},
        {"8000000000000001,UK1 2,x", 0},
        {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TagBucketFile::KindOf(c.line), c.kind) << c.line;
}

TEST(TagBucketFile, LinesReadByTheirLayout) {
    using Tag = TagBucketFile::Tag;
    auto read = [](int kind, const std::string& line) {
        Tag tag = TagBucketFile::ReadLine(kind, line);
        return V{tag.HerdId, tag.TagNumber, tag.EID};
    };
    const std::string hex = modEID::DecimalEIDToHexEID("0826000012345678");
    const std::string eid = "8000000000000001";
    // {layout, line, herd / tag / EID read}
    const std::vector<std::tuple<int, std::string, V>> cases = {
        {1, "\"UK1\",\"00045\",\"0826000012345678\",extra", {"UK1", "00045", hex}},
        {2, eid + ",UK1 45,a,b", {"UK1", "45", eid}},
        {3, eid + ",UK 1 45", {"UK1", "45", eid}},
        {4, eid + ",UK 1 4 5", {"", "UK 1 4 5", eid}},
        {5, "826000012345678,UK1 4 5", {"UK1", "45", hex}},
        {6, eid + ",45", {"", "45", eid}},
        {6, "\"" + eid + "\",UK1 45", {"UK1", "45", "\"" + eid + "\""}}};
    for (const auto& [kind, line, fields] : cases) EXPECT_EQ(read(kind, line), fields) << line;
    const std::vector<std::pair<int, std::string>> unreadable = {
        {1, "UK1,45"}, {2, eid + ",UK145"}, {3, eid + ",UK 145"}, {6, eid}};
    for (const auto& [kind, line] : unreadable) EXPECT_THROW(read(kind, line), RuntimeError) << line;
}

TEST_F(EartagListTest, EachLayoutImportsUpToItsFirstBadLine) {
    struct Case {
        std::string file;
        V eartags;
        int badLine;  // 0: none
    } cases[] = {
        {"HerdId,TagNumber,EidNumber\r\n\"UK1\",\"1\",\"0826000000000001\"\r\n\r\nUK1,2\r\nUK1,3,0826000000000003\r\n",
         {"UK1 1"},
         4},
        {"8000000000000001,UK1 1,a,b\r\n8000000000000002,UK12,a,b\r\n8000000000000003,UK1 3,a,b\r\n", {"UK1 1"}, 2},
        {"8000000000000001,UK 1 1,a,b\n8000000000000002,UK 1 2,a,b\n", {"UK1 1", "UK1 2"}, 0},
        {"8000000000000001,UK11,a,b\r8000000000000002\r", {"UK11"}, 2},
        {"826000000000001,UK1 1\r\n0826000000000002,1 2 3\r\n826000000000003\r\n", {"UK1 1", "1 23"}, 3},
        {"8000000000000001,UK1 1\r\n\r\n   \r\n8000000000000002\r\n", {"UK1 1"}, 4},
    };
    for (const auto& c : cases) {
        std::string path = Bucket(c.file);
        WriteList(kHeader);
        prompts.AcceptAllOK();
        Open([&](frmTags& window) {
            Import(window, path);
            EXPECT_EQ(Column(window, frmTags::Eartag), c.eartags) << c.file;
        });
        if (c.badLine) {
            EXPECT_EQ(prompts.shown().back().text, "Tag file format error at line " + std::to_string(c.badLine) +
                                                       " in file " + path +
                                                       "\r\nThe remainder of the tag import has been abandoned.");
        }
    }
}

TEST_F(EartagListTest, TagsThatCannotBeSentAreSkipped) {
    const std::string path = Bucket(
        "8000000000000001,UK1 1\r\n"
        "800000000000000G,UK1 2\r\n"              // not hexadecimal
        "8000000000000003, \r\n"                  // no visual tag
        "8000000000000004,UK123456 12345678\r\n"  // 17 characters
        "8000000000000005,O'Neill 5\r\n"          // an apostrophe is a character like any other
        "8000000000000006,UK|6 6\r\n"             // the stick's separators
        "8000000000000007,UK#7 7\r\n"
        "8000000000000008,\"UK8\" 8\r\n"
        "8000000000000009,\xC9"
        "IRE 9\r\n"  // single-byte text
        "8000000000000001,UK1 1\r\n",
        "tags.txt");
    Open([&](frmTags& window) {
        Import(window, path);
        Import(window, path);  // the second time adds nothing
        EXPECT_EQ(Column(window, frmTags::Eartag), (V{"UK1 1", "O'Neill 5", "\"UK8\" 8", "\xC3\x89IRE 9"}));
    });
    EXPECT_EQ(List(), kHeader +
                          "\"UK1\",\"1\",\"8000000000000001\",\"Yes\"\r\n"
                          "\"O'Neill\",\"5\",\"8000000000000005\",\"Yes\"\r\n"
                          "\"\"\"UK8\"\"\",\"8\",\"8000000000000008\",\"Yes\"\r\n"
                          "\"\xC3\x89IRE\",\"9\",\"8000000000000009\",\"Yes\"\r\n");
}

TEST_F(EartagListTest, UnknownOrEmptyFileChangesNothing) {
    WriteList(kHeader + "\"UK1\",\"1\",\"8000000000000001\",\"Yes\"\r\n");
    prompts.AcceptAllOK();
    Open([&](frmTags& window) {
        Import(window, Bucket("1260000123456789,UK1 2\r\n"));
        EXPECT_EQ(prompts.shown().back().text, "Unrecognised file format");
        EXPECT_EQ(prompts.shown().back().title, "Unrecognised file format");
        Import(window, Bucket(""));
        EXPECT_EQ(window.EartagTable().Rows(), 1);
        EXPECT_TRUE(window.isEnabled());
        prompts.ChooseFile("");
        window.cmdGetTagBucket->click();
    });
    EXPECT_NE(Log().find("in procedure cmdGetTagBucket_Click in frmTags"), std::string::npos);
}

TEST(EartagKeys, SortAndDuplicateKeys) {
    struct Case {
        std::string herd, tag, sort;
    } cases[] = {
        {"UK123456", "700045", "UK123456 000045 6"}, {"UK123456", "712345", "UK123456 012345 6"},
        {"IE1234", "45", "IE1234 000045 2"},         {"", "123", "000123 3"},
        {"UK123456", "7000A", "UK123456 7000A 5"},   {"uk123456", "700045", "uk123456 700045 6"},
        {"UK1", "1234567", "UK1 1234567 7"},         {"UK1", "", "UK1 000000 0"},
    };
    for (const auto& c : cases) EXPECT_EQ(EartagList::GetSort(c.herd, c.tag), c.sort) << c.herd << " " << c.tag;
    EXPECT_EQ((V{EartagList::GetCombined("", "123", ""), EartagList::GetCombined("UK1", "2", "8000000000000001"),
                 EartagList::GetCombined("UK1", "2", "abc")}),
              (V{"123", "UK1 2 8000000000000001", "UK1 2"}));
}

}  // namespace
