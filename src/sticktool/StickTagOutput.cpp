#include "sticktool/StickTagOutput.h"

#include <optional>

#include "core/modCommon.h"
#include "devices/modHandheld.h"
#include "platform/Recordset.h"
#include "platform/Text.h"
#include "sticktool/StickTagTable.h"

namespace StickTagOutput {

namespace {

const std::string kSeparator = ",  ";

using modCommon::Translate;

std::string Cell(const Recordset& table, long row, int field) { return table.At(row, field).ToStringOr(""); }

std::string GroupTotal(const std::string& group, long count) {
    return Translate("Total for group") + " " + group + ": " + std::to_string(count) + CRLF;
}

// Emits text into the window open now, or before any window.
class Emitter {
public:
    explicit Emitter(Text& text) : text_(text) {}
    void Emit(const std::string& piece) {
        (text_.windows.empty() ? text_.beforeWindows : text_.windows.back().text) += piece;
    }
    void OpenWindow(const std::string& group) { text_.windows.push_back({group, {}}); }

private:
    Text& text_;
};

}  // namespace

std::string Text::All() const {
    std::string all = beforeWindows;
    for (const Window& window : windows) all += window.text;
    return all;
}

Text Lines(const Recordset& table, const Options& options) {
    using namespace StickTagTable;
    Text text;
    Emitter out(text);
    // None before the first row: a read without a group character starts its window too.
    std::optional<std::string> current;
    long count = 0, total = 0;
    for (long row = 0; row < table.Rows(); ++row) {
        const std::string group = Cell(table, row, StickGroup);
        if (group != current) {
            if (!current || options.separateGroups) {
                if (current && options.groupLabels) out.Emit(GroupTotal(*current, count));
                out.OpenWindow(group);
            } else if (options.groupLabels) {
                out.Emit(GroupTotal(*current, count) + CRLF);
            }
            total += count;
            current = group;
            count = 0;
        }
        std::string line = Cell(table, row, HerdAndTag);
        if (options.groupLabels) line += kSeparator + group;
        if (options.timeScanned) line += kSeparator + Cell(table, row, StickTime);
        if (const std::string marker = Cell(table, row, RPAMarker); !marker.empty()) line += kSeparator + marker;
        out.Emit(line + CRLF);
        ++count;
    }
    if (options.groupLabels) out.Emit(GroupTotal(current.value_or(""), count) + CRLF);
    if (!options.separateGroups) {
        total += count;
        if (options.groupLabels) out.Emit(Translate("Total") + ": " + std::to_string(total) + CRLF);
    }
    return text;
}

Spreadsheet Workbook(const Recordset& table, const Options& options, bool sheetPerGroup) {
    using namespace StickTagTable;
    const bool header = options.groupLabels || options.timeScanned || options.separateGroups;
    const auto headings = modHandheld::SplitText(Translate("Tag or EID,Group,Date/Time"), ',');
    // The columns kept, with the field and the heading of each.
    std::vector<std::pair<int, std::size_t>> columns{{HerdAndTag, 0}};
    if (options.groupLabels) columns.push_back({StickGroup, 1});
    if (options.timeScanned) columns.push_back({StickTime, 2});

    Spreadsheet book;
    int sheet = -1, line = 0;
    std::string current;
    for (long row = 0; row < table.Rows(); ++row) {
        const std::string group = Cell(table, row, StickGroup);
        if (sheet < 0 || (group != current && sheetPerGroup)) {
            std::string name = Translate("Imported Data");
            if (sheetPerGroup) name += " (" + Translate("Group") + " " + group + ")";
            sheet = book.AddSheet(name);
            line = header ? 1 : 0;
            book.SetTextColumn(sheet, 0);
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (columns[c].first == StickGroup) book.SetCentredColumn(sheet, static_cast<int>(c));
                if (header && columns[c].second < headings.size())
                    book.SetCell(sheet, 0, static_cast<int>(c), headings[columns[c].second],
                                 Spreadsheet::Style::Heading);
            }
        }
        current = group;
        for (std::size_t c = 0; c < columns.size(); ++c)
            book.SetCell(sheet, line, static_cast<int>(c), Cell(table, row, columns[c].first));
        ++line;
    }
    return book;
}

}  // namespace StickTagOutput
