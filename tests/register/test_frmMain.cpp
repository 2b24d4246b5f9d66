// The main window's frame: its layout rules, the tabs, the progress frame, the way back from
// a device window and unloading.
#include <QDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTextEdit>

#include "core/modMainWindowServices.h"
#include "fixtures/RegisterFixture.h"
#include "fixtures/ScratchHome.h"
#include "fixtures/WindowChecks.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TabControl.h"

namespace {

class FrameTest : public RegisterTest {
protected:
    frmMain& Shown(int widthTwips, int heightTwips) {
        frmMain& form = Open();
        form.show();
        form.canvas->resize(DesignGeometry::Pixels(widthTwips), DesignGeometry::Pixels(heightTwips));
        QCoreApplication::processEvents();
        return form;
    }
};

}  // namespace

TEST_F(FrameTest, ResizingKeepsTheGridAndTabsOnTheirEdgesAndNeverBelowNothing) {
    using DesignGeometry::Pixels;
    frmMain& form = Shown(14400, 9000);
    const int panelRight = form.fraTagSearch->geometry().right() + 1,
              panelBottom = form.fraDisplay->geometry().bottom() + 1;
    const int gridLeft = form.grdAnimals->x();
    EXPECT_GE(gridLeft, std::max(Pixels(1665), panelRight));
    EXPECT_EQ(form.grdAnimals->geometry(),
              QRect(gridLeft, 0, Pixels(14400) - gridLeft, Pixels(9000) - Pixels(5355) - Pixels(120)));
    EXPECT_EQ(form.tabDetails->geometry(),
              QRect(Pixels(75), Pixels(9000) - Pixels(5355), Pixels(14400 - 120), Pixels(5355)));
    EXPECT_EQ(form.fraTab[0]->geometry(),
              QRect(Pixels(75), Pixels(500) + Pixels(30), Pixels(14400 - 120) - 2 * Pixels(75), Pixels(4755)));
    EXPECT_EQ(form.rtbHelp->parentWidget(), form.fraTab[0]);
    EXPECT_EQ(form.rtbHelp->x(), Pixels(2850));
    EXPECT_EQ(form.rtbHelp->width(), form.fraTab[0]->width() - Pixels(2850) - Pixels(30));

    form.tabDetails->SetCurrentTab(8);
    EXPECT_EQ(form.rtbHelp->parentWidget(), form.fraTab[8]);
    EXPECT_TRUE(form.fraTab[0]->isHidden());
    EXPECT_EQ(form.rtbHelp->x(), form.grdMovements->geometry().right() + 1 + Pixels(30));

    // Lower: the grid gives up height, then the tabs, never covering the panel.
    form.canvas->resize(Pixels(14400), Pixels(6000));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.tabDetails->y(), panelBottom + Pixels(120));
    EXPECT_EQ(form.grdAnimals->height(), form.tabDetails->y() - Pixels(120));
    EXPECT_EQ(form.tabDetails->geometry().bottom() + 1, Pixels(6000));
    EXPECT_EQ(form.grdMovements->geometry().bottom(),
              form.fraTab[8]->height() - 1 - (Pixels(4755) - Pixels(225 + 4440)));

    // Narrower than the grid's left and lower than the panel: sizes stop at nothing.
    form.canvas->resize(Pixels(1500), Pixels(1500));
    QCoreApplication::processEvents();
    EXPECT_EQ(form.grdAnimals->width(), 0);
    EXPECT_EQ(form.grdAnimals->height(), 0);
    EXPECT_EQ(form.tabDetails->y(), 0);
    EXPECT_EQ(form.tabDetails->width(), Pixels(1500 - 120));
    EXPECT_EQ(form.rtbHelp->width(), 0);
}

TEST_F(FrameTest, TheNotesCaptionFollowsTheSingleAnimalOnItsTabOnly) {
    frmMain& form = Shown(14400, 8565);
    const QString design = form.fraTab[9]->title();
    Select({"UK0123456 00001"});
    EXPECT_EQ(form.fraTab[9]->title(), design) << "not on its tab";
    form.tabDetails->SetCurrentTab(9);
    EXPECT_EQ(form.fraTab[9]->title(), "Notes for animal UK0123456 00001");
    form.fraTab[9]->setTitle("unchanged");
    form.tabDetails_Click(9);  // the tab already selected
    EXPECT_EQ(form.fraTab[9]->title(), "unchanged");
    Select({"UK0123456 00001", "ABC"});
    EXPECT_EQ(form.fraTab[9]->title(), "Notes will be displayed when a single animal is selected in the animal grid");
}

