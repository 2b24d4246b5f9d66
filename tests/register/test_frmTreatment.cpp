// The treatment dialog from the keyboard, its writes all or nothing, and the treatment pane.
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <cstdlib>

#include "fixtures/RegisterFixture.h"
#include "register/frmTreatment.h"

namespace {

using Lines = std::vector<std::string>;

class TreatmentTest : public RegisterTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        setenv("KELVO_TIME_SCALE", "0.02", 1);  // a locked database gives up at once
        RegisterTest::SetUp();
        Open();
        Select({"UK0123456 00001", "UK0123456 00002", "UK0123456 00005"});
    }
    void TearDown() override {
        RegisterTest::TearDown();
        unsetenv("KELVO_TIME_SCALE");
        QLocale::setDefault(QLocale::c());
    }
    void Dialog(const std::function<void(frmTreatment&)>& steps) {
        RunModal<frmTreatment>([this] { Form().cmdRecordTreatment_Click(); }, steps);
    }
    std::string Written() {
        return Scalar("SELECT (SELECT group_concat(EventDate || '/' || MedicineName || '/' || Amount || '/' || Unit || '/' "
                      "|| TreatedBy || '/' || Reason) FROM Treatments) || ' ' || (SELECT group_concat(AnimalID) FROM "
                      "TreatmentLink)");
    }
    Lines Pane() {
        Lines rows;
        for (int row = 0; row < Form().grdTreatments->Model().rowCount(); ++row)
            rows.push_back(
                (Form().grdTreatments->Model().index(row, 1).data().toString() + "|" +
                 Form().grdTreatments->Model().index(row, 2).data().toString() + "|" +
                 Form().grdTreatments->Model().index(row, 3).data().toString() + "|" +
                 Form().grdTreatments->Model().index(row, 4).data().toString())
                    .toStdString());
        return rows;
    }
};

}  // namespace

TEST_F(TreatmentTest, ChecksInOrderFromTheKeyboardThenOneTreatmentForEverySelectedAnimal) {
    struct Step {
        const char* typed;
        const char* message;
        const char* title;
    };
    const Step steps[] = {
        {"31/02/2005", "The treatment date is not valid. Please re-enter it.", "Invalid Date"},
        {"16/06/2024", "The treatment date is in the future. Please re-enter it.", "Invalid Date"},
        {"15/06/2024", "Please enter or select a medicine.", "Medicine Required"},
        {"Pen 'LA'", "The amount is not valid. Please re-enter it.", "Invalid Amount"},
        {"0", "The amount is not valid. Please re-enter it.", "Invalid Amount"},
        {"-1", "The amount is not valid. Please re-enter it.", "Invalid Amount"},
        {"2.5", "Please enter or select a unit.", "Invalid Unit"},
        {"ml", "Please enter or select the name of the person doing the treatment.", "Invalid Name"},
        {" ", "Please enter or select the reason for the treatment.", "Invalid Reason"},
        {"Lame", nullptr, nullptr}};
    Dialog([&](frmTreatment& dialog) {
        EXPECT_EQ(dialog.txbEventDate->text(), "15/06/2024");
        QTest::keyClick(dialog.txbEventDate, Qt::Key_Return);  // no default button
        EXPECT_TRUE(prompts.shown().empty());
        dialog.txbEventDate->setFocus();
        for (const Step& step : steps) {
            QWidget* field = dialog.focusWidget();
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, step.typed);
            if (step.message) prompts.Answer(Prompts::OK);
            QTest::keyClick(dialog.OKButton, Qt::Key_Space);
            if (!step.message) break;
            EXPECT_EQ(prompts.shown().back().text, step.message);
            EXPECT_EQ(prompts.shown().back().title, step.title);
            EXPECT_EQ(prompts.shown().back().style, Prompts::OKOnly);
        }
    });
    EXPECT_EQ(Written(), "2024-06-15 00:00:00/Pen 'LA'/2.5/ml/ /Lame 1,2,6");
    EXPECT_EQ(Pane(), (Lines{"UK0123456 00001|15/06/2024|Pen 'LA'|2.5 ml", "UK0123456 00002|15/06/2024|Pen 'LA'|2.5 ml"}))
        << "the tag-only row is linked but never listed";
}

