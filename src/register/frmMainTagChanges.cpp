// The tag-change tab: the tag history of the selected animals.
#include <QGroupBox>

#include "platform/DataGrid.h"
#include "platform/WrappingButton.h"
#include "register/frmMain.h"

void frmMain::BuildTagChangePane() {
    grdTagChanges = Make<DataGrid>("grdTagChanges", {60, 225, 3150, 3795}, fraTab[6]);
    cmdRecordTagChange = Make<WrappingButton>("cmdRecordTagChange", {60, 4080, 1530, 555},
                                              QStringLiteral("Record a Tag Change"), fraTab[6]);
    cmdDeleteTagChange = Make<WrappingButton>("cmdDeleteTagChange", {1680, 4080, 1530, 555},
                                              QStringLiteral("Delete Selected Tag Changes"), fraTab[6]);
}

void frmMain::DisplayTagChanges() {}
