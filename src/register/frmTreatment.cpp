#include "register/frmTreatment.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <cmath>
#include <optional>
#include <type_traits>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "platform/Prompts.h"
#include "register/GridAnimals.h"
#include "register/Treatments.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WindowRules.h"

namespace {

const char* const kObject = "frmTreatment";

// The amount as a number, written in the keeper's own way or with a decimal point.
std::optional<double> AmountOf(const QString& text) {
    bool ok = false;
    double amount = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok) amount = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(amount)) return std::nullopt;
    return amount;
}

}  // namespace

frmTreatment::frmTreatment(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Record a Treatment"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QGridLayout(this);
    int row = 0;
    auto field = [&](QLabel*& label, const char* caption, auto*& box, const char* name) {
        label = new QLabel(QString::fromLatin1(caption), this);
        box = new std::remove_reference_t<decltype(*box)>(this);
        box->setObjectName(QString::fromLatin1(name));
        label->setBuddy(box);
        layout->addWidget(label, row, 0);
        layout->addWidget(box, row++, 1);
        if constexpr (std::is_same_v<decltype(box), QComboBox*&>) {
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
        }
    };
    field(eventDateLabel, "Date of the treatment", txbEventDate, "txbEventDate");
    field(medicineLabel, "Medicine", cboMedicine, "cboMedicine");
    field(amountLabel, "Amount per animal", txbAmount, "txbAmount");
    field(unitLabel, "Unit (e.g. ml, tablets, tube etc.)", cboUnit, "cboUnit");
    field(lblName, "Name of person doing treatment", cboName, "cboName");
    field(reasonLabel, "Reason for the treatment", cboReason, "cboReason");

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    // Neither button is a default one: Enter in a field presses OK, and in an open list picks.
    for (QPushButton* button : {OKButton, CancelButton}) WindowRules::MakeNoDefault(button);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    WindowRules::PressOnEnter(*this, *OKButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons, row, 0, 1, 2);

    QWidget* order[] = {txbEventDate, cboMedicine, txbAmount, cboUnit, cboName, cboReason, OKButton, CancelButton};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    setMinimumWidth(DesignGeometry::Pixels(6300));
}

void frmTreatment::ShowModal(QWidget* owner) {
    DefaultInstance<frmTreatment>::ShowModal(
        [](frmTreatment& form) {
            form.Form_Load();
            return true;
        },
        owner);
}

// Today's date, and every value recorded before in each list, once per treatment.
void frmTreatment::Form_Load() {
    Trap("Form_Load", kObject, [&] {
        txbEventDate->setText(QString::fromStdString(DateTime::Today().ToUserText()));
        const Treatments::Recorded recorded = Treatments::RecordedValues(modCommon::Database().GetConnection());
        const std::pair<QComboBox*, const std::vector<std::string>*> lists[] = {{cboMedicine, &recorded.medicines},
                                                                                {cboUnit, &recorded.units},
                                                                                {cboName, &recorded.names},
                                                                                {cboReason, &recorded.reasons}};
        for (auto [list, values] : lists) {
            for (const std::string& value : *values) list->addItem(QString::fromStdString(value));
            list->setCurrentIndex(-1);
        }
    });
}

bool frmTreatment::EntriesValid() {
    const std::optional<DateTime> date = DateTime::FromUserText(txbEventDate->text().toStdString());
    const std::optional<double> amount = AmountOf(txbAmount->text());
    struct Check {
        QWidget* field;
        bool passed;
        const char* message;
        const char* title;
    };
    // A text of blanks counts as given.
    const Check checks[] = {
        {txbEventDate, date.has_value(), "The treatment date is not valid. Please re-enter it.", "Invalid Date"},
        {txbEventDate, !date || *date <= DateTime::Now(), "The treatment date is in the future. Please re-enter it.",
         "Invalid Date"},
        {cboMedicine, !cboMedicine->currentText().isEmpty(), "Please enter or select a medicine.", "Medicine Required"},
        {txbAmount, amount && *amount > 0, "The amount is not valid. Please re-enter it.", "Invalid Amount"},
        {cboUnit, !cboUnit->currentText().isEmpty(), "Please enter or select a unit.", "Invalid Unit"},
        {cboName, !cboName->currentText().isEmpty(),
         "Please enter or select the name of the person doing the treatment.", "Invalid Name"},
        {cboReason, !cboReason->currentText().isEmpty(), "Please enter or select the reason for the treatment.",
         "Invalid Reason"},
    };
    for (const Check& check : checks) {
        if (check.passed) continue;
        Prompts::MsgBox(check.message, Prompts::OKOnly, check.title);
        check.field->setFocus();
        return false;
    }
    return true;
}

// The treatment and a link for every animal selected in the main window, all or none; the
// keeper is told of animals no longer recorded, which get none.
void frmTreatment::Save() {
    auto text = [](const QComboBox* list) { return list->currentText().toStdString(); };
    const Treatments::Given given =
        Treatments::Record(modCommon::Database().GetConnection(),
                           {*DateTime::FromUserText(txbEventDate->text().toStdString()), text(cboMedicine),
                            *AmountOf(txbAmount->text()), text(cboUnit), text(cboName), text(cboReason)},
                           modMainWindowServices::SelectedAnimalIDs());
    if (given.animalsGone > 0)
        Prompts::MsgBox(AnimalsGoneMessage(given.animalsGone), Prompts::OKOnly | Prompts::Information,
                        "No Longer Recorded");
}

// A treatment that could not be written is reported and nothing of it stays; the dialog keeps
// the entries so that the keeper can correct them or cancel.
void frmTreatment::OKButton_Click() {
    Trap("OKButton_Click", kObject, [&] {
        if (!EntriesValid()) return;
        Save();
        done(QDialog::Accepted);
    });
}

void frmTreatment::CancelButton_Click() {
    Trap("CancelButton_Click", kObject, [&] { done(QDialog::Rejected); });
}
