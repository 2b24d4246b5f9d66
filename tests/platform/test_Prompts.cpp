// The desktop's boxes and file dialogs as a keeper sees them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "fixtures/ScratchHome.h"
#include "fixtures/ScriptedPrompts.h"
#include "platform/Prompts.h"

namespace {

// Boxes the program shows, with their long lines and titles: the scripted prompts build each
// as the desktop shows it and expect it whole, its given lines unwrapped but for one wider
// than the screen.
TEST(DesktopPrompts, CommonBoxesShowTheirTextsWhole) {
    ScratchHome home;
    ScriptedPrompts prompts;
    std::string tags;
    for (int i = 0; i < 40; ++i) tags += "UK0123456 0000" + std::to_string(10 + i) + ", ";
    const std::tuple<std::string, int, std::string> boxes[] = {
        {"Data import successful", Prompts::OKOnly, "Data Import Successful"},
        {"When dams are defined for progeny, if the dams are not already recorded then\r\n"
         "they will be added as new animals owned by you and placed on your holding. Alternatively\r\n"
         "they can be recorded as 'Reference animals' in which case they will not be located\r\n"
         "anywhere.\r\n\r\nDo you want any currently unrecorded dams to be recorded as 'Reference animals'?",
         Prompts::YesNo + Prompts::Question, "Dam animal type for currently unrecorded dams"},
        {"An error occurred in procedure cmdStickAction_Click in frmSimple\r\nThe error was 'Item cannot be found in "
         "the collection corresponding to the requested name or ordinal.' (Error number 3265)",
         Prompts::Critical, "Application Error"},
        {"The file has been imported. Please check these lines:\r\n" + tags, Prompts::Exclamation, "Import"}};
    for (const auto& [text, style, title] : boxes) {
        prompts.Answer(Prompts::Yes);
        Prompts::MsgBox(text, style, title);
    }
    prompts.Type("UK123456");
    Prompts::InputBox("Before you can use this program for cattle you must provide your herd number.\r\n"
                      "Please enter it now.",
                      "Herd Number");
}

TEST(DesktopPrompts, FilterDescriptionsNameTheirPatternsOnce) {
    EXPECT_EQ(Prompts::DesktopFilterNames("Text Files (*.txt)|*.txt|Tag lists|*.txt;*.csv|Both (*.txt;*.csv)|*.txt;*.csv"),
              (std::vector<std::string>{"Text Files (*.txt)", "Tag lists (*.txt *.csv)", "Both (*.txt;*.csv)"}));
}

}  // namespace
