// Printing a grid, or saving it as an HTML table: what the grid shows, as the keeper has laid
// it out.
#include <QHeaderView>
#include <QTableView>

#include <vector>

#include "core/Trap.h"
#include "platform/Prompts.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"

namespace {

const char* const kObject = "frmMain";

// Hides the shown columns of these captions for its lifetime, so that they come back however
// the printing ends.
class ColumnsLeftOut {
public:
    ColumnsLeftOut(DataGrid& grid, std::initializer_list<const char*> captions)
        : header_(*grid.View().horizontalHeader()) {
        for (int column = 0; column < header_.count(); ++column) {
            const QString caption = grid.Model().headerData(column, Qt::Horizontal).toString();
            for (const char* leftOut : captions)
                if (caption == QLatin1String(leftOut) && !header_.isSectionHidden(column)) hidden_.push_back(column);
        }
        for (int column : hidden_) header_.setSectionHidden(column, true);
    }
    ~ColumnsLeftOut() {
        for (int column : hidden_) header_.setSectionHidden(column, false);
    }
    ColumnsLeftOut(const ColumnsLeftOut&) = delete;
    ColumnsLeftOut& operator=(const ColumnsLeftOut&) = delete;

private:
    QHeaderView& header_;
    std::vector<int> hidden_;
};

}  // namespace

void frmMain::PrintGrid(DataGrid& grid, const std::string& title, long rows, long orientation, bool html) {
    Trap("PrintGrid", kObject, [&] {
        const bool selectedRows = rows == 1;
        if (selectedRows && grid.SelCount() == 0) {
            Prompts::MsgBox("Please select at least one item in the grid to print 'Selected Rows'.", Prompts::OKOnly,
                            "Nothing Selected in the Grid");
            return;
        }
        // The type pictures and the EID flag mean nothing on paper.
        using Captions = std::initializer_list<const char*>;
        const ColumnsLeftOut leftOut(grid, &grid == grdAnimals ? Captions{"Type", "EID?"} : Captions{});
        if (!html) {
            grid.PrintPreview(QString::fromStdString(title), orientation == 2, selectedRows);
            return;
        }
        const std::string path = SaveFileName("Export to HTML file", "HTML Files (*.html)|*.html");
        if (!path.empty()) grid.ExportHtml(path, selectedRows);
    });
}
