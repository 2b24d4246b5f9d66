#include "platform/Csv.h"

#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// One field from `pos`, leaving `pos` on the separator after it (or the line's end).
std::string ReadField(std::string_view line, std::size_t& pos, char separator) {
    std::string field;
    if (pos < line.size() && line[pos] == '"') {
        for (++pos; pos < line.size(); ++pos) {
            if (line[pos] != '"') {
                field += line[pos];
            } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
                field += '"';
                ++pos;
            } else {
                ++pos;
                break;
            }
        }
    }
    std::size_t end = line.find(separator, pos);
    if (end == std::string_view::npos) end = line.size();
    field.append(line.substr(pos, end - pos));
    pos = end;
    return field;
}

}  // namespace

CsvReader::CsvReader(std::string_view text, char separator, bool header) {
    std::vector<std::string> lines = TextFile::SplitLines(text);
    rows_.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) continue;
        std::vector<std::string> fields = SplitLine(lines[i], separator);
        if (header) {
            header_ = std::move(fields);
            for (std::size_t c = 0; c < header_.size(); ++c) columns_.emplace(Lower(header_[c]), static_cast<int>(c));
            header = false;
        } else {
            rows_.push_back({std::move(fields), static_cast<int>(i + 1)});
        }
    }
}

CsvReader CsvReader::FromFile(const std::string& path, char separator, bool header) {
    return CsvReader(TextFile::Read(path), separator, header);
}

int CsvReader::Column(std::string_view name) const {
    auto it = columns_.find(Lower(name));
    return it == columns_.end() ? -1 : it->second;
}

const std::string& CsvReader::Value(std::size_t row, int column) const {
    static const std::string empty;
    const auto& fields = rows_[row].fields;
    return column >= 0 && static_cast<std::size_t>(column) < fields.size() ? fields[column] : empty;
}

const std::string& CsvReader::Value(std::size_t row, std::string_view name) const {
    int column = Column(name);
    if (column < 0)
        throw RuntimeError(ErrorNumber::ItemNotFound,
                           "Item cannot be found in the collection corresponding to the requested name or ordinal.");
    return Value(row, column);
}

std::vector<std::string> CsvReader::SplitLine(std::string_view line, char separator) {
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while (true) {
        fields.push_back(ReadField(line, pos, separator));
        if (pos >= line.size()) break;
        ++pos;  // the separator
    }
    return fields;
}

namespace Csv {

std::string Quote(std::string_view value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

std::string FormatLine(const std::vector<std::string>& values, bool quoted, char separator) {
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) line += separator;
        line += quoted ? Quote(values[i]) : values[i];
    }
    return line;
}

}  // namespace Csv
