#include <QInputDialog>
#include <QMessageBox>

#include "fixtures/XDesktop.h"
#include "widgets/DesktopPrompts.h"

// The first box framed before any window of the program, the second over it.
TEST_F(XDesktopTest, MessageAndInputBoxesShowTheirWholeTitleInTheWindowManagersTitleBar) {
    XDesktop& x = *XDesktop::Running();
    auto box = Prompts::DesktopInputBox("Enter the new group name", "New Group Name", "", false);
    box->show();
    ASSERT_TRUE(x.WaitFramed(*box));
    EXPECT_EQ(x.TitleCut(*box), "");
    auto message = Prompts::DesktopMessageBox("12 animals were imported.", Prompts::OKOnly, "Data Import Successful");
    message->show();
    ASSERT_TRUE(x.WaitFramed(*message));
    EXPECT_EQ(x.TitleCut(*message), "");
    SaveScreenshot({box.get(), message.get()}, "desktop-box-titles");
}
