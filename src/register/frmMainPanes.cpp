// The detail panes from the date changes to the pedigree, each on its tab, and the window's own
// names for their controls and procedures, which reach the pane.
#include <QAbstractTextDocumentLayout>
#include <QHeaderView>
#include <QTableView>
#include <QTextDocument>
#include <QTextEdit>

#include "register/DoBChangePane.h"
#include "register/MovementHistoryPane.h"
#include "register/NotesPane.h"
#include "register/PedigreePane.h"
#include "register/TagChangesPane.h"
#include "register/TaggingDateChangePane.h"
#include "register/TreatmentsPane.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"

void frmMain::BuildPanes() {
    dobChange_ = new DoBChangePane(*this, fraTab[4]);
    fraDoBChange = dobChange_->fraDoBChange;
    cmdChangeDoBs = dobChange_->cmdChangeDoBs;
    cmdCheckMovements = dobChange_->cmdCheckMovements;

    taggingDateChange_ = new TaggingDateChangePane(*this, fraTab[5]);
    fraTaggingDateChange = taggingDateChange_->fraTaggingDateChange;
    cmdChangeTaggingDates = taggingDateChange_->cmdChangeTaggingDates;

    panes_[kTagChangesTab] = tagChanges_ = new TagChangesPane(*this, fraTab[kTagChangesTab], kTagChangesTab);
    grdTagChanges = tagChanges_->grdTagChanges;
    cmdRecordTagChange = tagChanges_->cmdRecordTagChange;
    cmdDeleteTagChange = tagChanges_->cmdDeleteTagChange;

    panes_[kTreatmentsTab] = treatments_ = new TreatmentsPane(*this, fraTab[kTreatmentsTab], kTreatmentsTab);
    grdTreatments = treatments_->grdTreatments;
    cmdRecordTreatment = treatments_->cmdRecordTreatment;
    cmdDeleteTreatments = treatments_->cmdDeleteTreatments;

    panes_[kMovementHistoryTab] = movementHistory_ =
        new MovementHistoryPane(*this, fraTab[kMovementHistoryTab], kMovementHistoryTab);
    grdMovements = movementHistory_->grdMovements;

    // A pane's grid widens as its columns do (ResizeTabFrame), once the widths have settled.
    for (DataGrid* grid : {grdTagChanges, grdTreatments, grdMovements})
        connect(
            grid->View().horizontalHeader(), &QHeaderView::sectionResized, this, [this] { ResizeTabFrame(); },
            Qt::QueuedConnection);

    panes_[kNotesTab] = notes_ = new NotesPane(*this, fraTab[kNotesTab], kNotesTab);
    rtbNotes = notes_->rtbNotes;

    panes_[kParentageTab] = pedigree_ = new PedigreePane(*this, fraTab[kParentageTab], kParentageTab);
    rtbPedigree = pedigree_->rtbPedigree;
    grdPedigree = pedigree_->grdPedigree;
    // The chart takes the room its lines need (ResizeTabFrame) when they change.
    connect(
        rtbPedigree->document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
        [this] {
            if (pedigree_->ChartSize() != pedigree_->FittedSize()) ResizeTabFrame();
        },
        Qt::QueuedConnection);
}

void frmMain::cmdChangeDoBs_Click() { dobChange_->cmdChangeDoBs_Click(); }
void frmMain::cmdCheckMovements_Click() { dobChange_->cmdCheckMovements_Click(); }
void frmMain::cmdChangeTaggingDates_Click() { taggingDateChange_->cmdChangeTaggingDates_Click(); }

void frmMain::DisplayTagChanges() { tagChanges_->DisplayTagChanges(); }
void frmMain::cmdRecordTagChange_Click() { tagChanges_->cmdRecordTagChange_Click(); }
void frmMain::cmdDeleteTagChange_Click() { tagChanges_->cmdDeleteTagChange_Click(); }
void frmMain::grdTagChanges_Click() { tagChanges_->grdTagChanges_Click(); }
void frmMain::grdTagChanges_PostEvent(int MsgId) { tagChanges_->grdTagChanges_PostEvent(MsgId); }
void frmMain::grdTagChanges_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    tagChanges_->grdTagChanges_MouseUp(Button, Shift);
}

void frmMain::DisplayTreatments() { treatments_->DisplayTreatments(); }
void frmMain::cmdRecordTreatment_Click() { treatments_->cmdRecordTreatment_Click(); }
void frmMain::cmdDeleteTreatments_Click() { treatments_->cmdDeleteTreatments_Click(); }
void frmMain::grdTreatments_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    treatments_->grdTreatments_MouseUp(Button, Shift);
}

void frmMain::DisplayMovements() { movementHistory_->DisplayMovements(); }
void frmMain::grdMovements_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    movementHistory_->grdMovements_MouseUp(Button, Shift);
}

void frmMain::DisplayNote() { notes_->DisplayNote(); }
void frmMain::SaveNote() { notes_->SaveNote(); }

void frmMain::DisplayPedigree() { pedigree_->DisplayPedigree(); }
void frmMain::grdPedigree_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPoint Position) {
    pedigree_->grdPedigree_MouseUp(Button, Shift, Position);
}
void frmMain::rtbPedigree_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    pedigree_->rtbPedigree_MouseUp(Button, Shift);
}
