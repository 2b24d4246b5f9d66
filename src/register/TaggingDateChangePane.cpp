#include "register/TaggingDateChangePane.h"

#include <QGroupBox>

#include "widgets/DesignGeometry.h"
#include "widgets/WrappingButton.h"

TaggingDateChangePane::TaggingDateChangePane(PaneWindow& window, QGroupBox* tabFrame)
    : DateChangePane(window, tabFrame) {
    fraTaggingDateChange = DesignGeometry::Make<QGroupBox>("fraTaggingDateChange", {105, 345, 2580, 4335}, tabFrame);
    cmdChangeTaggingDates = DesignGeometry::Make<WrappingButton>(
        "cmdChangeTaggingDates", {120, 240, 2340, 900},
        QStringLiteral("Change the Tagging Date for ALL Selected Animals in the Grid"), fraTaggingDateChange);
    connect(cmdChangeTaggingDates, &QPushButton::clicked, this, [this] { cmdChangeTaggingDates_Click(); });
}
