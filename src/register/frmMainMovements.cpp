// Movements between locations: the selected animals put at a location (moved there, recorded
// dead, or removed from the records) or taken out of one. The program holds no movement SQL:
// the database's script of the movement type does the work, for all the animals at once where
// the script is one the program ships, else one animal at a time.
#include <QProgressBar>
#include <QScopeGuard>

#include <memory>
#include <optional>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Prompts.h"
#include "register/LaterRecords.h"
#include "register/Movements.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"

namespace {

const char* const kObject = "frmMain";
using Movements::kDead;
using Movements::kRemoval;

using modCommon::Database;

// The date of a movement: asked until it is a date, and one in the future only when the
// keeper confirms it; none when cancelled.
std::optional<DateTime> AskMovementDate(long selected) {
    const std::string prompt =
        std::string("You must enter a date when this action occurred.") +
        (selected > 1 ? "\r\nNote that the date will apply to ALL the animals you have selected." : "") +
        "If you do not want to enter a date click 'Cancel' and the action will not be recorded";
    std::string typed = DateTime::Today().ToUserText();
    for (;;) {
        typed = Prompts::InputBox(prompt, "Enter Date", typed);
        if (typed.empty()) return std::nullopt;
        const std::optional<DateTime> date = DateTime::FromUserText(typed);
        if (!date) {
            Prompts::MsgBox("Invalid date - please try again.", Prompts::OKOnly, "Invalid Date");
            continue;
        }
        if (*date <= DateTime::Now()) return date;
        const std::string shown = date->ToGeneralText();
        if (Prompts::MsgBox(shown + " is in the future. Are you sure you want to use " + shown + "?",
                            Prompts::YesNo | Prompts::Question, "Date/Time in the Future") == Prompts::Yes)
            return date;
    }
}

// What the keeper tells of a movement before it is made.
struct MovementAnswers {
    DateTime date;
    std::string cause, details;
};

// The removal's one question, or the date, the cause of a death and the details; false when
// the keeper declines.
bool AskAboutMovement(long locationType, long selected, MovementAnswers& answers) {
    if (locationType == kRemoval)
        return Prompts::MsgBox(
                   "All items selected in the animal grid will be permanently deleted from your records "
                   "- are you\r\nsure that this is what you want?",
                   Prompts::YesNo | Prompts::Question | Prompts::DefaultButton2,
                   "Confirm Animal Deletion") == Prompts::Yes;
    const std::optional<DateTime> date = AskMovementDate(selected);
    if (!date) return false;
    answers.date = *date;
    if (locationType == kDead)
        while (answers.cause.empty())
            answers.cause = Prompts::InputBox("You must enter the cause of death", "Cause of Death");
    answers.details = Prompts::InputBox(
        "You may enter any comments about the move here. You should enter transporter details here if relevant.",
        "Details");
    return true;
}

// "2 movements", "1 treatment"; "" for none.
std::string Counted(long count, const std::string& what) {
    return count == 0 ? "" : std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

// A death or a move off the holding deletes the animals' records dated after it, and taking it
// back does not bring them back: the keeper is told what goes and may decline, No being the
// default. True when nothing goes or the keeper agrees. `again` when more has been recorded since
// the keeper was last asked.
bool ConfirmLaterRecordsDeleted(const LaterRecords::Counts& counts, const DateTime& date, bool again) {
    std::vector<std::string> listed;
    for (const std::string& item : {Counted(counts.movements, "movement"), Counted(counts.treatments, "treatment"),
                                    Counted(counts.tagChanges, "tag change")})
        if (!item.empty()) listed.push_back(item);
    if (listed.empty()) return true;
    std::string what = listed[0];
    for (std::size_t i = 1; i < listed.size(); ++i) what += (i + 1 == listed.size() ? " and " : ", ") + listed[i];
    return Prompts::MsgBox(
               std::string(again ? "More has been recorded for the selected animals since you were asked. " : "") +
                   "This will also delete what is recorded for the selected animals after " + date.ToGeneralText() +
                   ": " + what +
                   ". Taking the animals out of the location again will not bring these records "
                   "back.\r\n\r\nDo you want to go on?",
               Prompts::YesNo | Prompts::Question | Prompts::DefaultButton2,
               "Confirm Deletion of Later Records") == Prompts::Yes;
}

}  // namespace

bool frmMain::AssignToORRemoveFromLocation(bool assign, long animalID, const DateTime& date, long locationID,
                                           const std::string& details, const std::string& deathReason) {
    return Trap("AssignToORRemoveFromLocation", kObject, [&] {
        std::shared_ptr<Movements::Script> script = movementScript_;
        if (!script || script->Assign() != assign || script->Location() != locationID) {
            script = std::make_shared<Movements::Script>(Database().GetConnection(), assign, locationID);
            if (movementAction_) movementScript_ = script;
        }
        script->Run(animalID, date, details, deathReason);
    });
}

// The movement action's loop over the selection, with the script read once for all of it.
Missing frmMain::MoveSelected(const char* procedure, const std::string& caption, long into,
                              const std::function<bool(const GridAnimals&)>& many,
                              const std::function<void(const GridAnimal&)>& each,
                              const std::function<bool(const GridAnimals&)>& agreed) {
    movementAction_ = true;
    const auto forget = qScopeGuard([this] {
        movementAction_ = false;
        movementScript_.reset();
    });
    Missing missing;
    ActOnSelected(procedure, caption, [&](const GridAnimals& animals, const ActionStep& step) {
        missing = Movements::MoveEach(Database().GetConnection(), animals, into, each, step, many, agreed);
    });
    return missing;
}

void frmMain::AssignToLocation(long id, const std::string& name) {
    const long selected = grdAnimals->SelCount();
    if (selected == 0) return;
    const auto enable = qScopeGuard([this] { setEnabled(true); });
    long type = 0;
    MovementAnswers answers;
    LaterRecords::Counts told;
    bool go = false;
    Trap("Assign", kObject, [&] {
        setEnabled(false);
        type = Movements::LocationType(Database().GetConnection(), id);
        go = AskAboutMovement(type, selected, answers);
        if (go) told = LaterRecords::Deleted(Database().GetConnection(), type, SelectedGridAnimals(), answers.date);
        go = go && ConfirmLaterRecordsDeleted(told, answers.date, false);
    });
    if (!go) return;
    const std::string caption = type == kRemoval ? ""
                                : type == kDead  ? "Recording deaths..."
                                                 : "Moving the selected animals to '" + name + "'...";
    const auto many = [&](const GridAnimals& animals) {
        std::vector<long long> moving;
        for (const GridAnimal& animal : animals)
            if (Movements::Moves(type, animal)) moving.push_back(animal.id);
        return Movements::MoveMany(Database().GetConnection(), true, id, moving, answers.date, answers.details,
                                   answers.cause);
    };
    const auto each = [&](const GridAnimal& animal) {
        if (Movements::Moves(type, animal))
            AssignToORRemoveFromLocation(true, static_cast<long>(animal.id), answers.date, id, answers.details,
                                         answers.cause);
    };
    // The keeper was asked outside the write, so another copy of the program may have recorded
    // more that the move would delete: counted again inside it, and asked again when more.
    const auto agreed = [&](const GridAnimals& animals) {
        const LaterRecords::Counts now = LaterRecords::Deleted(Database().GetConnection(), type, animals, answers.date);
        const bool more = LaterRecords::More(now, told);
        told = now;
        return !more;
    };
    for (;;) {
        const Missing missing = MoveSelected("Assign", caption, id, many, each, agreed);
        if (!missing.changed) return TellMissing(lstLocations, name, missing);
        go = false;
        Trap("Assign", kObject, [&] { go = ConfirmLaterRecordsDeleted(told, answers.date, true); });
        if (!go) return;
    }
}

void frmMain::DeassignFromLocation(long id, const std::string& name) {
    const DateTime now = DateTime::Now();
    const auto many = [&](const GridAnimals& animals) {
        std::vector<long long> moving;
        for (const GridAnimal& animal : animals) moving.push_back(animal.id);
        return Movements::MoveMany(Database().GetConnection(), false, id, moving, now, "", "");
    };
    TellMissing(lstLocations, name,
                MoveSelected("Deassign", "Removing selected animals from location '" + name + "'...", 0, many,
                             [&](const GridAnimal& animal) {
                                 AssignToORRemoveFromLocation(false, static_cast<long>(animal.id), now, id, "", "");
                             }));
}
