// The parentage tab: the pedigree chart of the single animal shown and its progeny.
#include <QGroupBox>
#include <QTextEdit>

#include "platform/DataGrid.h"
#include "register/frmMain.h"

void frmMain::BuildPedigreePane() {
    rtbPedigree = new QTextEdit(fraTab[10]);
    rtbPedigree->setObjectName(QStringLiteral("rtbPedigree"));
    Place(rtbPedigree, 45, 240, 3810, 2100);
    grdPedigree = new DataGrid(fraTab[10]);
    grdPedigree->setObjectName(QStringLiteral("grdPedigree"));
    Place(grdPedigree, 45, 2370, 3810, 2325);
}

void frmMain::DisplayPedigree() {}
