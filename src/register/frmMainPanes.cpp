// The detail panes from the date changes to the pedigree, each on its tab, and the window's own
// names for their controls and procedures, which reach the pane.
#include "register/DoBChangePane.h"
#include "register/MovementHistoryPane.h"
#include "register/NotesPane.h"
#include "register/PedigreePane.h"
#include "register/TagChangesPane.h"
#include "register/TaggingDateChangePane.h"
#include "register/TreatmentsPane.h"
#include "register/frmMain.h"

void frmMain::BuildPanes() {
    mDoBChange = new DoBChangePane(*this, fraTab[4]);
    fraDoBChange = mDoBChange->fraDoBChange;
    cmdChangeDoBs = mDoBChange->cmdChangeDoBs;
    cmdCheckMovements = mDoBChange->cmdCheckMovements;

    mTaggingDateChange = new TaggingDateChangePane(*this, fraTab[5]);
    fraTaggingDateChange = mTaggingDateChange->fraTaggingDateChange;
    cmdChangeTaggingDates = mTaggingDateChange->cmdChangeTaggingDates;

    mPanes[kTagChangesTab] = mTagChanges = new TagChangesPane(*this, fraTab[kTagChangesTab], kTagChangesTab);
    grdTagChanges = mTagChanges->grdTagChanges;
    cmdRecordTagChange = mTagChanges->cmdRecordTagChange;
    cmdDeleteTagChange = mTagChanges->cmdDeleteTagChange;

    mPanes[kTreatmentsTab] = mTreatments = new TreatmentsPane(*this, fraTab[kTreatmentsTab], kTreatmentsTab);
    grdTreatments = mTreatments->grdTreatments;
    cmdRecordTreatment = mTreatments->cmdRecordTreatment;
    cmdDeleteTreatments = mTreatments->cmdDeleteTreatments;

    mPanes[kMovementHistoryTab] = mMovementHistory =
        new MovementHistoryPane(*this, fraTab[kMovementHistoryTab], kMovementHistoryTab);
    grdMovements = mMovementHistory->grdMovements;

    mPanes[kNotesTab] = mNotes = new NotesPane(*this, fraTab[kNotesTab], kNotesTab);
    rtbNotes = mNotes->rtbNotes;

    mPanes[kParentageTab] = mPedigree = new PedigreePane(*this, fraTab[kParentageTab], kParentageTab);
    rtbPedigree = mPedigree->rtbPedigree;
    grdPedigree = mPedigree->grdPedigree;
}

void frmMain::cmdChangeDoBs_Click() { mDoBChange->cmdChangeDoBs_Click(); }
void frmMain::cmdCheckMovements_Click() { mDoBChange->cmdCheckMovements_Click(); }
void frmMain::cmdChangeTaggingDates_Click() { mTaggingDateChange->cmdChangeTaggingDates_Click(); }

void frmMain::DisplayTagChanges() { mTagChanges->DisplayTagChanges(); }
void frmMain::cmdRecordTagChange_Click() { mTagChanges->cmdRecordTagChange_Click(); }
void frmMain::cmdDeleteTagChange_Click() { mTagChanges->cmdDeleteTagChange_Click(); }
void frmMain::grdTagChanges_Click() { mTagChanges->grdTagChanges_Click(); }
void frmMain::grdTagChanges_PostEvent(int MsgId) { mTagChanges->grdTagChanges_PostEvent(MsgId); }
void frmMain::grdTagChanges_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    mTagChanges->grdTagChanges_MouseUp(Button, Shift);
}

void frmMain::DisplayTreatments() { mTreatments->DisplayTreatments(); }
void frmMain::cmdRecordTreatment_Click() { mTreatments->cmdRecordTreatment_Click(); }
void frmMain::cmdDeleteTreatments_Click() { mTreatments->cmdDeleteTreatments_Click(); }
void frmMain::grdTreatments_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    mTreatments->grdTreatments_MouseUp(Button, Shift);
}

void frmMain::DisplayMovements() { mMovementHistory->DisplayMovements(); }
void frmMain::grdMovements_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    mMovementHistory->grdMovements_MouseUp(Button, Shift);
}

void frmMain::DisplayNote() { mNotes->DisplayNote(); }
void frmMain::SaveNote() { mNotes->SaveNote(); }

void frmMain::DisplayPedigree() { mPedigree->DisplayPedigree(); }
void frmMain::grdPedigree_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Position) {
    mPedigree->grdPedigree_MouseUp(Button, Shift, Position);
}
void frmMain::rtbPedigree_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    mPedigree->rtbPedigree_MouseUp(Button, Shift);
}
