// The movement-history tab: the movements of the selected animals.
#include <QGroupBox>

#include "platform/DataGrid.h"
#include "register/frmMain.h"

void frmMain::BuildMovementPane() {
    grdMovements = new DataGrid(fraTab[8]);
    grdMovements->setObjectName(QStringLiteral("grdMovements"));
    Place(grdMovements, 60, 225, 3930, 4440);
}

void frmMain::DisplayMovements() {}
