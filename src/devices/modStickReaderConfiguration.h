#pragma once
#include <string>
#include <vector>

// The stick reader's configuration items as the program knows them for each firmware version:
// what every item position is called, how its value is shown and edited, which stored values
// are valid and what stands in for an invalid one.
//
// A definition is one text of 12 fields separated by ";" (fields may be empty):
//   0 id        the item's number; the editor lays its rows out in ascending id order
//   1 name      English label (translated when shown) and the name used in messages
//   2 unit      unit of the shown value ("seconds", "minutes") or empty
//   3 min       smallest shown value the editor accepts; empty = no numeric check
//   4 max       largest shown value, shown as the range (the pattern enforces it)
//   5 scale     stored value = shown value x scale; empty = shown as stored
//   6 locked    "True": shown but not editable (outside the engineering edition)
//   7 visible   "True": the editor shows the item (the engineering edition shows all)
//   8 user item "True": written back in every edition without the access code; other items
//               only by the engineering edition
//   9 type      "T" free text, or "L,label=value,..." a choice list in display order
//  10 pattern   regular expression the stored value must match, case ignored
//  11 default   stored value that stands in for a value failing the pattern
//
// The stick names each item by its position in StickConfigStrings, both in its "c" reply and
// in a "w" write. Positions never move between firmware versions: a later version replaces
// definitions in place or appends new ones.
namespace modStickReader {

// One definition per position, for the firmware version of the last stick read (by whichever
// window read it). Empty until InitialiseStickConfigurationStrings first runs.
extern std::vector<std::string> StickConfigStrings;

// Builds StickConfigStrings for a firmware version. Versions above 11 get the table of 11,
// except in the partner's mode, whose own items begin at 12. The tag look-up choice of the
// two EID format items follows TagLookupEnabled at the time of the call.
void InitialiseStickConfigurationStrings(long firmwareVersion);

struct StickConfigItemResult {
    bool Valid = false;
    std::string Value;  // the value checked when valid, else the item's default
};
// Checks a stored value against the pattern at a position: the whole value must match, case
// ignored. A position outside the table is logged and gives {false, ""}.
StickConfigItemResult ValidateStickConfigItem(const std::string& value, long position);

// Whether the tag look-up output format and the tag-file functions are offered: a Spanish
// locale, English of the US, UK, Australia or New Zealand, or the partner's mode.
bool TagLookupEnabled();

// ---- One definition read field by field -----------------------------------------------------

struct StickConfigChoice {
    std::string label;  // English, translated when shown
    long value = 0;     // the value stored on the stick
};

struct StickConfigDefinition {
    long id = 0;
    std::string name, unit;
    std::string min, max, scale;  // as written: empty when the item has none
    bool locked = false, visible = false, userItem = false;
    std::string type;                        // "T" or the whole "L,..." text
    std::vector<StickConfigChoice> choices;  // the list's entries in display order
    std::string pattern, defaultValue;

    bool IsList() const { return !type.empty() && type[0] == 'L'; }
};

// The definition at a position of StickConfigStrings; raises RuntimeError 9 (subscript out
// of range) for a position outside the table.
StickConfigDefinition StickConfigDefinitionAt(long position);

// The stored value of an entry "position|value" of the stick's "c" reply; "" when it has none.
std::string ConfigEntryValue(const std::string& entry);
// The same for the entry at a place of the reply's entries; "" when there is none.
std::string ConfigEntryValue(const std::vector<std::string>& entries, std::size_t place);
// The firmware version that the reply's first entry holds, a whole number (0 when there is none).
long FirmwareVersionOf(const std::vector<std::string>& entries);
// An item's value as the stick's firmware (set up beforehand) takes it: the stick's when it
// passes the item's check, else the item's default.
std::string ConfiguredValue(const std::vector<std::string>& entries, long item);

// Whether a write of the item at a position carries the access code: every item that is not a
// user item, except External Display Bluetooth ID (22), Mark Characters (26) and Tag unique
// check (27), which the stick takes without it. Raises like StickConfigDefinitionAt.
bool StickAccessCodeRequired(long position);

}  // namespace modStickReader
