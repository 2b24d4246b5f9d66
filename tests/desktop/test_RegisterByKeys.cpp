// The register worked from the keyboard alone, on a real desktop: the keys go where a keeper's
// would, and what they choose in the grid is acted on from the tabs below it.
#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>

#include "fixtures/RegisterFixture.h"
#include "fixtures/XDesktop.h"
#include "register/frmTreatment.h"

namespace {

class RegisterByKeys : public RegisterTest {
protected:
    void SetUp() override {
        ASSERT_X_DESKTOP();
        RegisterTest::SetUp();
    }

    XDesktop& X() { return *XDesktop::Running(); }

    // Presses `key` until `control` has the keyboard, at most 30 times.
    void PressUntil(const std::string& key, QWidget& control) {
        for (int i = 0; i < 30 && !control.hasFocus(); ++i) X().Key(key);
        ASSERT_TRUE(control.hasFocus()) << key << " does not reach the " << control.metaObject()->className();
    }
    // Once `ready` holds, `keys` run from whichever event loop runs then: a pop-up menu's or a
    // dialog's, which the key that opens it enters.
    void When(const std::function<bool()>& ready, const std::function<void()>& keys) {
        QObject::disconnect(&watch_, nullptr, nullptr, nullptr);
        QObject::connect(&watch_, &QTimer::timeout, &watch_, [this, ready, keys] {
            if (!ready()) return;
            watch_.stop();
            keys();
        });
        watch_.start(20);
    }
    // The list's entry that starts with what is typed becomes the current one, and its pop-up
    // menu's first item is chosen. The keyboard stays in the list.
    void FirstMenuItem(QListWidget& list, const std::string& typed, const std::string& entry) {
        PressUntil("Tab", list);
        X().Type(typed);
        ASSERT_TRUE(list.currentItem() && list.currentItem()->text().toStdString() == entry) << typed;
        When([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
             [this] { X().Key("Down Return"); });
        X().Key("shift+F10");
    }
    void ShowTab(int tab) {
        PressUntil("Tab", Form().tabDetails->Bar());
        for (int i = 0; i < 11 && Form().tabDetails->CurrentTab() != tab; ++i)
            X().Key(Form().tabDetails->CurrentTab() < tab ? "Right" : "Left");
        ASSERT_EQ(Form().tabDetails->CurrentTab(), tab);
    }
    void BackToGrid() { PressUntil("shift+Tab", Form().grdAnimals->View()); }

    QTimer watch_;
};

}  // namespace

// Three animals chosen with Space and Shift+Down are moved to Top Field; one of them is
// recorded dead, two are treated, one gets a new tag and a note: no mouse.
TEST_F(RegisterByKeys, AnimalsChosenInTheGridAreMovedRecordedDeadTreatedRetaggedAndNoted) {
    const std::string today = DateTime::Today().ToUserText();
    Open();
    Form().show();
    ASSERT_TRUE(X().WaitFramed(Form()));
    WaitUntil([&] { return X().IsActive(Form()); });

    // Rows 0 to 2: ABC, UK0123456 00001 and 00002.
    ASSERT_NO_FATAL_FAILURE(PressUntil("Tab", Form().grdAnimals->View()));
    X().Key("ctrl+Home space shift+Down shift+Down");
    EXPECT_EQ(Form().SelectedAnimalIDs(), (std::vector<long>{7, 1, 2}));
    prompts.Type(today).Type("Haulier");
    ShowTab(1);  // Locations/Moves
    ASSERT_NO_FATAL_FAILURE(FirstMenuItem(*Form().lstLocations, "Top", "Top Field"));
    WaitUntil([&] { return prompts.Done(); });
    EXPECT_TRUE(Form().lstLocations->hasFocus());
    EXPECT_EQ(Rows("SELECT AnimalID || ':' || Details FROM LocationLink WHERE LocationID=4 AND EventDate LIKE "
                   "'2024-06-15%' ORDER BY AnimalID"),
              "1:Haulier,2:Haulier,7:Haulier");
    ASSERT_EQ(Form().SelectedAnimalIDs(), (std::vector<long>{7, 1, 2})) << "the grid keeps the choice";

    BackToGrid();
    X().Key("ctrl+Home Down space");
    EXPECT_EQ(Form().SelectedAnimalIDs(), std::vector<long>{1});
    prompts.Type(today).Type("Bloat").Type("");
    ASSERT_NO_FATAL_FAILURE(FirstMenuItem(*Form().lstLocations, "Dea", "Dead"));
    WaitUntil([&] { return prompts.Done(); });
    EXPECT_EQ(Scalar("SELECT LocationID FROM LocationLink WHERE AnimalID=1 ORDER BY LocationLinkID DESC LIMIT 1"), "2");

    BackToGrid();
    X().Key("ctrl+Home space Down Down ctrl+space");
    EXPECT_EQ(Form().SelectedAnimalIDs(), (std::vector<long>{7, 2}));
    ShowTab(frmMain::kTreatmentsTab);
    ASSERT_NO_FATAL_FAILURE(PressUntil("Tab", *Form().cmdRecordTreatment));  // by way of the treatments' grid
    When([] { return frmTreatment::Loaded() && QApplication::activeWindow() == frmTreatment::Loaded(); },
         [this] {
             for (const char* field : {"Drench", "5", "ml", "Jo"}) X().Key("Tab"), X().Type(field);
             X().Key("Tab");
             X().Type("Worms");
             X().Key("Return");
         });
    X().Key("Return");
    WaitUntil([] { return !frmTreatment::Loaded(); });
    EXPECT_EQ(Rows("SELECT AnimalID || ':' || MedicineName || ':' || Amount || ':' || Unit FROM TreatmentLink INNER "
                   "JOIN Treatments ON Treatments.TreatmentID=TreatmentLink.TreatmentID ORDER BY AnimalID"),
              "2:Drench:5.0:ml,7:Drench:5.0:ml");

    BackToGrid();
    X().Key("space");  // the current row, UK0123456 00002, alone
    EXPECT_EQ(Form().SelectedAnimalIDs(), std::vector<long>{2});
    ShowTab(frmMain::kTagChangesTab);
    prompts.Type("UK0123456 00099").Type(today);
    ASSERT_NO_FATAL_FAILURE(PressUntil("Tab", *Form().cmdRecordTagChange));
    X().Key("Return");
    WaitUntil([&] { return prompts.Done(); });
    EXPECT_EQ(Scalar("SELECT TagNumber FROM Animals WHERE AnimalID=2"), "UK0123456 00099");
    EXPECT_EQ(Scalar("SELECT OldTag FROM TagChanges WHERE AnimalID=2"), "UK0123456 00002");

    ShowTab(frmMain::kNotesTab);
    PressUntil("Tab", *Form().rtbNotes);
    X().Type("Lame on the left fore");
    // The note is kept when another animal is chosen.
    BackToGrid();
    X().Key("ctrl+Home space");
    EXPECT_EQ(Form().SelectedAnimalIDs(), std::vector<long>{7});
    EXPECT_NE(Scalar("SELECT Note FROM Notes WHERE AnimalID=2").find("Lame on the left fore"), std::string::npos);
    SaveScreenshot(Form(), "register-by-keys");
}
