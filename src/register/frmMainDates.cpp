// The two date-change tabs: the date of birth and the tagging date of the selected animals.
#include <QGroupBox>

#include "platform/WrappingButton.h"
#include "register/frmMain.h"

void frmMain::BuildDateChangePanes() {
    fraDoBChange = Make<QGroupBox>("fraDoBChange", {105, 345, 2580, 4335}, fraTab[4]);
    cmdChangeDoBs = Make<WrappingButton>(
        "cmdChangeDoBs", {120, 240, 2340, 900},
        QStringLiteral("Change the Date of Birth for ALL Selected Animals in the Grid"), fraDoBChange);
    cmdCheckMovements =
        Make<WrappingButton>("cmdCheckMovements", {120, 1320, 2340, 900},
                             QStringLiteral("Select Animals with Movements BEFORE their Date of Birth"), fraDoBChange);

    fraTaggingDateChange = Make<QGroupBox>("fraTaggingDateChange", {105, 345, 2580, 4335}, fraTab[5]);
    cmdChangeTaggingDates = Make<WrappingButton>(
        "cmdChangeTaggingDates", {120, 240, 2340, 900},
        QStringLiteral("Change the Tagging Date for ALL Selected Animals in the Grid"), fraTaggingDateChange);
}
