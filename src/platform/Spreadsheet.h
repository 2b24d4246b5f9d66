#pragma once
#include <string>
#include <vector>

// A spreadsheet workbook written as an .xlsx file, for output the keeper opens in the
// desktop's spreadsheet application (Desktop::OpenFile). Every cell is a string, so numbers
// such as 16-digit EIDs keep every digit. Cells are gathered in memory and the file is
// written at Save, with each column as wide as its longest text.
class Spreadsheet {
public:
    enum class Style {
        Plain,
        Heading,  // bold, centred, on light grey: a sheet's header row
    };

    // Adds a sheet after the last; its name is made safe and unique by SheetName. Returns
    // the sheet's number, counting from 0.
    int AddSheet(const std::string& name);
    int SheetCount() const { return static_cast<int>(sheets_.size()); }
    // The name the sheet was given.
    const std::string& Name(int sheet) const;

    // Sets a cell (row and column count from 0). RuntimeError for a sheet that does not
    // exist, a cell outside the sheet's limits or a text longer than a cell holds.
    void SetCell(int sheet, int row, int column, const std::string& text, Style style = Style::Plain);
    // Marks a column as text, so a value typed into it later stays text as well.
    void SetTextColumn(int sheet, int column);
    void SetCentredColumn(int sheet, int column);

    // Writes the workbook to a new file at `path`; an existing file there is never
    // replaced. RuntimeError when the file cannot be written or already exists: no partial
    // file is left behind then.
    void Save(const std::string& path) const;

    // A sheet name the format accepts, close to `wanted`: the characters []:*?/\ become "_",
    // apostrophes at either end go, an empty name becomes "Sheet", at most 31 characters, and
    // " (2)", " (3)" ... are added when one of `taken` has the name already (compared
    // without case, as spreadsheets do).
    static std::string SheetName(const std::string& wanted, const std::vector<std::string>& taken);
    // A path in `folder` for a new file named after `caption`, with the extension (".xlsx")
    // added: characters that file systems refuse (/\:*?"<>| and controls) become "_", and
    // " (2)", " (3)" ... are added until no file of that name exists.
    static std::string NewFilePath(const std::string& folder, const std::string& caption,
                                   const std::string& extension = ".xlsx");

private:
    struct Cell {
        int row, column;
        std::string text;
        Style style;
    };
    struct Sheet {
        std::string name;
        std::vector<Cell> cells;
        std::vector<int> textColumns, centredColumns;
    };
    const Sheet& At(int sheet) const;
    Sheet& At(int sheet);
    std::vector<Sheet> sheets_;
};
