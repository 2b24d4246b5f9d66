#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <stdexcept>

#include "fixtures/ScratchHome.h"
#include "widgets/WaitPointer.h"

// Work that fails under the hourglass (a procedure's trap then logs it) leaves neither the
// hourglass nor a window that takes no input behind.
TEST(WaitPointer, ThePointerAndTheWindowComeBackHoweverTheWorkEnds) {
    EnsureTestApplication();
    QWidget window;
    EXPECT_THROW(
        {
            WaitPointer pointer(&window);
            EXPECT_FALSE(window.isEnabled());
            EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            throw std::runtime_error("the work failed");
        },
        std::runtime_error);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
