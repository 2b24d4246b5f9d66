#pragma once
#include <QDialog>

#include "core/DefaultInstance.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The modal dialog in which the keeper records one treatment for every animal selected in the
// main window's animal grid: the date, medicine, amount per animal, unit, person and reason,
// each list offering the values recorded before. It writes the treatment and one link row per
// selected animal itself, all of them or none; the caller shows the treatments afterwards.
class frmTreatment : public QDialog {
    Q_OBJECT
public:
    // Shows the dialog modally over `owner`, loaded afresh, and returns when it has closed.
    static void ShowModal(QWidget* owner);
    static frmTreatment* Loaded() { return DefaultInstance<frmTreatment>::Loaded(); }

    QLabel* eventDateLabel;
    QLineEdit* txbEventDate;
    QLabel* medicineLabel;
    QComboBox* cboMedicine;
    QLabel* amountLabel;
    QLineEdit* txbAmount;
    QLabel* unitLabel;
    QComboBox* cboUnit;
    QLabel* lblName;
    QComboBox* cboName;
    QLabel* reasonLabel;
    QComboBox* cboReason;
    QPushButton* OKButton;
    QPushButton* CancelButton;

    void OKButton_Click();
    void CancelButton_Click();

private:
    friend class DefaultInstance<frmTreatment>;
    explicit frmTreatment(QWidget* owner);
    void Form_Load();
    // Checks the entries in the order the keeper fills them in; at the first failure says why,
    // puts the focus there and returns false.
    bool EntriesValid();
    void Save();
};
