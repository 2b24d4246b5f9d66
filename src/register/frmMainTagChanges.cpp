// The tag-change tab: the tag history of the selected animals.
#include <QGroupBox>

#include "platform/DataGrid.h"
#include "platform/WrappingButton.h"
#include "register/frmMain.h"

void frmMain::BuildTagChangePane() {
    grdTagChanges = new DataGrid(fraTab[6]);
    grdTagChanges->setObjectName(QStringLiteral("grdTagChanges"));
    Place(grdTagChanges, 60, 225, 3150, 3795);
    cmdRecordTagChange = new WrappingButton(QStringLiteral("Record a Tag Change"), fraTab[6]);
    cmdRecordTagChange->setObjectName(QStringLiteral("cmdRecordTagChange"));
    Place(cmdRecordTagChange, 60, 4080, 1530, 555);
    cmdDeleteTagChange = new WrappingButton(QStringLiteral("Delete Selected Tag Changes"), fraTab[6]);
    cmdDeleteTagChange->setObjectName(QStringLiteral("cmdDeleteTagChange"));
    Place(cmdDeleteTagChange, 1680, 4080, 1530, 555);
}

void frmMain::DisplayTagChanges() {}
