#include <QGroupBox>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

#include "fixtures/RegisterFixture.h"
#include "fixtures/XDesktop.h"

namespace {

class PedigreeOnX : public RegisterTest {
protected:
    void SetUp() override {
        ASSERT_X_DESKTOP();
        RegisterTest::SetUp();
    }

    // The chart shows its eight lines and its title on one, on the screen, without scrolling.
    void ExpectWhole(const std::string& when) {
        XDesktop& x = *XDesktop::Running();
        ASSERT_TRUE(x.WaitFramed(Form())) << when;
        QTextEdit& chart = *Form().rtbPedigree;
        EXPECT_EQ(chart.document()->blockCount(), 8) << when;
        EXPECT_EQ(chart.verticalScrollBar()->maximum(), 0) << when;
        EXPECT_EQ(chart.document()->begin().layout()->lineCount(), 1) << when;
        EXPECT_GT(x.Shown(chart), 0.99) << when;
        EXPECT_GE(Form().rtbHelp->x(), chart.x() + chart.width()) << when;
    }
};

}  // namespace

TEST_F(PedigreeOnX, ChartShowsItsEightLinesWholeAtEverySizeAndGrowsWithTheWindow) {
    XDesktop& x = *XDesktop::Running();
    Db().Execute(
        "UPDATE Animals SET SireID=2, DamID=4 WHERE AnimalID=1; UPDATE Animals SET SireID=7 WHERE AnimalID=2;");
    Open();
    Form().show();
    Select({"UK0123456 00001"});
    ShowTab(frmMain::kParentageTab);
    ExpectWhole("at the opening size");

    QTextEdit& chart = *Form().rtbPedigree;
    Form().resize(900, Form().height());
    ExpectWhole("narrowed");
    const int narrow = chart.width();
    Form().showMaximized();
    WaitUntil([&] { return x.WaitFramed(Form()) && x.Frame(Form()) == x.WorkArea(); });
    ExpectWhole("maximized");
    // The chart keeps its share of the pane, as designed.
    EXPECT_GT(chart.width(), narrow);
    EXPECT_GE(chart.width(), chart.parentWidget()->width() * 3810 / 11580 - 1);
    SaveScreenshot(Form(), "pedigree-maximized");
}
