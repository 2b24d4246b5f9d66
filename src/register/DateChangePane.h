#pragma once
#include <QObject>

class PaneWindow;
class QGroupBox;

// What the two date-change tabs (the date of birth and the tagging date) share: one typed date
// written to every animal selected in the animal grid.
class DateChangePane : public QObject {
protected:
    // The pane on the tab whose frame is `tabFrame` (which owns the pane).
    DateChangePane(PaneWindow& window, QGroupBox* tabFrame);

    PaneWindow& window_;
    QGroupBox* const tabFrame_;

    // Writes one typed date to every selected animal (tag-only rows are passed over). A new date of
    // birth takes along the movements dated exactly at the animal's old one (as the grid loaded it),
    // so that the birth entry of its history follows.
    void ChangeDates(const char* procedure, bool dateOfBirth);
};
