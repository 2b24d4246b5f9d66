// The notes tab: the note of the single animal shown.
#include <QGroupBox>
#include <QTextEdit>

#include "register/frmMain.h"

void frmMain::BuildNotePane() { rtbNotes = Make<QTextEdit>("rtbNotes", {45, 225, 2760, 4425}, fraTab[9]); }

void frmMain::DisplayNote() {}

void frmMain::SaveNote() {}
