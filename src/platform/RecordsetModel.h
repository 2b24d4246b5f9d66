#pragma once
#include <QAbstractTableModel>

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Recordset.h"

// Puts a recordset behind any Qt view: one row of the view per row of the recordset's view,
// one column per field. Every grid of the program uses it.
//
// The model owns its recordset and makes every change to it itself, announcing each to the
// views: a deleted row is removed (begin/end remove rows), a requery, sort or filter is a model
// reset, an edit is a dataChanged. Windows read through Source() (which never moves a cursor
// the model relies on) and keep selections by bookmark (BookmarkAt, RowOf), since places change
// with every sort, filter and requery.
//
// A recordset read in pages (Connection::Query with a number of rows) shows its first rows at
// once; the views fetch the next as the keeper scrolls to the end (canFetchMore, fetchMore), and
// FetchAll brings every row for what needs them all (printing).
//
// Roles: DisplayRole and EditRole give the field's value (null = empty); CheckStateRole gives
// Checked/Unchecked for a column made checkable (any non-zero value is checked). A column's shown
// text, its picture (DecorationRole) or any other role can be replaced per column by a Shown
// function. Edits (EditRole, CheckStateRole on editable/checkable columns) are written to the
// row's base table at once.
class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // What a column shows in one role for the view's row `row` of `rows`; an invalid QVariant
    // shows nothing.
    using Shown = std::function<QVariant(const Recordset& rows, long row)>;
    // A part of a text (its head, its tail), as a view into it.
    using TextPart = std::string_view (*)(std::string_view text);

    explicit RecordsetModel(QObject* parent = nullptr);

    // Shows `rows` from now on (a model reset). The settings of the columns stay.
    void SetRecordset(Recordset rows);
    const Recordset& Source() const { return rows_; }

    // ---- Changes, each announced to the views ----------------------------------------------
    // Runs the recordset's query again (a model reset, also when the query fails; it raises).
    void Requery();
    void Sort(const std::string& spec);
    void Filter(std::function<bool(const Recordset&)> predicate);
    // Deletes the view's row `row` from its base table; the views lose the row only once the
    // database has. Raises when the delete fails, and then nothing changes.
    void DeleteRow(int row);
    // Reads every row of a recordset read in pages that is not read yet (the views hear of them
    // as inserted rows); raises when the query fails, and then nothing changes.
    void FetchAll();

    // ---- Columns ---------------------------------------------------------------------------
    // Replaces what `column` shows in `role` (DisplayRole for the shown text, DecorationRole
    // for a picture, BackgroundRole ...); `column` -1 gives every column that role (a
    // column's own function wins). An empty function removes it.
    void SetShown(int column, int role, Shown shown);
    // `column` shows as its text a part of the text of the field `field` (nothing for a null), which
    // ForEachText gives without a QVariant for each row.
    void SetShownPart(int column, int field, TextPart part);
    // Calls `each` with the text that `column` shows in each of the rows `first` to `last`, in UTF-8,
    // where the model has it without a QVariant for each row (a column of a field that has no text
    // of its own to show, or a part of one, SetShownPart): what fitting a column to its widest text
    // reads from 200,000 rows at a time. False, and nothing called, for any other column.
    bool ForEachText(int column, int first, int last, const std::function<void(std::string_view)>& each) const;
    void SetEditable(int column, bool editable = true);
    // Columns after the fields that no field fills (a grid's unbound columns): column
    // FieldCount() + n shows only what its Shown functions give and is never written. They stay
    // over every new recordset of the same fields.
    void SetUnboundColumns(int count);
    int UnboundColumns() const { return unbound_; }
    void SetCheckable(int column, bool checkable = true);
    // An edit from a view that the database refuses is undone in the row; the failure goes to
    // this handler (a window logs it under its own name). Without one it is dropped silently,
    // so every window that lets a grid edit sets one.
    void SetWriteFailed(std::function<void(const std::exception&)> handler);
    // The same for the next rows a view fetches as the keeper scrolls: a query that fails then
    // goes to this handler, and no more rows are fetched.
    void SetFetchFailed(std::function<void(const std::exception&)> handler);

    Recordset::Bookmark BookmarkAt(int row) const { return rows_.BookmarkAt(row); }
    int RowOf(Recordset::Bookmark bookmark) const { return static_cast<int>(rows_.RowOf(bookmark)); }

    // Field values as Qt sees them and back: null <-> invalid, whole numbers, reals, text.
    static QVariant ToVariant(const Value& value);
    static Value FromVariant(const QVariant& value);

    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Horizontal headers are the field names unless a caption is set with setHeaderData.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;

private:
    struct Column {
        std::vector<std::pair<int, Shown>> shown;  // by role
        int partOf = -1;                           // the field of SetShownPart
        TextPart part = nullptr;
        bool editable = false;
        bool checkable = false;
        QVariant caption;
    };
    Recordset rows_;
    std::vector<Column> columns_;  // grows to the fields on demand
    int unbound_ = 0;
    std::vector<std::pair<int, Shown>> everyColumn_;
    std::function<void(const std::exception&)> writeFailed_;
    std::function<void(const std::exception&)> fetchFailed_;
    bool fetchStopped_ = false;  // the last fetch failed: the views ask no more

    void Fetch(bool all);

    Column& ColumnAt(int column);
    const Shown* ShownFor(int column, int role) const;
    bool Write(int row, int column, const Value& value);
    template <class Change>
    void Reset(Change change);
};
