// Tag changes: the checks of a new tag and its date, latest and back-dated changes, the history
// pane's order, all-or-nothing writes and deleting.
#include <QLocale>
#include <QPushButton>

#include "fixtures/RegisterFixture.h"

namespace {

using Lines = std::vector<std::string>;

class TagChangeTest : public RegisterTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        RegisterTest::SetUp();
        Open();
        Select({"UK0123456 00001"});
    }
    void TearDown() override {
        RegisterTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }
    // Types the answers in turn, each refused one followed by its message, and records; then
    // `messages` more messages are answered.
    void Record(const Lines& tags, const Lines& dates, int messages = 0) {
        for (const Lines* answers : {&tags, &dates})
            for (std::size_t i = 0; i < answers->size(); ++i) {
                prompts.Type((*answers)[i]);
                if (i + 1 < answers->size()) prompts.Answer(Prompts::OK);
            }
        while (messages-- > 0) prompts.Answer(Prompts::OK);
        Form().cmdRecordTagChange_Click();
        EXPECT_TRUE(prompts.Done());
    }
    std::string History() {
        return Scalar("SELECT group_concat(AnimalID || ':' || OldTag || '@' || substr(EventDate,1,10), '|') FROM "
                      "(SELECT * FROM TagChanges ORDER BY TagChangeID)");
    }
    std::string Tag(long animal) {
        return Scalar("SELECT TagNumber || '/' || TagSort FROM Animals WHERE AnimalID=" + std::to_string(animal));
    }
    Lines Pane() {
        Lines shown;
        for (int row = 0; row < Form().grdTagChanges->Model().rowCount(); ++row)
            shown.push_back(Form().grdTagChanges->Model().index(row, 2).data().toString().toStdString() + "/" +
                            Form().grdTagChanges->Model().index(row, 3).data().toString().toStdString());
        return shown;
    }
};

}  // namespace

TEST_F(TagChangeTest, ChecksAskAgainAndLatestOrBackDatedChangesFillTheHistoryInOrder) {
    EXPECT_TRUE(Form().grdTagChanges->isHidden()) << "no change recorded yet";
    Record({"uk0123456 0009-", "UK0123456/1", "ABCDEF", "  uk0123456 00099 "},
           {"31/02/2005", "tomorrow", "16/06/2024", "0000-01-01", "01/01/10000", "2024-05-01"});
    EXPECT_EQ(prompts.shown()[0].text, "Enter the new tag as Flock Number and Tag Number separated by a single space");
    EXPECT_EQ(prompts.shown()[7].title, "New Tag Date Entry");
    const std::string invalidTag = "Invalid tag - please try again.", invalidDate = "Invalid date - please try again.";
    EXPECT_EQ(prompts.Messages(), (Lines{invalidTag, invalidTag, invalidTag, invalidDate, invalidDate,
                                         "You cannot record tag chages in the future - please try again.",
                                         invalidDate, invalidDate}));
    EXPECT_EQ(prompts.shown()[1].style, Prompts::Exclamation);
    EXPECT_EQ(Tag(1), "UK0123456 00099/99");

    Record({"UK0123456 00050"}, {"01/03/2024"});  // earlier: the typed tag enters the history
    Record({"UK0123456 00077"}, {"2024-05-01"});  // at the latest date: the latest
    Record({"UK0123456 00088"}, {"15/06/2024"});  // today's sorts above "Current"
    EXPECT_EQ(Tag(1), "UK0123456 00088/88");
    EXPECT_EQ(History(), "1:UK0123456 00001@2024-05-01|1:UK0123456 00050@2024-03-01|1:UK0123456 00099@2024-05-01|"
                         "1:UK0123456 00077@2024-06-15");
    Db().Execute("INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (2, 'X2', '2024-01-01 10:30:00')");
    Select({"UK0123456 00002", "UK0123456 00003", "UK0123456 00088"});
    EXPECT_TRUE(Form().cmdRecordTagChange->isHidden()) << "only for the one animal shown";
    EXPECT_EQ(Pane(), (Lines{"    UK0123456 00077/15/06/2024", "UK0123456 00088/Current", "    UK0123456 00099/01/05/2024",
                             "    UK0123456 00001/01/05/2024", "    UK0123456 00050/01/03/2024",
                             "UK0123456 00002/Current", "    X2/01/01/2024 10:30:00"}));
    Select({"UK0123456 00010"});
    EXPECT_TRUE(Form().cmdRecordTagChange->isHidden()) << "a reference animal";
}

TEST_F(TagChangeTest, RefusalsAndCancelWriteNothingAndAFailureUndoesTheWholeChange) {
    Db().Execute("UPDATE Animals SET TagNumber='O''NEIL 1' WHERE AnimalID=1");
    Form().tmrSetGridRecords_Timer();
    modCommon::HerdFlockRequired = false;
    Record({"UK0123456 00002"}, {"2024-05-01"}, 1);
    EXPECT_EQ(prompts.shown()[0].text, "Enter the new tag");
    EXPECT_EQ(prompts.LastText(), "The tag UK0123456 00002is already in current use. The change has not been recorded.");
    EXPECT_EQ(prompts.shown().back().title, "Tag Exists");
    prompts.CancelInput();
    Form().cmdRecordTagChange_Click();
    prompts.Type("NEW1").CancelInput();
    Form().cmdRecordTagChange_Click();
    EXPECT_EQ(History(), "<null>");

    Db().Execute("CREATE TRIGGER refuse BEFORE UPDATE OF TagNumber ON Animals BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Record({"NEW1"}, {"2024-05-01"}, 1);
    EXPECT_EQ(prompts.LastText().rfind("An error occurred in procedure cmdRecordTagChange_Click", 0), 0u);
    EXPECT_EQ(History(), "<null>") << "no history row without the animal's new tag";
    Db().Execute("DROP TRIGGER refuse");
    Record({"NEW1"}, {"2024-05-01"});
    EXPECT_EQ(History(), "1:O'NEIL 1@2024-05-01") << "the old tag with its quote, as it was";
    EXPECT_EQ(Scalar("SELECT TagNumber FROM Animals WHERE AnimalID=1"), "NEW1");
}

TEST_F(TagChangeTest, DeletingPassesOverTheCurrentRowAndKeepsTheTag) {
    Db().Execute("INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (1, 'A', '2024-01-01 00:00:00'), "
                 "(1, 'B', '2024-02-01 00:00:00')");
    Select({"UK0123456 00001"});
    DataGrid& grid = *Form().grdTagChanges;
    grid.SelAdd(grid.Rows().BookmarkAt(0));
    Form().grdTagChanges_Click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Form().cmdDeleteTagChange->isHidden());
    Form().cmdDeleteTagChange_Click();
    EXPECT_EQ(History(), "1:A@2024-01-01|1:B@2024-02-01") << "the current row alone deletes nothing";
    grid.SelAdd(grid.Rows().BookmarkAt(0));
    grid.SelAdd(grid.Rows().BookmarkAt(2));
    Form().cmdDeleteTagChange_Click();
    EXPECT_EQ(History(), "1:B@2024-02-01");
    EXPECT_EQ(Tag(1), "UK0123456 00001/1");
    EXPECT_TRUE(Form().cmdDeleteTagChange->isHidden());
}
