#pragma once
#include <string>
#include <vector>

#include "platform/Spreadsheet.h"

class Recordset;

// The ways a stick read leaves the program: lines of text (in text windows or on the
// clipboard) and a spreadsheet. Both are made from the read's table (StickTagTable) as it
// stands, in its order.
namespace StickTagOutput {

struct Options {
    bool groupLabels = false;     // the group after each tag, and the totals
    bool timeScanned = false;     // the read's time after each tag
    bool separateGroups = false;  // a window (or a sheet) per group
};

// The text lines of a read, cut where a new window starts: the first group starts one, and
// with separate groups so does every change of group. Text emitted while no window is open
// (the totals of an empty read) stands before the first.
struct Text {
    struct Window {
        std::string group;
        std::string text;
    };
    std::string beforeWindows;
    std::vector<Window> windows;

    // Every piece in order, as the clipboard takes it.
    std::string All() const;
};
Text Lines(const Recordset& table, const Options& options);

// The read as a workbook: the tag, then the group and the time when asked for, under a header
// row when any option is ticked; a sheet per group (in the order met) when `sheetPerGroup`.
// The tag column is a text column.
Spreadsheet Workbook(const Recordset& table, const Options& options, bool sheetPerGroup);

}  // namespace StickTagOutput
