#include "platform/Spreadsheet.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"
#include "platform/TextFile.h"

namespace {

constexpr int kMaxSheetName = 31;
constexpr int kMaxRows = 1048576, kMaxColumns = 16384, kMaxCellText = 32767;

std::size_t Characters(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The first `count` characters of UTF-8 text.
std::string Truncate(const std::string& text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < count && pos < text.size(); ++n) TextFile::NextUtf8(text, pos);
    return text.substr(0, pos);
}

std::string Replaced(const std::string& text, const char* refused) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t at = pos;
        char32_t c = TextFile::NextUtf8(text, pos);
        bool bad = c < 0x20 || (c < 0x80 && std::strchr(refused, static_cast<int>(c)));
        out += bad ? std::string("_") : text.substr(at, pos - at);
    }
    return out;
}

std::string StripApostrophes(std::string name) {
    while (!name.empty() && name.front() == '\'') name.erase(0, 1);
    while (!name.empty() && name.back() == '\'') name.pop_back();
    return name;
}

bool SameName(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

[[noreturn]] void Fail(const std::string& path, const std::string& why) {
    throw RuntimeError(ErrorNumber::PathNotFound, "Cannot write the spreadsheet " + path + ": " + why);
}

void Check(lxw_error error, const std::string& path) {
    if (error != LXW_NO_ERROR) Fail(path, lxw_strerror(error));
}

// The workbook's cell formats, made as they are first needed.
class Formats {
public:
    explicit Formats(lxw_workbook* workbook) : workbook_(workbook) {}
    lxw_format* Get(bool heading, bool text, bool centred) {
        if (!heading && !text && !centred) return nullptr;
        lxw_format*& f = made_[heading * 4 + text * 2 + centred];
        if (f) return f;
        f = workbook_add_format(workbook_);
        if (text) format_set_num_format_index(f, 49);  // the built-in text format, "@"
        if (centred || heading) format_set_align(f, LXW_ALIGN_CENTER);
        if (heading) {
            format_set_bold(f);
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, 0xC0C0C0);
        }
        return f;
    }

private:
    lxw_workbook* workbook_;
    std::map<int, lxw_format*> made_;
};

bool Has(const std::vector<int>& columns, int column) {
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

// Moves the finished file to its name, refusing to replace a file that appeared meanwhile.
void MoveIntoPlace(const std::string& temp, const std::string& path) {
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return;
    if (errno == EINVAL || errno == ENOSYS) {  // a file system without the no-replace rename
        if (::link(temp.c_str(), path.c_str()) == 0) {
            ::unlink(temp.c_str());
            return;
        }
    }
    int error = errno;
    ::unlink(temp.c_str());
    Fail(path, std::strerror(error));
}

}  // namespace

int Spreadsheet::AddSheet(const std::string& name) {
    std::vector<std::string> taken;
    for (const Sheet& s : sheets_) taken.push_back(s.name);
    sheets_.push_back({SheetName(name, taken), {}, {}, {}});
    return SheetCount() - 1;
}

const std::string& Spreadsheet::Name(int sheet) const { return At(sheet).name; }

const Spreadsheet::Sheet& Spreadsheet::At(int sheet) const {
    if (sheet < 0 || sheet >= SheetCount())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range");
    return sheets_[sheet];
}

Spreadsheet::Sheet& Spreadsheet::At(int sheet) { return const_cast<Sheet&>(std::as_const(*this).At(sheet)); }

void Spreadsheet::SetCell(int sheet, int row, int column, const std::string& text, Style style) {
    Sheet& s = At(sheet);
    if (row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns)
        throw RuntimeError(ErrorNumber::InvalidCall, "A spreadsheet has no cell at row " + std::to_string(row + 1) +
                                                         ", column " + std::to_string(column + 1) + ".");
    if (Characters(text) > kMaxCellText)
        throw RuntimeError(ErrorNumber::InvalidCall, "A spreadsheet cell holds at most 32767 characters.");
    s.cells.push_back({row, column, text, style});
}

void Spreadsheet::SetTextColumn(int sheet, int column) { At(sheet).textColumns.push_back(column); }

void Spreadsheet::SetCentredColumn(int sheet, int column) { At(sheet).centredColumns.push_back(column); }

void Spreadsheet::Save(const std::string& path) const {
    if (FileSystem::Exists(path)) Fail(path, "a file of that name exists already");
    std::string temp = TextFile::NewFileBeside(path);
    lxw_workbook* workbook = workbook_new(temp.c_str());
    if (!workbook) {
        ::unlink(temp.c_str());
        Fail(path, "the workbook could not be made");
    }
    try {
        Formats formats(workbook);
        for (const Sheet& sheet : sheets_) {
            lxw_worksheet* ws = workbook_add_worksheet(workbook, sheet.name.c_str());
            if (!ws) Fail(path, "the sheet name \"" + sheet.name + "\" is refused");
            std::map<int, std::size_t> widths;
            for (int c : sheet.textColumns) widths[c];
            for (int c : sheet.centredColumns) widths[c];
            for (const Cell& cell : sheet.cells) {
                lxw_format* f = formats.Get(cell.style == Style::Heading, Has(sheet.textColumns, cell.column),
                                            Has(sheet.centredColumns, cell.column));
                Check(worksheet_write_string(ws, cell.row, static_cast<lxw_col_t>(cell.column), cell.text.c_str(), f),
                      path);
                widths[cell.column] = std::max(widths[cell.column], Characters(cell.text));
            }
            for (auto [column, longest] : widths) {
                double width = longest ? static_cast<double>(longest) + 1 : LXW_DEF_COL_WIDTH;
                auto c = static_cast<lxw_col_t>(column);
                Check(worksheet_set_column(
                          ws, c, c, width,
                          formats.Get(false, Has(sheet.textColumns, column), Has(sheet.centredColumns, column))),
                      path);
            }
        }
    } catch (...) {
        workbook_close(workbook);
        ::unlink(temp.c_str());
        throw;
    }
    lxw_error closed = workbook_close(workbook);
    if (closed != LXW_NO_ERROR) {
        ::unlink(temp.c_str());
        Check(closed, path);
    }
    MoveIntoPlace(temp, path);
}

std::string Spreadsheet::SheetName(const std::string& wanted, const std::vector<std::string>& taken) {
    std::string base = StripApostrophes(Truncate(StripApostrophes(Replaced(wanted, "[]:*?/\\")), kMaxSheetName));
    if (base.empty()) base = "Sheet";
    auto used = [&](const std::string& name) {
        // "History" is a sheet the spreadsheet application keeps for itself.
        return SameName(name, "History") ||
               std::any_of(taken.begin(), taken.end(), [&](const std::string& t) { return SameName(t, name); });
    };
    std::string name = base;
    for (int n = 2; used(name); ++n) {
        std::string suffix = " (" + std::to_string(n) + ")";
        name = Truncate(base, kMaxSheetName - suffix.size()) + suffix;
    }
    return name;
}

std::string Spreadsheet::NewFilePath(const std::string& folder, const std::string& caption,
                                     const std::string& extension) {
    std::string base = Replaced(caption, "/\\:*?\"<>|");
    // Room for the number and the extension within a file name's 255 bytes.
    while (base.size() > 200) base = Truncate(base, Characters(base) - 1);
    if (base.empty()) base = "_";
    std::string path = FileSystem::Join(folder, base + extension);
    for (int n = 2; FileSystem::Exists(path); ++n)
        path = FileSystem::Join(folder, base + " (" + std::to_string(n) + ")" + extension);
    return path;
}
