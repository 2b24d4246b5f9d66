// The notes of the animal shown: kept per animal, written only when changed.
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>

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
