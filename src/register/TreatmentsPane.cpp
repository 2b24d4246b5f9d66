#include "register/TreatmentsPane.h"

#include <QGroupBox>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "register/PaneWindow.h"
#include "register/Treatments.h"
#include "register/frmTreatment.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WrappingButton.h"

namespace {

const char* const kObject = "frmMain";

using DesignGeometry::Make;

}  // namespace

TreatmentsPane::TreatmentsPane(PaneWindow& window, QGroupBox* frame, int tab) : DetailPane(window, frame, tab) {
    grdTreatments = Make<DataGrid>("grdTreatments", {90, 255, 5535, 3795}, frame);
    cmdRecordTreatment =
        Make<WrappingButton>("cmdRecordTreatment", {90, 4110, 2700, 555}, QStringLiteral("Record a Treatment"), frame);
    cmdDeleteTreatments = Make<WrappingButton>("cmdDeleteTreatments", {2925, 4110, 2700, 555},
                                               QStringLiteral("Delete Selected Treatments"), frame);
    connect(cmdRecordTreatment, &QPushButton::clicked, this, [this] { cmdRecordTreatment_Click(); });
    connect(cmdDeleteTreatments, &QPushButton::clicked, this, [this] { cmdDeleteTreatments_Click(); });
    connect(
        grdTreatments, &DataGrid::MouseUp, this,
        [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint) { grdTreatments_MouseUp(button, keys); });
    ShowPane(false);
}

void TreatmentsPane::ShowPane(bool shown) {
    for (QWidget* control : std::initializer_list<QWidget*>{grdTreatments, cmdRecordTreatment, cmdDeleteTreatments})
        control->setVisible(shown);
}

// One row per animal and treatment, newest first; tag-only rows never appear. The amount shows
// in its shortest form (15 significant digits), as typed: "5 ml", never "5.0 ml". Rows alike in
// date, medicine and tag order come in the order they were recorded, so that every page of a long
// list follows on from the one before.
void TreatmentsPane::DisplayTreatments() {
    if (!OnShow()) return;
    Trap("DisplayTreatments", kObject, [&] {
        if (window_.AnimalGrid().SelCount() == 0) {
            ShowPane(false);
            return;
        }
        BindGrid(
            *grdTreatments,
            " SELECT TreatmentLinkID,  TagNumber,EventDate, MedicineName,"
            " iif(Amount IS NULL,'',printf('%.15g',Amount)) || ' ' || ifnull(Unit,'') AS Quantity, TreatedBy, Reason"
            " FROM (Animals INNER JOIN TreatmentLink ON Animals.AnimalID=TreatmentLink.AnimalID) "
            " INNER JOIN Treatments ON TreatmentLink.TreatmentID=Treatments.TreatmentID" +
                SelectedAnimalsWhere("TreatmentAnimals") +
                " ORDER BY EventDate DESC, MedicineName DESC, TagSort ASC, TreatmentLinkID",
            {{"TreatmentLinkID", nullptr, -1}, {"EventDate", "Date", 1200}, {"MedicineName", "Medicine", 1200}},
            "EventDate", "DisplayTreatments");
        grdTreatments->FitToValues(grdTreatments->ColumnOf("MedicineName"));
        ShowPane(true);
    });
}

void TreatmentsPane::cmdRecordTreatment_Click() {
    Trap("cmdRecordTreatment_Click", kObject, [&] {
        frmTreatment::ShowModal(grdTreatments->window());
        DisplayTreatments();
    });
}

void TreatmentsPane::cmdDeleteTreatments_Click() {
    Trap("cmdDeleteTreatments_Click", kObject, [&] {
        Treatments::DeleteLinks(modCommon::Database().GetConnection(), SelectedKeys(*grdTreatments, "TreatmentLinkID"));
    });
    DisplayTreatments();
}

void TreatmentsPane::grdTreatments_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers /*Shift*/) {
    if (Button != Qt::RightButton) return;
    Trap("grdTreatments_MouseUp", kObject, [&] { PrintMenu(*grdTreatments, "Treatments", "Treatment History"); });
}
