// The desktop's file dialogs as a keeper sees them. (Every message and input box a test meets
// is checked whole by the scripted prompts.)
#include <gtest/gtest.h>

#include <QInputDialog>
#include <QLineEdit>
#include <QTest>

#include "fixtures/ScratchHome.h"
#include "widgets/DesktopPrompts.h"

TEST(DesktopPrompts, FilterDescriptionsNameTheirPatternsOnce) {
    EXPECT_EQ(
        Prompts::DesktopFilterNames("Text Files (*.txt)|*.txt|Tag lists|*.txt;*.csv|Both (*.txt;*.csv)|*.txt;*.csv"),
        (std::vector<std::string>{"Text Files (*.txt)", "Tag lists (*.txt *.csv)", "Both (*.txt;*.csv)"}));
}

// Enter in an input box's field answers OK with what was typed, as the herd, flock and holding
// numbers are asked.
TEST(DesktopPrompts, EnterInAnInputBoxAnswersOK) {
    EnsureTestApplication();
    const std::unique_ptr<QInputDialog> box = Prompts::DesktopInputBox("Enter the flock number", "Flock", "", false);
    box->show();
    auto* field = box->findChild<QLineEdit*>();
    QTest::keyClicks(field, "123456");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(box->result(), QDialog::Accepted);
    EXPECT_EQ(box->textValue(), "123456");
}
