// The two date-change tabs: the date of birth and the tagging date of the selected animals.
#include <QGroupBox>

#include "platform/WrappingButton.h"
#include "register/frmMain.h"

void frmMain::BuildDateChangePanes() {
    fraDoBChange = new QGroupBox(fraTab[4]);
    fraDoBChange->setObjectName(QStringLiteral("fraDoBChange"));
    Place(fraDoBChange, 105, 345, 2580, 4335);
    cmdChangeDoBs = new WrappingButton(QStringLiteral("Change the Date of Birth for ALL Selected Animals in the Grid"), fraDoBChange);
    cmdChangeDoBs->setObjectName(QStringLiteral("cmdChangeDoBs"));
    Place(cmdChangeDoBs, 120, 240, 2340, 900);
    cmdCheckMovements = new WrappingButton(QStringLiteral("Select Animals with Movements BEFORE their Date of Birth"), fraDoBChange);
    cmdCheckMovements->setObjectName(QStringLiteral("cmdCheckMovements"));
    Place(cmdCheckMovements, 120, 1320, 2340, 900);

    fraTaggingDateChange = new QGroupBox(fraTab[5]);
    fraTaggingDateChange->setObjectName(QStringLiteral("fraTaggingDateChange"));
    Place(fraTaggingDateChange, 105, 345, 2580, 4335);
    cmdChangeTaggingDates = new WrappingButton(QStringLiteral("Change the Tagging Date for ALL Selected Animals in the Grid"),
                                               fraTaggingDateChange);
    cmdChangeTaggingDates->setObjectName(QStringLiteral("cmdChangeTaggingDates"));
    Place(cmdChangeTaggingDates, 120, 240, 2340, 900);
}
