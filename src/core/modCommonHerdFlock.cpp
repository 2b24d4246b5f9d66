#include "core/modCommonHerdFlock.h"

#include <string>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Prompts.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace modCommon {
namespace {

constexpr int kChangeHolding = 3;
constexpr int kHoldingLocationID = 3;

// One of the numbers: its settings item, its texts and its form ("#" = one digit, "[01]" =
// 0 or 1), matched against the whole value.
struct NumberItem {
    const char* itemName;
    const char* title;
    const char* promptMissing;
    const char* promptNew;
    const char* errorTitle;
    const char* errorText;
    const char* patterns[2];
};

const NumberItem kHerd = {"HerdNumber",
                          "Herd Number",
                          "Before you can use this program for cattle you must provide your herd number.\r\n"
                          "Please enter it now.",
                          "Please enter your new herd number.",
                          "Herd Number Error",
                          "Your herd number must be 'UK' followed by 6 digits - please try again.",
                          {"UK######", nullptr}};

const NumberItem kFlock = {"FlockNumber",
                           "Flock Number",
                           "Before you can use this program for sheep you must provide your flock number.\r\n"
                           "Please enter it now.",
                           "Please enter your new flock number.",
                           "Flock Number Error",
                           "Your flock number must be 'UK0' or 'UK1' followed by 6 more digits - please try again.",
                           {"UK[01]######", nullptr}};

const NumberItem kHolding = {"HoldingNumber",
                             "Holding Number",
                             "Before you can use this program you must provide your holding number.\r\n"
                             "Please enter it now.",
                             "Please enter your new holding number.",
                             "Holding Number Error",
                             "Your holding number number must be like '12/345/6789' (optionally followed by a "
                             "sublocation like '-01') - please try again.",
                             {"##/###/####-##", "##/###/####"}};

bool MatchesPattern(const std::string& value, const std::string& pattern) {
    std::size_t v = 0;
    for (std::size_t p = 0; p < pattern.size(); ++p, ++v) {
        if (v >= value.size()) return false;
        const char c = value[v];
        if (pattern[p] == '#') {
            if (c < '0' || c > '9') return false;
        } else if (pattern[p] == '[') {
            const std::size_t close = pattern.find(']', p);
            if (pattern.find(c, p + 1) >= close) return false;
            p = close;
        } else if (pattern[p] != c) {
            return false;
        }
    }
    return v == value.size();
}

bool Accepted(const NumberItem& item, const std::string& value) {
    for (const char* pattern : item.patterns)
        if (pattern && MatchesPattern(value, pattern)) return true;
    return false;
}

// Whether the item is stored. A query that fails (the gateway has reported it) stops the
// procedure rather than being taken for "nothing stored".
bool IsStored(const NumberItem& item) { return FindKelvoData(item.itemName).has_value(); }

// Asks until the keeper gives a number of the right form. False when the keeper gives none:
// with a number stored that ends the procedure; without one the keeper may leave the program.
bool AskForNumber(const NumberItem& item, bool stored, std::string& value) {
    for (;;) {
        value = UpperAscii(Prompts::InputBox(stored ? item.promptNew : item.promptMissing, item.title, ""));
        if (Accepted(item, value)) return true;
        if (!value.empty()) {
            Prompts::MsgBox(item.errorText, Prompts::OKOnly, item.errorTitle);
            continue;
        }
        if (stored || ConfirmExit()) return false;
    }
}

// The old number goes only together with the new one, and a holding number only together
// with its location's description: one transaction of statements that raise, rolled back
// when one fails (the procedure then reports it).
void StoreNumber(const NumberItem& item, const std::string& value, bool stored) {
    Connection& db = Database().GetConnection();
    Connection::Transaction transaction(db);
    if (stored) DeleteKelvoData(db, item.itemName);
    AddKelvoData(db, item.itemName, value);
    if (&item == &kHolding)
        db.Execute("UPDATE Locations SET LocationDescription='" + SQLQuotes(value) +
                   "' WHERE LocationID=" + std::to_string(kHoldingLocationID));
    transaction.Commit();
}

// Asks for and stores one number; false when the whole procedure is to end.
bool SetUpNumber(const NumberItem& item, bool stored) {
    std::string value;
    if (!AskForNumber(item, stored, value)) return false;
    StoreNumber(item, value, stored);
    return true;
}

}  // namespace

void HerdFlockHoldingSetup(int mode) {
    Trap("HerdFlockHoldingSetup", "modCommon", [&] {
        if (HerdFlockRequired && (Species == Cattle || Species == Sheep)) {
            const NumberItem& item = Species == Cattle ? kHerd : kFlock;
            const int modeNamingItem = Species;  // 1 changes the herd number, 2 the flock number
            const bool stored = IsStored(item);
            if (!stored || mode == modeNamingItem)
                if (!SetUpNumber(item, stored)) return;
        }
        if (HoldingNumberRequired) {
            const bool stored = IsStored(kHolding);
            if (stored && mode != kChangeHolding) return;
            SetUpNumber(kHolding, stored);
        }
    });
}

}  // namespace modCommon
