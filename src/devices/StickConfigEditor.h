#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "devices/modStickReader.h"
#include "devices/modStickReaderConfiguration.h"

// The stick's configuration as the editor holds it, apart from the controls that show it: one
// row per entry of the stick's "c" reply, in the stick's order, with what the row shows,
// whether it is on show and whether the keeper may change it; the rules that keep two lists the
// stick cannot run together right; the check of what the keeper typed; and the values written
// back to the stick.
class StickConfigEditor {
public:
    // One row: its kind ('T' text box, 'L' list), its control's index among the window's text
    // boxes or lists (0 is the template) and the item's position on the stick.
    struct ConfigRow {
        char kind;
        int index;
        long position;
    };
    // What the window shows of a row when the rows are built.
    struct RowDisplay {
        ConfigRow row;
        long id;  // rows on show are laid out by it
        bool shown;
        std::string caption;                                     // of a row on show
        std::string text;                                        // of a text row
        std::vector<modStickReader::StickConfigChoice> choices;  // of a list, labels translated
        int selected;  // the list's entry storing the stick's value, -1 when none does
        bool locked;   // a text the keeper cannot edit, a list he cannot change
        bool valid;    // the stick's value passed its pattern; else the item's default is shown
    };
    enum class BuildEnd { Built, LaterVersion, NoMemory };
    // A pair of list choices the stick cannot run together. A rule with a message puts the list
    // just changed back to its earlier choice; one without chooses the other list's second entry.
    struct ClickRule {
        long tag, chosen, otherTag, otherValue;
        const char* message;
    };
    // What the keeper has in a row's control: a text box's text, or the value of a list's
    // choice ("0" when nothing is chosen).
    using Entry = std::function<std::string(const ConfigRow& row)>;

    // Builds the rows from the entries of the stick's "c" reply and its "n" answer (shown in the
    // firmware row), after the stick's firmware has chosen the table of items. Raises
    // RuntimeError for an entry whose position is no place in the table.
    BuildEnd Build(const std::vector<std::string>& entries, const std::string& identity, std::vector<RowDisplay>& rows);
    void Clear();
    const std::vector<ConfigRow>& ConfigRows() const { return rows_; }

    // The rule a list's new choice at a position meets, given what the other lists hold
    // (nothing when there is no list at a position or it has no choice); none when it meets none.
    static const ClickRule* ClickRuleFor(long position, std::optional<long> chosen,
                                         const std::function<std::optional<long>(long position)>& chosenAt);

    // Whether a text row's text is what its item takes, in the form it is written.
    bool TextValid(const ConfigRow& row, const std::string& text) const;
    // Writes every item the edition writes, then has the stick load them. False, with the
    // message saying why, at the first the stick does not confirm.
    bool Write(modStickReader::StickExchange& exchange, const Entry& entry, std::string& message) const;

private:
    struct BuildState;
    std::vector<ConfigRow> rows_;      // the rows in the order they were built
    std::string FirmwareVersionValue;  // position 0 as read, written back unchanged

    RowDisplay BuildRow(BuildState& build, size_t k);
    static bool ShownAt(long position, const BuildState& build);
    std::string RowText(const ConfigRow& row, const std::string& text) const;
    std::string RowValue(const ConfigRow& row, const modStickReader::StickConfigDefinition& definition,
                         const std::string& entry) const;
};
