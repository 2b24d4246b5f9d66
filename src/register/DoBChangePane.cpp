#include "register/DoBChangePane.h"

#include <QGroupBox>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "register/DateChanges.h"
#include "register/PaneWindow.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WaitPointer.h"
#include "widgets/WrappingButton.h"

namespace {

const char* const kObject = "frmMain";

using DesignGeometry::Make;

}  // namespace

DoBChangePane::DoBChangePane(PaneWindow& window, QGroupBox* tabFrame) : DateChangePane(window, tabFrame) {
    fraDoBChange = Make<QGroupBox>("fraDoBChange", {105, 345, 2580, 4335}, tabFrame);
    cmdChangeDoBs = Make<WrappingButton>(
        "cmdChangeDoBs", {120, 240, 2340, 900},
        QStringLiteral("Change the Date of Birth for ALL Selected Animals in the Grid"), fraDoBChange);
    cmdCheckMovements =
        Make<WrappingButton>("cmdCheckMovements", {120, 1320, 2340, 900},
                             QStringLiteral("Select Animals with Movements BEFORE their Date of Birth"), fraDoBChange);
    connect(cmdChangeDoBs, &QPushButton::clicked, this, [this] { cmdChangeDoBs_Click(); });
    connect(cmdCheckMovements, &QPushButton::clicked, this, [this] { cmdCheckMovements_Click(); });
}

void DoBChangePane::cmdCheckMovements_Click() {
    WaitPointer pointer(tabFrame_->window());
    Trap("cmdCheckMovements_Click", kObject, [&] {
        DataGrid& grid = window_.AnimalGrid();
        const Recordset& rows = grid.Rows();
        if (rows.Rows() > 0) {
            grid.SelClear();
            const int idColumn = rows.FieldIndex("AnimalID"), birthColumn = rows.FieldIndex("DateOfBirth");
            GridAnimals animals;
            animals.reserve(static_cast<std::size_t>(rows.Rows()));
            for (long row = 0; row < rows.Rows(); ++row)
                animals.push_back({rows.At(row, idColumn).ToLong(), 0, rows.At(row, birthColumn)});
            for (std::size_t row : DateChanges::MovedBeforeBirth(modCommon::Database().GetConnection(), animals))
                grid.SelAdd(rows.BookmarkAt(static_cast<long>(row)));
        }
        grid.PostMsg(1);
    });
}
