#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Delimited text files, read and written the way the program's lists and exports need:
// every value is text exactly as written (no number conversion, so "0045" stays "0045"), one
// record per line, the caller deciding header and quoting.
//
// Reading a line: a field that starts with a double quote runs to the next lone quote, with
// "" inside read as one quote; what follows the closing quote up to the separator is kept as
// written; a quote that is never closed runs to the end of the line. A field that does not
// start with a quote is taken as it stands, quotes and blanks included.
class CsvReader {
public:
    // `text` is the whole file as text (see TextFile). With `header` the first line names the
    // columns. Lines holding nothing at all are skipped.
    explicit CsvReader(std::string_view text, char separator = ',', bool header = true);
    // The file read by TextFile's rule; RuntimeError when it cannot be read.
    static CsvReader FromFile(const std::string& path, char separator = ',', bool header = true);

    const std::vector<std::string>& Header() const { return header_; }
    // The column of a header name, compared without case (the first of equal names); -1 when
    // the header has no such name.
    int Column(std::string_view name) const;

    std::size_t RowCount() const { return rows_.size(); }
    // The fields of a row as the line held them (a short line has fewer, a long one more).
    const std::vector<std::string>& Row(std::size_t row) const { return rows_[row].fields; }
    // A field of a row; "" past the end of a short line.
    const std::string& Value(std::size_t row, int column) const;
    // A field by header name; RuntimeError (item not found) when the header lacks the name.
    const std::string& Value(std::size_t row, std::string_view name) const;
    // The row's line in the file, counting from 1 (header and skipped lines included).
    int LineNumber(std::size_t row) const { return rows_[row].line; }

    // The fields of one line by the rules above.
    static std::vector<std::string> SplitLine(std::string_view line, char separator = ',');

private:
    struct Record {
        std::vector<std::string> fields;
        int line;
    };
    std::vector<std::string> header_;
    std::unordered_map<std::string, int> columns_;  // lower-case name -> column
    std::vector<Record> rows_;
};

namespace Csv {

// A value in double quotes, its own quotes doubled.
std::string Quote(std::string_view value);
// One record without its line end: the values joined by the separator, each in quotes when
// `quoted` (header lines of the exports are not), as they stand otherwise.
std::string FormatLine(const std::vector<std::string>& values, bool quoted, char separator = ',');

}  // namespace Csv
