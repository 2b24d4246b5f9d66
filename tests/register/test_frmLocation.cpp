// The location dialog: its checks, new and edited locations, and identical rows brought back;
// it and the treatment dialog as the keeper sees and types.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "fixtures/RegisterFixture.h"
#include "fixtures/WindowChecks.h"
#include "register/frmLocation.h"
#include "register/frmTreatment.h"

namespace {

class LocationTest : public RegisterTest {
protected:
    // Opens the dialog for `location` (0 = new), fills it and presses OK.
    void Save(int location, const std::string& name, const std::string& description, int type) {
        modCommon::EditLocationID = location;
        RunModal<frmLocation>([] { frmLocation::ShowModal(nullptr); },
                              [&](frmLocation& dialog) {
                                  dialog.txbName->setText(QString::fromStdString(name));
                                  dialog.txbDescription->setText(QString::fromStdString(description));
                                  if (type >= 0) dialog.optLocationType[type]->setChecked(true);
                                  dialog.OKButton->click();
                              });
    }
    std::string Locations(const std::string& where = "LocationID>7") {
        return Rows(
            "SELECT LocationName || '/' || LocationDescription || '/' || LocationType || '/' || Active FROM "
            "Locations WHERE " +
                where,
            "|");
    }
};

}  // namespace

TEST_F(LocationTest, NewLocationsAndIdenticalOnesBroughtBack) {
    Save(0, "Low meadow", "South", 1);
    EXPECT_EQ(Locations(), "Low meadow/South/1/1");
    Save(0, "Low meadow", "South", 1);
    EXPECT_EQ(Locations(), "Low meadow/South/1/1");
    Db().Execute("UPDATE Locations SET Active=0 WHERE LocationID=8");
    Save(0, "Low meadow", "South", 1);
    EXPECT_EQ(Locations(), "Low meadow/South/1/1") << "the deleted one comes back";
    Save(0, "O'Hara's", "", 4);
    EXPECT_EQ(Locations("LocationID=9"), "O'Hara's//-1/1");
}

TEST_F(LocationTest, EditingALocation) {
    Db().Execute("UPDATE Locations SET Active=0 WHERE LocationID=6");
    Save(6, "Abattoir", "", 3);
    EXPECT_EQ(Locations("LocationID=6"), "Abattoir//-2/1") << "saved unchanged, it is active again";
    Save(6, "Market", "", 2);
    EXPECT_EQ(Locations("LocationID IN (5,6)"), "Market//-3/1|Abattoir//-2/1")
        << "the identical one is kept, the edited one left";
    Save(6, "Knacker", "Town", 0);
    EXPECT_EQ(Locations("LocationID=6"), "Knacker/Town/0/1");
    Save(6, "KNACKER", "Town", 0);
    EXPECT_EQ(Locations("LocationID=6"), "KNACKER/Town/0/1") << "a change of case alone is stored";

    modCommon::EditLocationID = 4;
    RunModal<frmLocation>([] { frmLocation::ShowModal(nullptr); },
                          [&](frmLocation& dialog) {
                              EXPECT_EQ(dialog.txbName->text(), "Top Field");
                              EXPECT_EQ(dialog.txbDescription->text(), "North");
                              EXPECT_TRUE(dialog.optLocationType[1]->isChecked());
                              dialog.CancelButton->click();
                          });
}

TEST_F(LocationTest, ChecksKeepTheDialogOpen) {
    prompts.AcceptAllOK();
    modCommon::EditLocationID = 1;  // the removal location: no option stands for its type
    RunModal<frmLocation>([] { frmLocation::ShowModal(nullptr); },
                          [&](frmLocation& dialog) {
                              for (QRadioButton* option : dialog.optLocationType) EXPECT_FALSE(option->isChecked());
                              dialog.txbName->clear();
                              dialog.OKButton->click();
                              EXPECT_EQ(prompts.shown().back().text, "Please enter the name of the location.");
                              EXPECT_EQ(prompts.shown().back().title, "Enter Location Name");
                              EXPECT_EQ(prompts.shown().size(), 1u) << "only the name is asked for";
                              dialog.txbName->setText("Gone");
                              dialog.OKButton->click();
                              EXPECT_EQ(prompts.shown().back().text, "Please select a type for the location.");
                              EXPECT_EQ(prompts.shown().back().title, "Enter Location Type");
                              dialog.optLocationType[0]->setChecked(true);
                              for (const QString& name : {QString(51, 'x'), QStringLiteral("market")}) {
                                  dialog.txbName->setText(name);
                                  dialog.OKButton->click();
                                  EXPECT_TRUE(dialog.isVisible());
                                  EXPECT_EQ(dialog.txbName->text(), name) << "kept for another try";
                              }
                              EXPECT_EQ(prompts.shown()[2].text,
                                        "The name '" + std::string(51, 'x') +
                                            "' is too long: "
                                            "the name of a location can have at most 50 characters.");
                              EXPECT_EQ(prompts.shown()[3].title, "Name in Use");
                              // Enter in a box, or on the focused type, presses OK, and the name in
                              // use is refused again.
                              QTest::keyClick(dialog.txbDescription, Qt::Key_Return);
                              EXPECT_EQ(prompts.shown().back().title, "Name in Use");
                              EXPECT_EQ(prompts.shown().size(), 5u);
                              dialog.optLocationType[0]->setFocus();
                              QTest::keyClick(dialog.optLocationType[0], Qt::Key_Return);
                              EXPECT_EQ(prompts.shown().size(), 6u);
                              EXPECT_TRUE(dialog.isVisible());
                          });
    EXPECT_EQ(Locations("LocationID=1"), "Removed from Records/Animals removed from the records/-4/1");
}

// Both dialogs show their texts whole; from the keyboard, Tab reaches every field and button,
// Enter on the focused OK presses it (and the first field left empty is asked for), Escape
// cancels.
TEST_F(LocationTest, DialogsShowTheirTextsWholeAndWorkFromTheKeyboard) {
    auto check = [&](QDialog& dialog, QPushButton& ok, QLineEdit& first, const std::string& asked) {
        EXPECT_EQ(CutTexts(dialog), std::vector<std::string>{});
        EXPECT_EQ(NotReachedByTab(dialog), std::vector<std::string>{});
        first.clear();
        prompts.Answer(Prompts::OK);
        EXPECT_TRUE(PressedByEnter(ok));
        EXPECT_EQ(prompts.LastText(), asked);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    };
    modCommon::EditLocationID = 0;
    RunModal<frmLocation>([] { frmLocation::ShowModal(nullptr); },
                          [&](frmLocation& dialog) {
                              check(dialog, *dialog.OKButton, *dialog.txbName,
                                    "Please enter the name of the location.");
                          });
    Open();
    Select({"UK0123456 00001"});
    RunModal<frmTreatment>([this] { Form().cmdRecordTreatment_Click(); },
                           [&](frmTreatment& dialog) {
                               check(dialog, *dialog.OKButton, *dialog.cboMedicine->lineEdit(),
                                     "Please enter or select a medicine.");
                           });
}
