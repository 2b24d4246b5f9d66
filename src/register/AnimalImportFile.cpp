#include "register/AnimalImportFile.h"

#include <QString>

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

}  // namespace

Contents Read(const std::string& text, const std::string& separator) {
    Contents file;
    file.lines = TextFile::SplitLines(text);
    file.fields.resize(file.lines.size());
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const std::string& line = file.lines[i];
        if (line.empty()) continue;
        file.empty = false;
        bool tooMany = false;
        file.fields[i] = SplitFields(line, separator, tooMany);
        if (tooMany)
            file.extra.push_back("Line " + std::to_string(i + 1) + ": the fields after the fifteenth were left out.");
        if (std::string problem = LineProblem(line, file.fields[i], i + 1); !problem.empty())
            file.problems.push_back(problem);
        file.dams = file.dams || !file.fields[i][5].empty();
        file.sires = file.sires || !file.fields[i][10].empty();
    }
    return file;
}

}  // namespace AnimalImportFile
