#pragma once
#include "register/DateChangePane.h"

class QPushButton;

// The tagging-date tab (sheep only): the tagging date of the selected animals.
class TaggingDateChangePane : public DateChangePane {
public:
    TaggingDateChangePane(PaneWindow& window, QGroupBox* tabFrame);

    QGroupBox* fraTaggingDateChange;
    QPushButton* cmdChangeTaggingDates;

    void cmdChangeTaggingDates_Click() { ChangeDates("cmdChangeTaggingDates_Click", false); }
};
