// The treatment tab: the treatments of the selected animals, recording one for all of them
// and deleting an animal's link to one.
#include <QGroupBox>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "platform/DataGrid.h"
#include "platform/WrappingButton.h"
#include "register/frmMain.h"
#include "register/frmTreatment.h"

namespace {

const char* const kObject = "frmMain";

using modCommon::Database;

// The grid and its two buttons show while the animal grid has selected rows.
void ShowPane(const frmMain& form, bool shown) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{form.grdTreatments, form.cmdRecordTreatment, form.cmdDeleteTreatments})
        control->setVisible(shown);
}

}  // namespace

void frmMain::BuildTreatmentPane() {
    grdTreatments = Make<DataGrid>("grdTreatments", {90, 255, 5535, 3795}, fraTab[7]);
    cmdRecordTreatment = Make<WrappingButton>("cmdRecordTreatment", {90, 4110, 2700, 555},
                                              QStringLiteral("Record a Treatment"), fraTab[7]);
    cmdDeleteTreatments = Make<WrappingButton>("cmdDeleteTreatments", {2925, 4110, 2700, 555},
                                               QStringLiteral("Delete Selected Treatments"), fraTab[7]);
    connect(cmdRecordTreatment, &QPushButton::clicked, this, [this] { cmdRecordTreatment_Click(); });
    connect(cmdDeleteTreatments, &QPushButton::clicked, this, [this] { cmdDeleteTreatments_Click(); });
    connect(grdTreatments, &DataGrid::MouseUp, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint) {
                grdTreatments_MouseUp(button, keys);
            });
    ShowPane(*this, false);
}

// One row per animal and treatment, newest first; tag-only rows never appear. The amount shows
// in its shortest form (15 significant digits), as typed: "5 ml", never "5.0 ml". Rows alike in
// date, medicine and tag order come in the order they were recorded, so that every page of a long
// list follows on from the one before.
void frmMain::DisplayTreatments() {
    if (!PaneOnShow(kTreatmentsTab)) return;
    Trap("DisplayTreatments", kObject, [&] {
        if (grdAnimals->SelCount() == 0) {
            ShowPane(*this, false);
            return;
        }
        BindPaneGrid(
            *grdTreatments,
            " SELECT TreatmentLinkID,  TagNumber,EventDate, MedicineName,"
            " iif(Amount IS NULL,'',printf('%.15g',Amount)) || ' ' || ifnull(Unit,'') AS Quantity, TreatedBy, Reason"
            " FROM (Animals INNER JOIN TreatmentLink ON Animals.AnimalID=TreatmentLink.AnimalID) "
            " INNER JOIN Treatments ON TreatmentLink.TreatmentID=Treatments.TreatmentID" +
                SelectedAnimalsWhere("TreatmentAnimals") +
                " ORDER BY EventDate DESC, MedicineName DESC, TagSort ASC, TreatmentLinkID",
            {{"TreatmentLinkID", nullptr, -1}, {"EventDate", "Date", 1200}, {"MedicineName", "Medicine", 1200}},
            "EventDate", "DisplayTreatments");
        ShowPane(*this, true);
    });
}

void frmMain::cmdRecordTreatment_Click() {
    Trap("cmdRecordTreatment_Click", kObject, [&] {
        frmTreatment::ShowModal(this);
        DisplayTreatments();
    });
}

// The chosen links go, and with them every treatment no animal is linked to any more, together
// or not at all. The same treatment stays recorded for the other animals that received it.
void frmMain::cmdDeleteTreatments_Click() {
    Trap("cmdDeleteTreatments_Click", kObject, [&] {
        DeletePaneRows(*grdTreatments, "TreatmentLinkID", "DELETE FROM TreatmentLink WHERE TreatmentLinkID=",
                       "DELETE FROM Treatments WHERE TreatmentID IN (SELECT Treatments.TreatmentID FROM Treatments "
                       "LEFT JOIN TreatmentLink ON Treatments.TreatmentID=TreatmentLink.TreatmentID WHERE "
                       "TreatmentLinkID Is Null)");
    });
    DisplayTreatments();
}

void frmMain::grdTreatments_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers /*Shift*/) {
    if (Button != Qt::RightButton) return;
    Trap("grdTreatments_MouseUp", kObject, [&] { PrintPaneMenu(*grdTreatments, "Treatments", "Treatment History"); });
}
