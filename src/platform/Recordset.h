#pragma once
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Value.h"

struct sqlite3;
class Connection;

// A client-side recordset: every row is read when it opens, then walked with a cursor or
// reached directly by its place in the view (what a grid does).
// Clones share the rows (and so the bookmarks) but keep their own cursor, sort and filter.
// A recordset opened from a query writes AddNew/Update/Delete back to the base table of
// its columns by that table's integer key, and reads a new autonumber key back. A
// recordset built with AppendField and Open lives in memory only.
//
// The view is the visible rows in their order: row 0 .. Rows()-1. A bookmark names a row
// whatever the sort and filter; RowOf turns it back into a place in the view in constant time
// (a reverse index rebuilt with the view), so a grid can keep a selection by bookmarks.
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
    // -1 when there is none. Looked up without case in an index made with the columns.
    int FieldIndex(const std::string& name) const;

    // ---- Direct access by place, for grids: none of these moves the cursor ----------------
    // The number of rows in the view (0 for a recordset that is not open).
    long Rows() const;
    // The field `column` of the view's row `row`; raises 9 when either is out of range.
    const Value& At(long row, int column) const;
    Bookmark BookmarkAt(long row) const;
    // The bookmarked row's place in the view, -1 when the sort or filter hides it or it
    // was deleted.
    long RowOf(Bookmark bookmark) const;

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
    long RecordCount() const;       // rows visible through the current filter
    long AbsolutePosition() const;  // 1-based; 0 at BOF or EOF

    Bookmark GetBookmark() const;
    void SetBookmark(Bookmark bookmark);  // raises 3021 when the row is not visible

    Recordset Clone() const;

    void AddNew();
    void Update();
    // Drops the edit: a new row goes, an edited row gets its values back.
    void CancelUpdate();
    // Deletes the current row from its base table and takes it out of the view. The cursor
    // stays on the deleted row (its fields raise 3021) until it moves: MoveNext then goes on
    // to the row that followed it. `leaving`, when given, is called with the row's place
    // after the database has lost it and before the view does (a model announces it there).
    void Delete(const std::function<void(long row)>& leaving = {});
    // Deletes the bookmarked rows (those not deleted yet) and takes them out of the view in
    // one pass, for many rows at once; the cursor goes to the first row. A failing delete
    // raises, and the rows deleted before it are gone.
    void Delete(const std::vector<Bookmark>& bookmarks);

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

    // Runs the query again and shows its current rows (sort and filter kept); a recordset read in
    // pages reads again as many rows as it held.
    void Requery();

    // ---- Rows read in pages (Connection::Query with a number of rows) -----------------------
    // Whether the query may have rows after those read.
    bool HasMore() const { return table_->more; }
    // Reads the query's next rows, as many as the recordset holds already (so that reading to
    // the end runs the query a few times only), or every one left when `all`, and puts them at
    // the end of the view (the filter applies to them, the sort does not). `arriving`, when given,
    // hears the first place they take and their number before the view has them (a model
    // announces them there). The number read; raises as a query does, and then nothing changes.
    long FetchMore(bool all = false, const std::function<void(long first, long count)>& arriving = {});
    // The rows from the current one to the end as one text: fields joined by
    // `columnDelimiter`, each row followed by `rowDelimiter`, nulls as `nullText`. Leaves
    // the cursor at EOF.
    std::string GetString(const std::string& columnDelimiter = "\t", const std::string& rowDelimiter = "\r",
                          const std::string& nullText = "");

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
    struct NoCaseHash {
        std::size_t operator()(const std::string& s) const;
    };
    struct NoCaseEqual {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    struct Table {
        std::vector<Column> columns;
        long pageRows = 0;  // the first page's rows when read in pages, else 0
        bool more = false;  // the query may have rows after those read
        std::unordered_map<std::string, int, NoCaseHash, NoCaseEqual> columnIndex;  // first of a name
        std::vector<Row> rows;
        std::weak_ptr<Connection*> connection;  // expires when the connection closes
        bool fromQuery = false;
        std::string sql;
        bool open = false;
        void AddColumn(Column column);
    };
    std::shared_ptr<Table> table_;
    std::vector<std::size_t> view_;    // visible rows in order
    mutable std::vector<long> rowOf_;  // a row's place in view_, -1 when not in it
    mutable bool rowOfStale_ = true;
    long pos_ = 0;            // index into view_; view_.size() = EOF, -1 = BOF
    bool onDeleted_ = false;  // the cursor is on a row just deleted (gone from view_)
    bool editing_ = false;
    bool adding_ = false;
    std::vector<bool> dirty_;
    std::vector<Value> original_;  // the edited row's values before the edit
    std::function<bool(const Recordset&)> filter_;
    std::string sort_;

    void Rebuild();
    void IndexView() const;
    // The query reading `?1` rows after the first `?2`.
    static std::string Paged(const std::string& sql);
    void RemoveFromView(long place);
    Row& CurrentRow();
    const Row& CurrentRow() const;
    void RequireOpen() const;
    Connection* Source() const;  // the connection the rows came from, or nullptr
    int RequireField(const std::string& name) const;
    void DeleteFromBase(const Row& row);  // the row's DELETE by its key, for a query's rows
};
