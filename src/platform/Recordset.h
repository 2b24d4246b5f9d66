#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Value.h"

struct sqlite3;
class Connection;

// A client-side recordset: every row is read when it opens, then walked with a cursor.
// Clones share the rows (and so the bookmarks) but keep their own cursor, sort and filter.
// A recordset opened from a query writes AddNew/Update/Delete back to the base table of
// its columns by that table's integer key, and reads a new autonumber key back. A
// recordset built with AppendField and Open lives in memory only.
class Recordset {
public:
    using Bookmark = long;  // a row's index in the shared rows; stable across sort and filter

    Recordset();

    // In-memory recordsets: append the columns, then open.
    void AppendField(const std::string& name);
    void Open();
    void Close();
    bool IsOpen() const;

    int FieldCount() const;
    const std::string& FieldName(int index) const;
    int FieldIndex(const std::string& name) const;  // -1 when there is none (no case)

    // The current row's field. Raises 3021 when there is no current row, 3265 for an
    // unknown field name.
    const Value& Field(const std::string& name) const;
    const Value& Field(int index) const;
    const Value& operator[](const std::string& name) const { return Field(name); }
    // Changes the current row's field; written to the database by Update.
    void SetField(const std::string& name, const Value& value);
    void SetField(int index, const Value& value);

    // Raise 3704 on a recordset that is not open, as every look at its rows does.
    bool Eof() const;
    bool Bof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    long RecordCount() const;         // rows visible through the current filter
    long AbsolutePosition() const;    // 1-based; 0 at BOF or EOF

    Bookmark GetBookmark() const;
    void SetBookmark(Bookmark bookmark);  // raises 3021 when the row is not visible

    Recordset Clone() const;

    void AddNew();
    void Update();
    void CancelUpdate();
    void Delete();

    // Orders the rows: "Field [ASC|DESC], Field2 ..." (empty text = the order read).
    void Sort(const std::string& spec);
    // Shows only the rows the predicate accepts (an empty function shows every row).
    void Filter(std::function<bool(const Recordset&)> predicate);
    // Moves forward from the current row (inclusive) to the first row that matches;
    // at EOF when none does.
    bool Find(const std::function<bool(const Recordset&)>& predicate);
    // The same with a criterion text: a field, an operator (=, <>, <, >, <=, >=, LIKE) and a
    // number or a quoted text ('O''Neill'); text compares without case, LIKE takes * and %.
    bool Find(const std::string& criterion);

    // Runs the query again and shows its current rows (sort and filter kept).
    void Requery();
    // The rows from the current one to the end as one text: fields joined by
    // `columnDelimiter`, each row followed by `rowDelimiter`, nulls as `nullText`. Leaves
    // the cursor at EOF.
    std::string GetString(const std::string& columnDelimiter = "\t",
                          const std::string& rowDelimiter = "\r", const std::string& nullText = "");

private:
    friend class Connection;
    struct Column {
        std::string name;
        std::string baseTable;
        std::string baseColumn;
        bool isKey = false;
    };
    struct Row {
        std::vector<Value> values;
        bool deleted = false;
    };
    struct Table {
        std::vector<Column> columns;
        std::vector<Row> rows;
        std::weak_ptr<Connection*> connection;  // expires when the connection closes
        bool fromQuery = false;
        std::string sql;
        bool open = false;
    };
    std::shared_ptr<Table> table_;
    std::vector<std::size_t> view_;  // visible rows in order
    long pos_ = 0;                    // index into view_; view_.size() = EOF, -1 = BOF
    bool editing_ = false;
    bool adding_ = false;
    std::vector<bool> dirty_;
    std::function<bool(const Recordset&)> filter_;
    std::string sort_;

    void Rebuild();
    Row& CurrentRow();
    const Row& CurrentRow() const;
    void RequireOpen() const;
    Connection* Source() const;  // the connection the rows came from, or nullptr
    int RequireField(const std::string& name) const;
};
