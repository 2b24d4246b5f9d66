// The desktop's file dialogs as a keeper sees them. (Every message and input box a test meets
// is checked whole by the scripted prompts.)
#include <gtest/gtest.h>

#include "widgets/DesktopPrompts.h"

TEST(DesktopPrompts, FilterDescriptionsNameTheirPatternsOnce) {
    EXPECT_EQ(
        Prompts::DesktopFilterNames("Text Files (*.txt)|*.txt|Tag lists|*.txt;*.csv|Both (*.txt;*.csv)|*.txt;*.csv"),
        (std::vector<std::string>{"Text Files (*.txt)", "Tag lists (*.txt *.csv)", "Both (*.txt;*.csv)"}));
}
