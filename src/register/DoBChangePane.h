#pragma once
#include "register/DateChangePane.h"

class QPushButton;

// The date-of-birth tab: the date of birth of the selected animals, and the search for animals
// moved before they were born.
class DoBChangePane : public DateChangePane {
public:
    DoBChangePane(PaneWindow& window, QGroupBox* tabFrame);

    QGroupBox* fraDoBChange;
    QPushButton* cmdChangeDoBs;
    QPushButton* cmdCheckMovements;

    void cmdChangeDoBs_Click() { ChangeDates("cmdChangeDoBs_Click", true); }
    // Selects the animals of the grid with a movement before their date of birth.
    void cmdCheckMovements_Click();
};
