#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include "fixtures/StickToolTest.h"
#include "fixtures/XDesktop.h"
#include "widgets/DesignGeometry.h"

namespace {

class StickToolOnX : public StickConnectionTest {
protected:
    void SetUp() override { ASSERT_X_DESKTOP(); }
};

// The tallest band of rows of the screen's picture, across the whole window from its top down
// to `to` (a height on the window's page), that shows nothing but the window's own colour.
int EmptyBand(QWidget& page, int to) {
    const QImage screen = XDesktop::Running()->Capture();
    const QPoint at = page.mapToGlobal(QPoint());
    const QColor background = screen.pixelColor(at + QPoint(2, 2));
    int band = 0, longest = 0;
    for (int y = 0; y < to && at.y() + y < screen.height(); ++y) {
        bool empty = true;
        for (int x = 0; x < page.width() && empty; ++x)
            empty = !screen.rect().contains(at + QPoint(x, y)) || screen.pixelColor(at + QPoint(x, y)) == background;
        band = empty ? band + 1 : 0;
        longest = std::max(longest, band);
    }
    return longest;
}

}  // namespace

// Once the stick has answered, the help and the port list are gone: the option frames, and the
// engineering frame below them, close up under the buttons as each frame is shown or hidden.
TEST_F(StickToolOnX, ControlsStandTogetherInBothEditionsWhicheverFramesShow) {
    XDesktop& x = *XDesktop::Running();
    for (int edition : {1, 2}) {
        modCommon::EditionCode = edition;
        frmSimple* window = Start();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(window->lblHelp->isHidden() && window->fraComPortSelection->isHidden());
        QWidget& page = *DesignGeometry::Page(window);
        const QWidget* lowest = edition == 2 ? static_cast<QWidget*>(window->fraTolvane) : window->fraTagReadOptions;
        for (int button : {0, 4, 5, 4, 5}) {
            if (button) window->cmdStickAction[button]->click();
            ASSERT_TRUE(x.WaitFramed(*window));
            const std::string shown = std::string(edition == 2 ? "engineering" : "simple") +
                                      (window->fraTagReadOptions->isHidden() ? "" : "-read") +
                                      (window->fraTagFileOptions->isHidden() ? "" : "-file");
            EXPECT_LT(EmptyBand(page, lowest->y()), window->cmdStickAction[0]->height() / 2) << shown;
            SaveScreenshot(*window, "stick-tool-together-" + shown);
        }
        DefaultInstance<frmSimple>::Unload();
    }
}
