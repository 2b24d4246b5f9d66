#pragma once
#include "register/DetailPane.h"

class QPushButton;

// The treatment tab: the treatments of the selected animals, recording one for all of them
// and deleting an animal's link to one.
class TreatmentsPane : public DetailPane {
public:
    TreatmentsPane(PaneWindow& window, QGroupBox* frame, int tab);

    DataGrid* grdTreatments;
    QPushButton* cmdRecordTreatment;
    QPushButton* cmdDeleteTreatments;

    void Display() override { DisplayTreatments(); }
    void DisplayTreatments();
    void cmdRecordTreatment_Click();
    void cmdDeleteTreatments_Click();
    void grdTreatments_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);

private:
    // The grid and its two buttons show while the animal grid has selected rows.
    void ShowPane(bool shown);
};
