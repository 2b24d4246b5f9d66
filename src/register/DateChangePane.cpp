#include "register/DateChangePane.h"

#include <QGroupBox>
#include <QScopeGuard>

#include <optional>
#include <string>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/DateTime.h"
#include "platform/Prompts.h"
#include "register/DateChanges.h"
#include "register/PaneWindow.h"
#include "widgets/DataGrid.h"

namespace {

const char* const kObject = "frmMain";

using modCommon::Database;

}  // namespace

DateChangePane::DateChangePane(PaneWindow& window, QGroupBox* tabFrame)
    : QObject(tabFrame), window_(window), tabFrame_(tabFrame) {}

void DateChangePane::ChangeDates(const char* procedure, bool dateOfBirth) {
    const auto close = qScopeGuard([this] { window_.EndSelectedAction(); });
    Trap(procedure, kObject, [&] {
        if (window_.AnimalGrid().SelCount() == 0) {
            Prompts::MsgBox("There is nothing selected in the grid.", Prompts::OKOnly, "Nothing Selected in Grid");
            return;
        }
        tabFrame_->window()->setEnabled(false);
        const std::string what = dateOfBirth ? "date of birth" : "tagging date";
        const std::string answer =
            Prompts::InputBox("Please enter the new " + what + " for the selected animals",
                              dateOfBirth ? "Enter New Date of Birth" : "Enter New Tagging Date");
        if (answer.empty()) return;
        const std::optional<DateTime> date = DateTime::FromUserText(answer);
        if (!date) {
            Prompts::MsgBox("'" + answer + "' is not a valid date - please try again.", Prompts::OKOnly,
                            "Invalid Date");
            return;
        }
        window_.ActOnSelected(procedure,
                              (dateOfBirth ? "Setting the DoB of the selected animals to "
                                           : "Setting the tagging date of the selected animals to ") +
                                  answer,
                              [&](const GridAnimals& animals, const ActionStep& step) {
                                  DateChanges::SetDates(Database().GetConnection(), dateOfBirth, *date, animals, step);
                              });
    });
}
