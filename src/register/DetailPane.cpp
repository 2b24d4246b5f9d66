#include "register/DetailPane.h"

#include <QGroupBox>
#include <QTableView>

#include <vector>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Connection.h"
#include "register/PaneWindow.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"

namespace {

const char* const kObject = "frmMain";

using modCommon::Database;

// The rows a detail pane reads at once: more than its first screen holds on any screen.
constexpr long kPaneFirstRows = 200;

}  // namespace

DetailPane::DetailPane(PaneWindow& window, QGroupBox* frame, int tab) : QObject(frame), window_(window), tab_(tab) {}

bool DetailPane::OnShow() {
    const bool shown = window_.CurrentTab() == tab_;
    outOfDate_ = !shown;
    return shown;
}

std::string DetailPane::SelectedAnimalList(const std::string& table) {
    const std::vector<long> animals = window_.SelectedAnimalIDs();
    const std::vector<long long> keys(animals.begin(), animals.end());
    Database().GetConnection().SetKeyTable(table, "AnimalID", keys);
    return "SELECT AnimalID FROM temp." + table;
}

std::string DetailPane::SelectedAnimalsWhere(const std::string& table, bool testEachRow) {
    return std::string(
               " WHERE"
               "       AnimalType<>"
               "0"
               "   AND"
               "       ") +
           (testEachRow ? "+" : "") + "Animals.AnimalId IN (" + SelectedAnimalList(table) + ")";
}

std::vector<long> DetailPane::SelectedKeys(DataGrid& grid, const std::string& key) {
    Recordset copy = grid.Rows().Clone();
    std::vector<long> keys;
    for (Recordset::Bookmark bookmark : grid.SelBookmarks()) {
        copy.SetBookmark(bookmark);
        keys.push_back(static_cast<long>(copy.Field(key).ToLong()));
    }
    return keys;
}

void DetailPane::DeleteSelectedRows(DataGrid& grid, const std::string& key, const std::string& deleteSql,
                                    const std::string& cleanUp) {
    const std::vector<long> keys = SelectedKeys(grid, key);
    Connection& db = Database().GetConnection();
    Connection::Transaction transaction(db);
    Connection::Prepared remove(db, deleteSql + "?");
    for (long id : keys)
        if (id > 0) remove.Run({Value(id)});
    if (!cleanUp.empty()) Connection::Prepared(db, cleanUp).Run({});
    transaction.Commit();
}

long DetailPane::BindGrid(DataGrid& grid, const std::string& strSQL, std::initializer_list<Column> columns,
                          const char* dateField, const char* procedure) {
    Recordset rows = Database().OpenRecordset(strSQL, kPaneFirstRows);
    const long count = rows.RecordCount();  // a query that failed stops here
    grid.SetSelectionColours(QColor(175, 255, 175), Qt::black);
    grid.Model().SetFetchFailed(TrapHandler(procedure, kObject));
    grid.SetRecordset(std::move(rows));
    QTableView& view = grid.View();
    for (const Column& column : columns) {
        const int index = grid.ColumnOf(column.field);
        if (index < 0) continue;
        view.setColumnHidden(index, column.width < 0);
        if (column.caption) grid.Model().setHeaderData(index, Qt::Horizontal, QString::fromLatin1(column.caption));
        if (column.width > 0) view.setColumnWidth(index, DesignGeometry::Pixels(column.width));
    }
    if (const int dates = grid.ColumnOf(dateField); dates >= 0) grid.ShowUserDates(dates, true);
    for (const char* tags : {"TagNumber", "Tag Number"}) grid.FitToValues(grid.ColumnOf(tags));
    return count;
}

void DetailPane::PrintMenu(DataGrid& grid, const std::string& what, const std::string& title) {
    const int chosen = window_.ShowPopupListAction(
        {"Print " + what + " to the Printer", "Print " + what + " to an HTML file", "", "", "", ""});
    if (chosen == 0 || chosen == 1) window_.PrintGrid(grid, title, 0, 1, chosen == 1);
}
