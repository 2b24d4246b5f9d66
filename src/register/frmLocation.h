#pragma once
#include <QDialog>

#include <array>

#include "core/DefaultInstance.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The small modal dialog in which the keeper creates a location (modCommon::EditLocationID
// below 1) or edits the name, description and type of the location EditLocationID names. It
// writes the Locations table itself; the caller reads the table again afterwards. Saving a
// location identical to a deleted (inactive) one brings that one back instead of adding a row.
class frmLocation : public QDialog {
    Q_OBJECT
public:
    // Shows the dialog modally over `owner` and returns when it has closed.
    static void ShowModal(QWidget* owner);
    static frmLocation* Loaded() { return DefaultInstance<frmLocation>::Loaded(); }

    QLabel* lblName;
    QLineEdit* txbName;
    QLabel* lblDescription;
    QLineEdit* txbDescription;
    QLabel* lblDescriptionHelp;
    QGroupBox* fraLocationType;
    std::array<QRadioButton*, 5> optLocationType;
    QLabel* Label1;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    void OKButton_Click();
    void CancelButton_Click();

private:
    friend class DefaultInstance<frmLocation>;
    explicit frmLocation(QWidget* owner);
    void Form_Load();
};
