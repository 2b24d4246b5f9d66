// The parentage chart with its progeny list and clicks.
#include <QTableView>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include "fixtures/RegisterFixture.h"
#include "platform/Rtf.h"
#include "platform/TextFile.h"

namespace {

using Lines = std::vector<std::string>;

// Parents in the fixture register: 00001 by 00002 out of 00010; 00002 by ABC, whose tag is
// made one that RTF and a quoted criterion would choke on; 00010's dam is a key no animal has.
// 00002 has three offspring, two born on the same day.
class PedigreeTest : public RegisterTest {
protected:
    void SetUp() override {
        RegisterTest::SetUp();
        Db().Execute(
            "UPDATE Animals SET SireID=2, DamID=4 WHERE AnimalID=1;"
            "UPDATE Animals SET SireID=7 WHERE AnimalID=2;"
            "UPDATE Animals SET TagNumber='A{\\}''é' WHERE AnimalID=7;"
            "UPDATE Animals SET DamID=99 WHERE AnimalID=4;"
            "UPDATE Animals SET SireID=2, DateOfBirth='2023-03-01 00:00:00' WHERE AnimalID IN (3, 5);"
            "UPDATE Animals SET DateOfBirth=NULL WHERE AnimalID=3;");
        Open();
        ShowTab(frmMain::kParentageTab);
    }

    Lines Chart() {
        Lines lines;
        for (QTextBlock b = Form().rtbPedigree->document()->begin(); b.isValid(); b = b.next())
            lines.push_back(b.text().toStdString());
        return lines;
    }
    Lines Progeny() {
        Lines tags;
        const Recordset& rows = Form().grdPedigree->Rows();
        for (long row = 0; row < rows.Rows(); ++row) tags.push_back(rows.At(row, 1).ToString());
        return tags;
    }
    // A click on a line of the chart, the caret put there as the press would.
    void ClickLine(int line, Qt::KeyboardModifiers keys = Qt::NoModifier, Qt::MouseButton button = Qt::LeftButton) {
        Form().rtbPedigree->setTextCursor(QTextCursor(Form().rtbPedigree->document()->findBlockByNumber(line)));
        Form().rtbPedigree_MouseUp(button, keys);
        QCoreApplication::processEvents();
    }
    std::string Shown() {
        return Scalar("SELECT TagNumber FROM Animals WHERE AnimalID=" + std::to_string(modCommon::GetSingleAnimalID()));
    }
};

}  // namespace

TEST_F(PedigreeTest, ChartAndProgenyShowThreeGenerationsAndHideForManyAnimals) {
    Select({"UK0123456 00001"});
    EXPECT_EQ(Chart(), (Lines{"3 Generation Parentage for UK0123456 00001", "\t\tA{\\}'é", "\tUK0123456 00002",
                              "\t\tNot recorded", "UK0123456 00001", "\t\tNot recorded", "\tUK0123456 00010",
                              "\t\tNot recorded"}));
    const QTextCharFormat title = Form().rtbPedigree->document()->begin().begin().fragment().charFormat();
    EXPECT_TRUE(title.fontUnderline() && title.fontWeight() == QFont::Bold && title.fontPointSize() == 8);
    EXPECT_EQ(Form().grdPedigree->Caption().toStdString(), "No Progeny Recorded");
    EXPECT_FALSE(Form().rtbPedigree->isHidden());

    Select({"UK0123456 00002"});
    EXPECT_EQ(Form().grdPedigree->Caption().toStdString(), "Number of Progeny = 3");
    EXPECT_EQ(Progeny(), (Lines{"UK0123456 00001", "UK0123456 00004", "UK0123456 00003"}));
    QTableView& view = Form().grdPedigree->View();
    EXPECT_TRUE(view.isColumnHidden(0));
    EXPECT_EQ(view.model()->headerData(2, Qt::Horizontal).toString().toStdString(), "DoB");

    Select({"UK0123456 00010"});  // its dam's key names no animal
    EXPECT_EQ(Chart()[6], "\tNot recorded");

    Select({"UK0123456 00001", "UK0123456 00002"});
    EXPECT_TRUE(Form().rtbPedigree->isHidden());
    EXPECT_TRUE(Form().grdPedigree->isHidden());

    Select({"UK0123456 00003"});
    Connection other;  // another copy removes the animal before the grid is read again
    other.Open(Db().Path());
    other.Execute("DELETE FROM Animals WHERE AnimalID=3");
    Select({"UK0123456 00003"});
    EXPECT_TRUE(Form().rtbPedigree->isHidden() && Form().grdPedigree->isHidden()) << "no chart, and no error";
}

