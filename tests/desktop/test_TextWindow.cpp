#include <QDialog>
#include <QMainWindow>

#include <algorithm>

#include "fixtures/XDesktop.h"
#include "widgets/TextWindow.h"

TEST_F(XDesktopTest, TextWindowOpensCentredOverItsOwnerEvenMaximizedTakesTheKeyboardAndClosesWithEscape) {
    XDesktop& x = *XDesktop::Running();
    QMainWindow owner;
    owner.setWindowTitle("Kelvo");
    owner.setGeometry(100, 50, 1000, 620);
    owner.show();
    ASSERT_TRUE(x.WaitFramed(owner));
    for (bool maximized : {false, true}) {
        if (maximized) {
            owner.showMaximized();
            WaitUntil([&] { return x.WaitFramed(owner) && x.Frame(owner) == x.WorkArea(); });
        }
        TextWindow* help = TextWindow::Open("Help", &owner, {13500, 7125}, "Tick one or more groups\r\n");
        ASSERT_TRUE(x.WaitFramed(*help));
        // Centred over the owner as far as the screen's work area allows.
        const QRect frame = x.Frame(*help), area = x.WorkArea();
        QRect centred(QPoint(), frame.size());
        centred.moveCenter(x.Frame(owner).center());
        centred.moveLeft(std::clamp(centred.left(), area.left(), area.right() + 1 - centred.width()));
        centred.moveTop(std::clamp(centred.top(), area.top(), area.bottom() + 1 - centred.height()));
        EXPECT_TRUE(area.contains(frame)) << maximized;
        EXPECT_LE((frame.topLeft() - centred.topLeft()).manhattanLength(), 4) << maximized;
        EXPECT_TRUE(x.IsActive(*help)) << maximized;
        EXPECT_GT(x.Shown(*help), 0.99) << maximized;
        x.Key("Escape");
        WaitUntil([] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return TextWindow::OpenWindows().empty();
        });
    }
    // The help of a modal window (the eartag list's) is the keeper's as well.
    QDialog list(&owner);
    list.setModal(true);
    list.show();
    ASSERT_TRUE(x.WaitFramed(list));
    TextWindow* help = TextWindow::Open("Help", &list, {13500, 7125}, "Eartag list\r\n");
    ASSERT_TRUE(x.WaitFramed(*help));
    EXPECT_TRUE(x.IsActive(*help));
    x.Key("Escape");
    WaitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return TextWindow::OpenWindows().empty() && list.isVisible();
    });
}
