#include <QInputDialog>
#include <QMessageBox>

#include "fixtures/WindowTest.h"
#include "fixtures/XDesktop.h"
#include "widgets/DesktopPrompts.h"

namespace {

class DesktopPromptsOnX : public WindowTest {
protected:
    void SetUp() override { SKIP_WITHOUT_X_DESKTOP(); }
};

}  // namespace

TEST_F(DesktopPromptsOnX, TitlesShowWhole) {
    XDesktop& x = *XDesktop::Running();
    auto box = Prompts::DesktopInputBox("Enter the new group name", "New Group Name", "", false);
    box->show();
    ASSERT_TRUE(x.WaitFramed(*box));
    EXPECT_EQ(x.TitleCut(*box), "");
    auto message = Prompts::DesktopMessageBox("12 animals were imported.", Prompts::OKOnly, "Data Import Successful");
    message->show();
    ASSERT_TRUE(x.WaitFramed(*message));
    EXPECT_EQ(x.TitleCut(*message), "");
    x.Capture().save("/tmp/fx/cap1.png");
}