TEST_F(PedigreeTest, ClicksWalkToRelativesClearAndAddParentsAndSaveTheChart) {
    Select({"UK0123456 00001"});
    ClickLine(2);
    EXPECT_EQ(Shown(), "UK0123456 00002");
    ClickLine(2);  // its sire, found by its awkward tag
    EXPECT_EQ(Shown(), "A{\\}'é");

    Select({"UK0123456 00002"});
    QTableView& view = Form().grdPedigree->View();
    Form().grdPedigree_MouseUp(Qt::LeftButton, Qt::NoModifier, {5, view.rowViewportPosition(1) + 2});
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown(), "UK0123456 00004");

    // Nothing happens on a grandparent's "Not recorded", on the animal's own line, on a
    // selection, or with Ctrl+Shift; a relative the grid hides is said to be hidden.
    Select({"UK0123456 00001"});
    ClickLine(3);
    ClickLine(4);
    ClickLine(5, Qt::ControlModifier | Qt::ShiftModifier);
    QTextCursor drag(Form().rtbPedigree->document()->findBlockByNumber(2));
    drag.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    Form().rtbPedigree->setTextCursor(drag);
    Form().rtbPedigree_MouseUp(Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(prompts.shown().empty());
    Tick(Form().lstGroups, "Flock A");
    Form().tmrSetGridRecords_Timer();
    prompts.Answer(Prompts::OK);
    ClickLine(6);
    EXPECT_EQ(prompts.shown().back().text, "That animal is not currently displayed in the animal grid.");
    EXPECT_EQ(prompts.shown().back().title, "Animal not in Grid");
    EXPECT_EQ(Shown(), "UK0123456 00001");
    Tick(Form().lstGroups, "Flock A", false);
    Form().tmrSetGridRecords_Timer();

    // Ctrl+click clears a parent at once; then the missing dam is the tag-only 00005, made owned;
    // the missing sire is a cattle tag, which makes a new sheep reference animal.
    ClickLine(6, Qt::ControlModifier);
    EXPECT_EQ(Scalar("SELECT DamID FROM Animals WHERE AnimalID=1"), "0");
    const std::string groupsBefore = Scalar("SELECT group_concat(GroupID || ':' || AnimalID) FROM GroupLink");
    prompts.Type("uk0123456 00005");
    ClickLine(6);
    EXPECT_NE(prompts.shown().back().text.find("Unknown Dam\r\nTo add the unknown Dam to your records enter its tag"),
              std::string::npos);
    const std::string parent = " FROM Animals a JOIN Animals p ON p.AnimalID=a.";
    EXPECT_EQ(Scalar("SELECT p.AnimalID || ',' || p.AnimalType" + parent + "DamID WHERE a.AnimalID=1"), "6,1");
    ClickLine(2, Qt::ControlModifier);
    prompts.Type("UK123456 100001");
    ClickLine(2);
    EXPECT_EQ(Scalar("SELECT p.TagNumber || ',' || p.AnimalType || p.Species || (SELECT count(*) FROM LocationLink l "
                     "WHERE l.AnimalID=p.AnimalID)" +
                     parent + "SireID WHERE a.AnimalID=1"),
              "UK123456 100001,220");
    EXPECT_EQ(Scalar("SELECT Species || ',' || SireID FROM Animals WHERE AnimalID=8"), "1,0");
    EXPECT_EQ(Scalar("SELECT group_concat(GroupID || ':' || AnimalID) FROM GroupLink"), groupsBefore);
    EXPECT_EQ(Chart()[2], "\tUK123456 100001");

    // The right button saves the chart, proposing its title as the name.
    const std::string file = home.root() + "/chart.rtf";
    prompts.ChooseFile("");
    ClickLine(0, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(prompts.shown().back().proposed, "3 Generation Parentage for UK0123456 00001");
    EXPECT_EQ(prompts.shown().back().title, "Save Parentage in an RTF Document");
    prompts.ChooseFile(file);
    ClickLine(0, Qt::NoModifier, Qt::RightButton);
    QTextDocument saved;
    Rtf::Read(TextFile::Read(file), saved);
    EXPECT_EQ(saved.toPlainText(), Form().rtbPedigree->toPlainText());
}

TEST_F(PedigreeTest, AnAnimalsOwnTagIsNeverItsParent) {
    Select({"UK0123456 00002"});
    prompts.Type("uk0123456 00002").Answer(Prompts::OK);
    ClickLine(6);
    EXPECT_EQ(prompts.shown().back().text,
              "The tag uk0123456 00002 is this animal's own: an animal cannot be its own "
              "dam. Nothing has been recorded.");
    EXPECT_EQ(Scalar("SELECT DamID FROM Animals WHERE AnimalID=2"), "0");

    // A tag another animal wore before names that animal: no second one is made for it.
    Db().Execute("INSERT INTO TagChanges (AnimalID, OldTag) VALUES (5, 'UK0123456 00090')");
    prompts.Type("UK0123456 00090").Answer(Prompts::OK);
    ClickLine(6);
    EXPECT_EQ(prompts.shown().back().text, "The tag UK0123456 00090 was worn before by the animal now tagged " +
                                               Scalar("SELECT TagNumber FROM Animals WHERE AnimalID=5") +
                                               ": enter that tag to record it as this animal's dam. Nothing has "
                                               "been recorded.");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Animals WHERE TagNumber='UK0123456 00090'"), "0");
}
