// The treatment tab: the treatments of the selected animals.
#include <QGroupBox>

#include "platform/DataGrid.h"
#include "platform/WrappingButton.h"
#include "register/frmMain.h"

void frmMain::BuildTreatmentPane() {
    grdTreatments = new DataGrid(fraTab[7]);
    grdTreatments->setObjectName(QStringLiteral("grdTreatments"));
    Place(grdTreatments, 90, 255, 5535, 3795);
    cmdRecordTreatment = new WrappingButton(QStringLiteral("Record a Treatment"), fraTab[7]);
    cmdRecordTreatment->setObjectName(QStringLiteral("cmdRecordTreatment"));
    Place(cmdRecordTreatment, 90, 4110, 2700, 555);
    cmdDeleteTreatments = new WrappingButton(QStringLiteral("Delete Selected Treatments"), fraTab[7]);
    cmdDeleteTreatments->setObjectName(QStringLiteral("cmdDeleteTreatments"));
    Place(cmdDeleteTreatments, 2925, 4110, 2700, 555);
}

void frmMain::DisplayTreatments() {}
