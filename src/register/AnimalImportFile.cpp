#include "register/AnimalImportFile.h"

#include <QString>

#include "platform/Text.h"
#include "platform/TextFile.h"

namespace AnimalImportFile {
namespace {

// Longer than any eartag: a field this long is not a tag but a sign of the wrong file.
constexpr std::size_t kLongestTag = 50;

// A line's fields: split at the separator, taken as they stand, padded to fifteen.
Fields SplitFields(const std::string& line, const std::string& separator, bool& tooMany) {
    Fields fields;
    std::size_t field = 0, start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        if (field < kFields) fields[field] = line.substr(start, end == std::string::npos ? end : end - start);
        ++field;
        if (end == std::string::npos) break;
        start = end + separator.size();
    }
    tooMany = field > kFields;
    return fields;
}

// Why a line cannot be animal data, or "".
std::string LineProblem(const std::string& line, const Fields& fields, std::size_t number) {
    for (unsigned char c : line)
        if (c < 0x20 && c != '\t') return "Line " + std::to_string(number) + " holds characters that are not text.";
    for (std::size_t tag : {0, 5, 10})
        if (TextFile::CharCount(fields[tag]) > kLongestTag)
            return "Line " + std::to_string(number) + ": the tag \"" +
                   QString::fromStdString(fields[tag]).left(20).toStdString() + "...\" is longer than " +
                   std::to_string(kLongestTag) + " characters.";
    return "";
}

// A separator as the keeper knows it.
std::string Named(const std::string& separator) {
    if (separator == "\t") return "tabs";
    if (separator == ";") return "semicolons (;)";
    if (separator == ",") return "commas (,)";
    return "\"" + separator + "\"";
}

// The separator a line is split at instead of the program's, or "": the line's tag, its first
// field, splits into two fields or more at the other separator or at tabs, as in a file made
// for another computer or saved by a spreadsheet, whatever a later field holds. No tag holds
// these; a lone one at the end of a tag does not count.
std::string OtherSeparator(const std::string& line, const std::string& separator) {
    const std::string_view tag = std::string_view(line).substr(0, line.find(separator));
    for (const std::string other : {";", ",", "\t"}) {
        if (other == separator || tag.find(other) == std::string_view::npos) continue;
        int filled = 0;
        for (const std::string& field : Split(tag, other))
            if (!TrimBlanksAndTabs(field).empty()) ++filled;
        if (filled > 1) return other;
    }
    return "";
}

// The problem of the lines split at another separator: the first of them, how many more, and
// the separator the file ought to have.
std::string SeparatorProblem(std::size_t first, std::size_t count, std::size_t lines, const std::string& other,
                             const std::string& separator) {
    const std::string which = count == lines ? "Its fields are"
                                             : "Line " + std::to_string(first) +
                                                   (count > 1 ? " (and " + std::to_string(count - 1) + " more)" : "") +
                                                   ": the fields are";
    return which + " separated by " + Named(other) + ", but on this computer the fields of an animal file are " +
           "separated by " + Named(separator) + ".";
}

}  // namespace

Contents Read(const std::string& text, const std::string& separator) {
    Contents file;
    file.lines = TextFile::SplitLines(text);
    file.fields.resize(file.lines.size());
    std::string other;                                      // the separator of the first line split at another
    std::size_t lines = 0, otherFirst = 0, otherCount = 0;  // lines not empty, those split at another
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const std::string& line = file.lines[i];
        if (line.empty()) continue;
        file.empty = false;
        ++lines;
        if (std::string found = OtherSeparator(line, separator); !found.empty()) {
            if (otherCount++ == 0) {
                other = found;
                otherFirst = i + 1;
            }
            continue;
        }
        bool tooMany = false;
        file.fields[i] = SplitFields(line, separator, tooMany);
        if (tooMany)
            file.extra.push_back("Line " + std::to_string(i + 1) + ": the fields after the fifteenth were left out.");
        if (std::string problem = LineProblem(line, file.fields[i], i + 1); !problem.empty())
            file.problems.push_back(problem);
        file.dams = file.dams || !file.fields[i][5].empty();
        file.sires = file.sires || !file.fields[i][10].empty();
    }
    if (otherCount > 0)
        file.problems.insert(file.problems.begin(), SeparatorProblem(otherFirst, otherCount, lines, other, separator));
    return file;
}

}  // namespace AnimalImportFile
