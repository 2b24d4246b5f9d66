// The parentage tab: the pedigree chart of the single animal shown and its progeny.
#include <QGroupBox>
#include <QTextEdit>

#include "platform/DataGrid.h"
#include "register/frmMain.h"

void frmMain::BuildPedigreePane() {
    rtbPedigree = Make<QTextEdit>("rtbPedigree", {45, 240, 3810, 2100}, fraTab[10]);
    grdPedigree = Make<DataGrid>("grdPedigree", {45, 2370, 3810, 2325}, fraTab[10]);
}

void frmMain::DisplayPedigree() {}
