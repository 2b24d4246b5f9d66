#pragma once
#include <QColor>
#include <QFrame>
#include <QString>

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/Recordset.h"
#include "platform/RecordsetModel.h"
#include "platform/Value.h"

class ColumnFit;
class QKeyEvent;
class QLabel;
class QPrinter;
class QTableView;

// The data-bound grid of the program's windows: a caption bar over a table of a recordset
// (through a RecordsetModel), a record selector at the left of every row, and a selection of
// whole rows kept as bookmarks in the order the keeper picked them.
//
// Selection is made on the record selectors: a click selects that row alone, Ctrl+click adds
// or removes one row, Shift+click selects the rows from the last clicked one to this one.
// Clicking a cell only moves the current cell, so that editing never loses the selection.
// The keyboard selects alike: Space (or Shift+Space) selects the current row alone, Ctrl+Space
// adds or removes it, Shift with an arrow, page, Home or End key extends from the last row
// picked to the row it moves to. Selected rows are drawn in the selection colours. The arrows
// move among the cells, and Tab and Shift+Tab leave the grid for the next and previous control.
//
// Columns are the recordset's fields, then any unbound columns (RecordsetModel). A column
// may carry value items: its stored values are shown as their texts and edited by picking
// from a drop-down list, whose pick is applied at once. The column layout (widths, hidden
// columns, order) made the held layout survives every new recordset.
class DataGrid : public QFrame {
    Q_OBJECT
public:
    using Bookmark = Recordset::Bookmark;

    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    RecordsetModel& Model() { return *model_; }
    const Recordset& Rows() const { return model_->Source(); }
    QTableView& View();

    // Binds the grid to `rows`: the selection empties and the held layout is put back.
    void SetRecordset(Recordset rows);

    // The caption bar above the columns; an empty caption hides it.
    void SetCaption(const QString& caption);
    QString Caption() const;

    // ---- Columns ---------------------------------------------------------------------------
    // The column of a field (its name without case), -1 when there is none.
    int ColumnOf(const std::string& fieldName) const;
    // Moves a column to a place among the columns as the keeper sees them (0 = leftmost).
    void MoveColumn(int column, int place);
    // The columns' present widths, hidden columns and order become the held layout.
    void HoldLayout();
    // Keeps the column at least as wide as its heading and the widest text it shows (ColumnFit):
    // after a new recordset, from the held layout's width.
    void FitToValues(int column, const QString& widest = {});
    // The width at which every shown column is whole, beside the record selectors and with room
    // for the vertical scroll bar: no column has to be scrolled to.
    int ColumnsWidth();
    // The height at which the grid shows its caption, its headings and one row.
    int LeastHeight();
    // Shows the column's stored dates in the keeper's date format; `withTime` adds the time of
    // day where it is not midnight, and shows a cell that holds no date as its text.
    void ShowUserDates(int column, bool withTime = false);

    struct ValueItem {
        Value value;
        QString text;
    };
    // An empty list makes the column a plain cell again.
    void SetValueItems(int column, std::vector<ValueItem> items);
    const std::vector<ValueItem>& ValueItems(int column) const;

    // Asked before an edited cell's value is stored, with the value the editor gives (the text
    // typed, or the picked item's value). It may replace the value by the one to store; false
    // cancels the edit and the cell keeps its old value.
    std::function<bool(int column, QVariant& value)> BeforeColUpdate;
    // Opens the current cell's editor again, holding `text` selected and with the keyboard in it,
    // once the editor now closing has gone: a value that BeforeColUpdate refused can be put right.
    void EditAgain(const QString& text);

    // ---- Selection -------------------------------------------------------------------------
    const std::vector<Bookmark>& SelBookmarks() const { return selected_; }
    long SelCount() const { return static_cast<long>(selected_.size()); }
    bool IsSelected(Bookmark bookmark) const { return selectedSet_.count(bookmark) != 0; }
    void SelAdd(Bookmark bookmark);
    void SelRemove(Bookmark bookmark);
    void SelClear();
    void SetSelectionColours(const QColor& back, const QColor& fore);

    // The current row (a place in the view), -1 when there is none.
    long CurrentRow() const;
    void SetCurrentRow(long row);

    // Posts a message to the grid: PostEvent(message) follows from the event loop, once what
    // is under way (a click's own handling) has finished.
    void PostMsg(int message);

    // ---- Output: what the grid shows, on paper or as an HTML table --------------------------
    // The visible columns in the order shown, with their captions and widths, and every row or
    // only the selected ones (in the grid's order), each cell as it shows its value. The rows of
    // a recordset read in pages are all read first (that failing raises).
    std::string HtmlTable(bool selectedRows, const QString& title = {}) const;
    // Writes HtmlTable in UTF-8 in place of the file at `path`, which never holds part of it.
    void ExportHtml(const std::string& path, bool selectedRows) const;
    // Draws the same table on the printer's pages: `header` in bold at the top of every page,
    // the column captions again under it.
    void PrintTo(QPrinter& printer, const QString& header, bool selectedRows) const;
    // The print preview of PrintTo in this orientation, from which the keeper prints or not.
    void PrintPreview(const QString& header, bool landscape, bool selectedRows) const;

signals:
    void PostEvent(int message);
    // A mouse button released over the cells or the record selectors, after the grid has
    // handled it.
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint globalPosition);
    // The keyboard changed the selection.
    void SelectedByKeys();
    // The Menu key or Shift+F10 asks for the grid's pop-up menu at the current cell; the
    // modifiers are those held beside the keys that ask.
    void MenuKey(Qt::KeyboardModifiers modifiers, QPoint globalPosition);

private:
    class Table;
    class Selectors;
    class Delegate;
    struct HeldColumn {
        int width = 0;
        bool hidden = false;
        int place = 0;
    };

    RecordsetModel* model_;
    Table* view_;
    Selectors* selectors_ = nullptr;
    QLabel* caption_;
    std::vector<Bookmark> selected_;
    std::unordered_set<Bookmark> selectedSet_;
    long anchorRow_ = -1;
    bool repaintAsked_ = false;
    QColor selectedBack_{Qt::darkBlue};
    QColor selectedFore_{Qt::white};
    std::vector<std::vector<ValueItem>> valueItems_;
    std::vector<HeldColumn> held_;
    ColumnFit* fit_ = nullptr;

    void SelectorPressed(long row, Qt::KeyboardModifiers modifiers);
    bool KeyPressed(const QKeyEvent& key);
    void MovedByKeys(const QKeyEvent& key, long from);
    void SelectionShown();
    void ShowSelectionOnSelectors();
    void PutLayoutBack();
    QVariant ShownValue(int column, const Value& value) const;
};
