// The movement-history tab: the movements of the selected animals.
#include <QGroupBox>

#include "platform/DataGrid.h"
#include "register/frmMain.h"

void frmMain::BuildMovementPane() { grdMovements = Make<DataGrid>("grdMovements", {60, 225, 3930, 4440}, fraTab[8]); }

void frmMain::DisplayMovements() {}
