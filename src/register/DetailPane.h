#pragma once
#include <QObject>

#include <initializer_list>
#include <string>
#include <vector>

class DataGrid;
class PaneWindow;
class QGroupBox;

// A detail tab of the main window that shows something of the animals selected in the animal
// grid. A pane whose tab is not on show does no work: its display marks it out of date, and
// showing its tab displays it. Here too is what the panes with a grid share: binding the grid to
// its rows, its print menu, deleting its selected rows, and the selected animals for a statement.
class DetailPane : public QObject {
public:
    // The pane of tab `tab`: `frame`, the tab's frame, holds its controls and owns the pane.
    DetailPane(PaneWindow& window, QGroupBox* frame, int tab);

    // Fills the pane from the animal grid's selection when its tab is on show; else marks it out
    // of date.
    virtual void Display() = 0;
    bool OutOfDate() const { return outOfDate_; }

protected:
    PaneWindow& window_;

    // Whether the pane's tab is on show; when it is not, the pane is marked out of date.
    bool OnShow();

    // The selected animals' AnimalIDs for a statement: thousands of them would make a statement of
    // hundreds of kilobytes, so they go into the pane's own temporary table, named `table`, and
    // the list is the query of that table.
    std::string SelectedAnimalList(const std::string& table);
    // The condition of the panes that list the selected animals' events: tag-only rows have none.
    // `testEachRow` keeps SQLite from finding the rows by the selected animals' keys (a unary
    // "+"): it then walks the events in an index's order and tests each.
    std::string SelectedAnimalsWhere(const std::string& table, bool testEachRow = false);
    // The values of the column `key` in the rows selected in the pane's grid, in the order chosen.
    static std::vector<long> SelectedKeys(DataGrid& grid, const std::string& key);
    // Deletes the rows selected in the pane's grid, each by `deleteSql` followed by the row's key
    // from the column `key` as its one value (a key of 0 stands for no stored row), then runs
    // `cleanUp` when given: all of it or nothing.
    static void DeleteSelectedRows(DataGrid& grid, const std::string& key, const std::string& deleteSql,
                                   const std::string& cleanUp = "");
    // Binds the pane's grid to the rows of its query: the light green selection, the columns
    // named hidden, the captions and widths (twips) given, and its dates shown as the keeper writes
    // them. The first screen's rows are read at once and the rest as the keeper scrolls (a failure
    // then is logged under `procedure`). The number of rows read first, 0 when there are none.
    struct Column {
        const char* field;
        const char* caption;  // nullptr keeps the field's name
        int width;            // 0 keeps the default width; -1 hides the column
    };
    static long BindGrid(DataGrid& grid, const std::string& strSQL, std::initializer_list<Column> columns,
                         const char* dateField, const char* procedure);
    // The grid's right-click menu: its rows to the printer or to an HTML file.
    void PrintMenu(DataGrid& grid, const std::string& what, const std::string& title);

private:
    const int tab_;
    bool outOfDate_ = false;
};
