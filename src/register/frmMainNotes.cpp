// The notes tab: the note of the single animal shown.
#include <QGroupBox>
#include <QTextEdit>

#include "register/frmMain.h"

void frmMain::BuildNotePane() {
    rtbNotes = new QTextEdit(fraTab[9]);
    rtbNotes->setObjectName(QStringLiteral("rtbNotes"));
    Place(rtbNotes, 45, 225, 2760, 4425);
}

void frmMain::DisplayNote() {}

void frmMain::SaveNote() {}
