// The treatment tab: the treatments of the selected animals.
#include <QGroupBox>

#include "platform/DataGrid.h"
#include "platform/WrappingButton.h"
#include "register/frmMain.h"

void frmMain::BuildTreatmentPane() {
    grdTreatments = Make<DataGrid>("grdTreatments", {90, 255, 5535, 3795}, fraTab[7]);
    cmdRecordTreatment = Make<WrappingButton>("cmdRecordTreatment", {90, 4110, 2700, 555},
                                              QStringLiteral("Record a Treatment"), fraTab[7]);
    cmdDeleteTreatments = Make<WrappingButton>("cmdDeleteTreatments", {2925, 4110, 2700, 555},
                                               QStringLiteral("Delete Selected Treatments"), fraTab[7]);
}

void frmMain::DisplayTreatments() {}
