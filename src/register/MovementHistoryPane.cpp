#include "register/MovementHistoryPane.h"

#include <QGroupBox>

#include "core/Trap.h"
#include "register/PaneWindow.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"

namespace {

const char* const kObject = "frmMain";

// From this many selected animals with a location on, their events are walked in date order.
constexpr long kManyMoved = 2000;

// The selected animals of the grid that have a location: those with movements to show.
long MovedAnimalsSelected(const DataGrid& grid) {
    const Recordset& rows = grid.Rows();
    const int location = rows.FieldIndex("LocationName");
    long moved = 0;
    for (Recordset::Bookmark bookmark : grid.SelBookmarks())
        if (const long row = rows.RowOf(bookmark); row >= 0 && !rows.At(row, location).IsNull()) ++moved;
    return moved;
}

}  // namespace

MovementHistoryPane::MovementHistoryPane(PaneWindow& window, QGroupBox* frame, int tab)
    : DetailPane(window, frame, tab) {
    grdMovements = DesignGeometry::Make<DataGrid>("grdMovements", {60, 225, 3930, 4440}, frame);
    connect(grdMovements, &DataGrid::MouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint) { grdMovements_MouseUp(button, keys); });
    grdMovements->hide();
}

// Every event of the selected animals in one list; an event at the death location describes
// itself by its own animal's cause of death.
//
// With a few animals selected, SQLite finds their events by their keys and sorts them. With many
// that have been moved, sorting every event of theirs would hold up the first screen: the events
// are walked newest first by their date's index instead and those of selected animals kept, so the
// first screen's rows come at once. (Many selected animals that were never moved would make that
// walk read every event of the register to find none.)
void MovementHistoryPane::DisplayMovements() {
    if (!OnShow()) return;
    Trap("DisplayMovements", kObject, [&] {
        const DataGrid& animals = window_.AnimalGrid();
        if (animals.SelCount() == 0) {
            grdMovements->hide();
            return;
        }
        const std::string sql =
            " SELECT  TagNumber,LocationLinkID,EventDate, LocationName, iif(Locations.LocationType="
            "-1"
            ",(SELECT DeathReason FROM Animals WHERE AnimalID="
            "LocationLink.AnimalID"
            "),LocationDescription) AS LocationDescription,Details"
            " FROM  (Animals INNER JOIN LocationLink ON Animals.AnimalID = LocationLink.AnimalID)"
            " INNER JOIN Locations ON LocationLink.LocationID = Locations.LocationID" +
            SelectedAnimalsWhere("MovementAnimals", MovedAnimalsSelected(animals) >= kManyMoved) +
            " ORDER BY EventDate DESC, LocationLinkID DESC";
        BindGrid(*grdMovements, sql,
                 {{"LocationLinkID", nullptr, -1},
                  {"EventDate", "Date", 1500},
                  {"LocationName", "Location", 1200},
                  {"LocationDescription", "Description", 2500},
                  {"Details", "Details", 2500}},
                 "EventDate", "DisplayMovements");
        grdMovements->show();
    });
}

void MovementHistoryPane::grdMovements_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers /*Shift*/) {
    if (Button != Qt::RightButton) return;
    Trap("grdMovements_MouseUp", kObject, [&] { PrintMenu(*grdMovements, "Movements", "Movement History"); });
}
