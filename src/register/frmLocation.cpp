#include "register/frmLocation.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Prompts.h"
#include "register/EntryNames.h"
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
        Recordset rs = modCommon::Database().OpenRecordset("SELECT * FROM Locations WHERE LocationID=" +
                                                           std::to_string(modCommon::EditLocationID));
        txbName->setText(QString::fromStdString(rs.Field("LocationName").ToStringOr("")));
        txbDescription->setText(QString::fromStdString(rs.Field("LocationDescription").ToStringOr("")));
        const Value type = rs.Field("LocationType");
        for (QRadioButton* option : optLocationType)
            if (!type.IsNull() && option->property("Tag").toString().toLongLong() == type.ToLong()) {
                option->setChecked(true);
                break;
            }
        rs.Close();
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
        const std::string name = modCommon::SQLQuotes(txbName->text().toStdString());
        const std::string description = modCommon::SQLQuotes(txbDescription->text().toStdString());
        const std::string type = ticked->property("Tag").toString().toStdString();
        const std::string same =
            "LocationName='" + name + "' AND LocationDescription='" + description + "' AND LocationType=" + type;
        clsDatabase& db = modCommon::Database();
        // Names compare without regard to case, so an edit that changes only the case of the
        // name finds the edited location itself: that edit is stored like any other.
        Recordset identical = db.OpenRecordset("SELECT * FROM Locations WHERE " + same);
        const bool recased = !identical.Eof() && identical.Field("LocationID").ToLong() == modCommon::EditLocationID &&
                             identical.Field("LocationName").ToStringOr("") != txbName->text().toStdString();
        if (!identical.Eof() && !recased) {
            db.Execute("UPDATE Locations SET Active=1 WHERE " + same);
            done(QDialog::Accepted);
            return;
        }
        // A name that another location in the list has, or one too long, is refused, and the
        // keeper's entries stay for another try.
        const std::string edited = std::to_string(modCommon::EditLocationID);
        Recordset others = db.OpenRecordset("SELECT Count(*) FROM Locations WHERE Active AND LocationName='" + name +
                                            "' AND LocationID<>" + edited);
        if (!EntryNames::Accept("location", txbName->text().toStdString(),
                                static_cast<long>(others.Field(0).ToLong()))) {
            txbName->setFocus();
            return;
        }
        if (modCommon::EditLocationID < 1)
            db.Execute("INSERT INTO Locations (LocationName,LocationDescription,LocationType,Active) VALUES ('" + name +
                       "','" + description + "'," + type + ",1)");
        else
            db.Execute("UPDATE Locations SET LocationName='" + name + "', LocationDescription='" + description +
                       "', LocationType=" + type + ",Active=1 WHERE LocationID=" + edited);
        done(QDialog::Accepted);
    });
}

void frmLocation::CancelButton_Click() { done(QDialog::Rejected); }