TEST_F(TreatmentTest, AFailedWriteLeavesNothingIsReportedAndTheDialogStaysUsable) {
    Connection peer;
    peer.Open(modCommon::Database().GetDatabaseFilespec());
    struct Failure {
        std::string make, undo;
        QString unit;
    };
    const Failure failures[] = {
        {"CREATE TRIGGER refuse BEFORE INSERT ON TreatmentLink WHEN NEW.AnimalID=2 BEGIN SELECT RAISE(ABORT, 'no'); END",
         "DROP TRIGGER refuse", "l"},
        {"BEGIN IMMEDIATE", "ROLLBACK", "l"},
        {"", "", QString(51, 'm')}};
    Dialog([&](frmTreatment& dialog) {
        for (auto [field, text] : {std::pair{dialog.cboMedicine, "Dip"}, {dialog.cboName, "Jo"}, {dialog.cboReason, "Scab"}})
            field->setEditText(text);
        dialog.txbAmount->setText("5");
        for (const Failure& failure : failures) {
            if (!failure.make.empty()) peer.Execute(failure.make);
            dialog.cboUnit->setEditText(failure.unit);
            prompts.Answer(Prompts::OK);
            dialog.OKButton->click();
            EXPECT_EQ(prompts.LastText().rfind("An error occurred in procedure OKButton_Click in frmTreatment", 0), 0u);
            EXPECT_EQ(Written(), "<null>") << failure.make;
            EXPECT_TRUE(dialog.isVisible());
            if (!failure.undo.empty()) peer.Execute(failure.undo);
        }
        EXPECT_EQ(dialog.cboMedicine->currentText(), "Dip") << "the entries stay";
        dialog.CancelButton->click();
    });
    EXPECT_EQ(Written(), "<null>");
}

TEST_F(TreatmentTest, DeletingALinkKeepsTheTreatmentForTheOthersAndClearsUnlinkedOnes) {
    Db().Execute("INSERT INTO Treatments VALUES (1, '2024-06-01 00:00:00', 'Dip', 5, 'l', 'Jo', 'Scab'),"
                 " (2, '2024-06-01 00:00:00', 'Wormer', 0.1, 'ml', 'Jo', 'Worms'), (3, '2024-01-01', 'Old', 2.5, 'g', '', '');"
                 "INSERT INTO TreatmentLink (TreatmentID, AnimalID) VALUES (1, 1), (1, 2), (2, 1)");
    Select({"UK0123456 00002", "UK0123456 00001"});
    EXPECT_EQ(Pane(), (Lines{"UK0123456 00001|01/06/2024|Wormer|0.1 ml", "UK0123456 00001|01/06/2024|Dip|5 l",
                             "UK0123456 00002|01/06/2024|Dip|5 l"}));
    Dialog([](frmTreatment& dialog) {
        EXPECT_EQ(dialog.cboName->count(), 3) << "one entry per treatment";
        EXPECT_EQ(dialog.cboMedicine->itemText(2), "Old");
        QTest::keyClick(dialog.cboMedicine, Qt::Key_Escape);
    });
    DataGrid& grid = *Form().grdTreatments;
    grid.SelAdd(grid.Rows().BookmarkAt(2));
    Form().cmdDeleteTreatments_Click();
    EXPECT_EQ(Scalar("SELECT group_concat(TreatmentID || ':' || AnimalID) FROM TreatmentLink"), "1:1,2:1");
    EXPECT_EQ(Scalar("SELECT group_concat(TreatmentID) FROM Treatments"), "1,2") << "the unlinked one goes too";
    grid.SelAdd(grid.Rows().BookmarkAt(1));
    Form().cmdDeleteTreatments_Click();
    EXPECT_EQ(Scalar("SELECT group_concat(TreatmentID) FROM Treatments"), "2");
    EXPECT_EQ(Pane(), (Lines{"UK0123456 00001|01/06/2024|Wormer|0.1 ml"}));
}
