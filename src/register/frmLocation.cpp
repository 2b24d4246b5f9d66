#include "register/frmLocation.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Connection.h"
#include "platform/Prompts.h"
#include "register/EntryNames.h"
#include "register/SideLists.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WindowRules.h"

namespace {

const char* const kObject = "frmLocation";

}  // namespace

frmLocation::frmLocation(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Create/Edit a Location"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    lblName = new QLabel(QStringLiteral("Name of location"), this);
    txbName = new QLineEdit(this);
    txbName->setObjectName(QStringLiteral("txbName"));
    lblDescription = new QLabel(QStringLiteral("Description of location"), this);
    txbDescription = new QLineEdit(this);
    txbDescription->setObjectName(QStringLiteral("txbDescription"));
    lblDescriptionHelp =
        new QLabel(QStringLiteral("The description can be  the address, holding number or whatever you want"), this);
    lblDescriptionHelp->setWordWrap(true);

    fraLocationType = new QGroupBox(QStringLiteral("Location type"), this);
    auto* types = new QVBoxLayout(fraLocationType);
    const char* const captions[] = {"On the Holding", "At Grasskeep", "Sold/Returned", "Slaughtered", "Dead"};
    for (std::size_t i = 0; i < optLocationType.size(); ++i) {
        optLocationType[i] = new QRadioButton(QString::fromLatin1(captions[i]), fraLocationType);
        optLocationType[i]->setObjectName(QStringLiteral("optLocationType_%1").arg(i));
        types->addWidget(optLocationType[i]);
    }
    Label1 = new QLabel(QStringLiteral("The type of a location decides whether an animal sent there counts as on the "
                                       "holding, at grasskeep, sold, slaughtered or dead."),
                        this);
    Label1->setWordWrap(true);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton* button : {OKButton, CancelButton}) WindowRules::MakeNoDefault(button);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    WindowRules::PressOnEnter(*this, *OKButton);

    auto* layout = new QGridLayout(this);
    layout->addWidget(lblName, 0, 0);
    layout->addWidget(txbName, 1, 0);
    layout->addWidget(lblDescription, 2, 0);
    layout->addWidget(txbDescription, 3, 0);
    layout->addWidget(lblDescriptionHelp, 4, 0);
    layout->addWidget(fraLocationType, 0, 1, 4, 1);
    layout->addWidget(Label1, 4, 1, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons, 6, 0, 1, 2);
    setMinimumWidth(DesignGeometry::Pixels(7800));
}

void frmLocation::ShowModal(QWidget* owner) {
    DefaultInstance<frmLocation>::ShowModal(
        [](frmLocation& form) {
            form.Form_Load();
            return true;
        },
        owner);
}

void frmLocation::Form_Load() {
    const char* const tags[] = {"0", "1", "-3", "-2", "-1"};
    for (std::size_t i = 0; i < optLocationType.size(); ++i) optLocationType[i]->setProperty("Tag", tags[i]);
    if (modCommon::EditLocationID < 1) return;
    Trap("Form_Load", kObject, [&] {
        const std::optional<SideLists::Location> location =
            SideLists::ReadLocation(modCommon::Database().GetConnection(), modCommon::EditLocationID);
        if (!location) return;
        txbName->setText(QString::fromStdString(location->name));
        txbDescription->setText(QString::fromStdString(location->description));
        for (QRadioButton* option : optLocationType)
            if (!location->type.IsNull() &&
                option->property("Tag").toString().toLongLong() == location->type.ToLong()) {
                option->setChecked(true);
                break;
            }
    });
}

void frmLocation::OKButton_Click() {
    Trap("OKButton_Click", kObject, [&] {
        if (txbName->text().isEmpty()) {
            Prompts::MsgBox("Please enter the name of the location.", Prompts::OKOnly, "Enter Location Name");
            txbName->setFocus();
            return;
        }
        const QRadioButton* ticked = nullptr;
        for (const QRadioButton* option : optLocationType)
            if (option->isChecked()) {
                ticked = option;
                break;
            }
        if (!ticked) {
            Prompts::MsgBox("Please select a type for the location.", Prompts::OKOnly, "Enter Location Type");
            return;
        }
        const std::string name = txbName->text().toStdString();
        const std::string description = txbDescription->text().toStdString();
        const long type = ticked->property("Tag").toString().toLong();
        Connection& db = modCommon::Database().GetConnection();
        const long edited = modCommon::EditLocationID;
        if (SideLists::ReactivateIdentical(db, edited, name, description, type)) {
            done(QDialog::Accepted);
            return;
        }
        // A name that another location in the list has, or one too long, is refused, and the
        // keeper's entries stay for another try.
        if (!EntryNames::Accept("location", name,
                                [&] { return SideLists::SaveLocation(db, edited, name, description, type); })) {
            txbName->setFocus();
            return;
        }
        done(QDialog::Accepted);
    });
}

void frmLocation::CancelButton_Click() { done(QDialog::Rejected); }
