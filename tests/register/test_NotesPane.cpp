// The notes of the animal shown: kept per animal, written only when changed.
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

#include "fixtures/PeerProcess.h"
#include "fixtures/RegisterFixture.h"

namespace {

class NotesTest : public RegisterTest {
protected:
    void Type(const QString& text) {
        Form().rtbNotes->moveCursor(QTextCursor::End);
        QTest::keyClicks(Form().rtbNotes, text);
    }
    std::string Note(long animal) { return Scalar("SELECT Note FROM Notes WHERE AnimalID=" + std::to_string(animal)); }
};

}  // namespace

TEST_F(NotesTest, ChangedNotesAreKeptPerAnimalAndNothingElseIsWritten) {
    Open();
    ShowTab(frmMain::kNotesTab);
    Db().Execute(
        "INSERT INTO Notes (AnimalID, Note) VALUES (4, 'Plain {text}'), (5, '{\\rtf1 {\\b broken'), (2, NULL)");
    Select({"UK0123456 00001"});
    Type("Lame ");
    QTest::keyClick(Form().rtbNotes, Qt::Key_B, Qt::ControlModifier);
    QTest::keyClicks(Form().rtbNotes, "left fore");
    ShowTab(0);  // the note is saved as the animal changes, whatever tab shows
    Select({"UK0123456 00010"});
    const std::string stored = Note(1);
    EXPECT_NE(stored.find("Lame \\b left fore"), std::string::npos) << stored;
    ShowTab(frmMain::kNotesTab);
    EXPECT_EQ(Form().rtbNotes->toPlainText().toStdString(), "Plain {text}");
    Select({"UK0123456 00001"});
    EXPECT_EQ(Form().rtbNotes->toPlainText().toStdString(), "Lame left fore");

    // Shown, not changed: nothing is written, not even a damaged note or one that would not load.
    Select({"UK0123456 00004"});
    EXPECT_EQ(Form().rtbNotes->toPlainText().toStdString(), "{\\rtf1 {\\b broken");
    prompts.Answer(Prompts::OK);  // the null note's failure
    Select({"UK0123456 00002"});
    Select({"UK0123456 00010"});
    EXPECT_EQ(Note(5), "{\\rtf1 {\\b broken");
    EXPECT_EQ(Note(2), "<null>");
    EXPECT_EQ(Note(4), "Plain {text}");

    // Emptied, the note goes; typed for an animal removed meanwhile, it is not stored.
    Form().rtbNotes->selectAll();
    Form().rtbNotes->textCursor().removeSelectedText();
    Select({"UK0123456 00003"});
    EXPECT_EQ(Note(4), "<none>");
    Type("Sold");
    Db().Execute("DELETE FROM Animals WHERE AnimalID=3");
    Form().tmrSetGridRecords_Timer();
    EXPECT_EQ(Note(3), "<none>");
    Select({"UK0123456 00001", "UK0123456 00002"});
    EXPECT_TRUE(Form().rtbNotes->isHidden());
}

// Another program holding the database: the note typed stays with its animal, shown when it is,
// and is saved at the next change of animal or at closing; the keeper is told, may retry, and
// may keep the window open rather than leave the note behind.
TEST_F(NotesTest, ANoteTheDatabaseInUseWillNotTakeIsKeptUntilItCanBeSaved) {
    ShortTimeOuts shortWaits;
    modCommon::ReleaseDatabase();  // opened again with the short wait
    Open().show();
    ShowTab(frmMain::kNotesTab);
    Select({"UK0123456 00001"});
    Type("Lame");
    Connection other;
    other.Open(home.DatabasePath());
    other.Execute("BEGIN EXCLUSIVE");
    prompts.Answer(Prompts::Retry).Answer(Prompts::Cancel).Answer(Prompts::Cancel);
    Select({"UK0123456 00010"});
    EXPECT_TRUE(Form().rtbNotes->isReadOnly()) << "a note that did not load takes no typing";
    Select({"UK0123456 00001"});
    EXPECT_EQ(Form().rtbNotes->toPlainText().toStdString(), "Lame");
    EXPECT_EQ(prompts.shown()[2].title, "Database In Use");
    EXPECT_EQ(prompts.LastText().rfind("Your Kelvo database is in use by another program, so the note you typed", 0),
              0u);
    other.Rollback();
    Select({"UK0123456 00010"});
    EXPECT_NE(Note(1).find("Lame"), std::string::npos);

    Type("Limps");
    other.Execute("BEGIN EXCLUSIVE");
    prompts.Answer(Prompts::Cancel);
    Form().close();
    EXPECT_TRUE(Form().isVisible()) << "kept open with the note";
    other.Rollback();
    Form().close();
    EXPECT_FALSE(Form().isVisible());
    EXPECT_NE(Note(IDOf("UK0123456 00010")).find("Limps"), std::string::npos);
    EXPECT_EQ(prompts.Messages().size(), 4u);
}

// A note that fails for another reason (a full disk) is told as any failure; at closing the keeper
// may still keep the window, and the note, rather than lose it.
TEST_F(NotesTest, ANoteThatFailsToSaveIsNotLeftBehindAtClosingUnasked) {
    Open().show();
    ShowTab(frmMain::kNotesTab);
    Select({"UK0123456 00001"});
    Db().Execute(
        "CREATE TRIGGER Full BEFORE INSERT ON Notes BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
    Type("Lame");
    prompts.Answer(Prompts::OK).Answer(Prompts::No);
    Form().close();
    EXPECT_TRUE(Form().isVisible());
    EXPECT_EQ(Form().rtbNotes->toPlainText().toStdString(), "Lame");
    EXPECT_NE(prompts.Messages()[0].find("database or disk is full"), std::string::npos);
    EXPECT_EQ(prompts.shown().back().title, "Note Not Saved");
    EXPECT_EQ(prompts.shown().back().style, Prompts::YesNo | Prompts::Exclamation | Prompts::DefaultButton2);
    prompts.Answer(Prompts::OK).Answer(Prompts::Yes);
    Form().close();
    EXPECT_FALSE(Form().isVisible()) << "the keeper chose to let it go";
    EXPECT_EQ(prompts.Messages().size(), 4u) << "one message for each failure, none more while unloading";
}
