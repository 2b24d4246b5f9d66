#pragma once
#include "register/DetailPane.h"

// The movement-history tab: the movements of the selected animals, newest first.
class MovementHistoryPane : public DetailPane {
public:
    MovementHistoryPane(PaneWindow& window, QGroupBox* frame, int tab);

    DataGrid* grdMovements;

    void Display() override { DisplayMovements(); }
    void DisplayMovements();
    void grdMovements_MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift);
};
