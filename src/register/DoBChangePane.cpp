#include "register/DoBChangePane.h"

#include <QGroupBox>

#include <string>
#include <unordered_map>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "platform/Connection.h"
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
            // An animal was moved before its birth when its earliest movement was; a movement
            // at the very moment of birth does not count.
            std::unordered_map<long long, std::string> earliest;
            Recordset first = modCommon::Database().GetConnection().Query(
                "SELECT AnimalID, MIN(EventDate) FROM LocationLink GROUP BY AnimalID");
            for (; !first.Eof(); first.MoveNext())
                if (!first.Field(1).IsNull()) earliest.emplace(first.Field(0).ToLong(), first.Field(1).ToString());
            const int idColumn = rows.FieldIndex("AnimalID"), birthColumn = rows.FieldIndex("DateOfBirth");
            for (long row = 0; row < rows.Rows(); ++row) {
                const Value& birth = rows.At(row, birthColumn);
                if (birth.IsNull()) continue;
                const auto moved = earliest.find(rows.At(row, idColumn).ToLong());
                if (moved != earliest.end() && moved->second < birth.ToString()) grid.SelAdd(rows.BookmarkAt(row));
            }
        }
        grid.PostMsg(1);
    });
}