TEST_F(FrameTest, ProgressFrameShowsCentredOnTop) {
    frmMain& form = Shown(14400, 8565);
    form.InitialiseProgressbar(-3, "Working...");
    EXPECT_EQ(form.lblProgress->text(), "Working...");
    EXPECT_EQ(form.pbrProgress->maximum(), 0);
    EXPECT_EQ(form.pbrProgress->value(), 0);
    EXPECT_TRUE(form.fraProgress->isVisible());
    EXPECT_EQ(form.fraProgress->pos(), QPoint((form.frameGeometry().width() - form.fraProgress->width()) / 2, 0));
    form.InitialiseProgressbar(40, "More");
    EXPECT_EQ(form.pbrProgress->maximum(), 40);
}

TEST_F(FrameTest, ADeviceWindowGivesTheMainWindowBackAQuarterSecondAfterItCloses) {
    frmMain& form = Shown(14400, 8565);
    form.setEnabled(false);
    QElapsedTimer clock;
    clock.start();
    modMainWindowServices::StartZOrderTimer();
    EXPECT_EQ(form.tmrZOrder->interval(), 250);
    WaitUntil([&] { return form.isEnabled(); });
    EXPECT_GE(clock.elapsed(), 200) << "not before its quarter second";
    EXPECT_FALSE(form.tmrZOrder->isActive());
}

TEST_F(FrameTest, UnloadingClosesTheOtherWindowsAndLeavesCore) {
    frmMain& form = Shown(14400, 8565);
    auto* other = new QDialog;
    other->setAttribute(Qt::WA_DeleteOnClose);
    other->show();
    QPointer<QDialog> watch(other);
    Select({"ABC"});
    form.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(frmMain::Loaded(), nullptr);
    EXPECT_EQ(modMainWindowServices::GetGridSQL(), "");
    EXPECT_EQ(modMainWindowServices::MainWindowOwner(), nullptr);
}

// 200 animals, each with a tag change, a treatment and a movement, twenty of them the progeny
// of the first: every tab, with all of them selected and with the one, shows its texts whole
// on a desktop's screen, on a laptop's, and at 600 pixels high. With KELVO_SCREENSHOT_DIR set
// the window is written there on both screens.
TEST_F(FrameTest, EveryTabShowsItsTextsWholeOnEveryScreenAndDownTo600Pixels) {
    Db().Execute(
        "INSERT INTO Treatments VALUES (1, '2024-05-28 00:00:00', 'Wormer', 12.5, 'ml', 'Me', 'Worms');"
        "WITH RECURSIVE n(i) AS (SELECT 100 UNION ALL SELECT i + 1 FROM n WHERE i < 299) INSERT INTO Animals "
        "(AnimalID, AnimalType, TagNumber, TagSort, DateOfBirth, TaggingDate, DamID, Species) SELECT i, 1, "
        "'UK0123456 ' || (10000 + i), i, '2023-12-28 00:00:00', '2024-01-02 00:00:00', iif(i < 120, 100, NULL), 2 FROM n;"
        "INSERT INTO TagChanges (AnimalID, OldTag, EventDate) SELECT AnimalID, 'UK0123456 099999', "
        "'2024-02-20 00:00:00' FROM Animals WHERE AnimalID >= 100; INSERT INTO TreatmentLink (TreatmentID, AnimalID) "
        "SELECT 1, AnimalID FROM Animals WHERE AnimalID >= 100; INSERT INTO LocationLink (LocationID, AnimalID, "
        "EventDate) SELECT 4, AnimalID, '2024-05-28 00:00:00' FROM Animals WHERE AnimalID >= 100;");
    frmMain& form = Open();
    form.show();
    form.txbTagSearch->setText("UK0123456 000000");
    ASSERT_EQ(GridTags().size(), 207u);
    const std::pair<QPoint, QSize> frames[] = {{{0, 0}, form.frameGeometry().size()},
                                               {{0, 0}, {1600, 1000}},
                                               {LaptopScreen()->geometry().topLeft(), {1366, 728}},
                                               {{0, 0}, {1366, 600}}};
    for (const auto& [at, size] : frames) {
        form.move(at);
        form.resize(size - (form.frameGeometry().size() - form.size()));
        const std::string where = std::to_string(size.width()) + "x" + std::to_string(size.height());
        for (const std::vector<std::string>& selected : {GridTags(), std::vector<std::string>{"UK0123456 10100"}}) {
            Select(selected);
            for (int tab = 0; tab < 11; ++tab) {
                form.tabDetails->SetCurrentTab(tab);
                QCoreApplication::processEvents();
                EXPECT_EQ(CutTexts(form), std::vector<std::string>{})
                    << where << ", tab " << tab << ", " << selected.size();
            }
        }
        form.tabDetails->SetCurrentTab(7);
        SaveScreenshot(form, "main-window-" + where);
    }
}
