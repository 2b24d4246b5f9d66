// The desktop's file dialogs as a keeper sees them. (Every message and input box a test meets
// is checked whole by the scripted prompts.)
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>

#include "fixtures/ScratchHome.h"
#include "widgets/DesktopPrompts.h"

TEST(DesktopPrompts, FilterDescriptionsNameTheirPatternsOnce) {
    EXPECT_EQ(
        Prompts::DesktopFilterNames("Text Files (*.txt)|*.txt|Tag lists|*.txt;*.csv|Both (*.txt;*.csv)|*.txt;*.csv"),
        (std::vector<std::string>{"Text Files (*.txt)", "Tag lists (*.txt *.csv)", "Both (*.txt;*.csv)"}));
}

// Enter answers a question with its default button: the first, or the one the style names.
TEST(DesktopPrompts, EnterPressesTheDefaultButton) {
    EnsureTestApplication();
    for (int style : {Prompts::YesNo, Prompts::YesNo | Prompts::Question | Prompts::DefaultButton2}) {
        const std::unique_ptr<QMessageBox> box = Prompts::DesktopMessageBox("Are you sure?", style, "Delete");
        box->show();
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box.get(), Qt::Key_Return);
        EXPECT_EQ(box->result(), style == Prompts::YesNo ? QMessageBox::Yes : QMessageBox::No);
    }
}
