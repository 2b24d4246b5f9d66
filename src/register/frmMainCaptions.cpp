// The main window set up for the current species, and its three captions: the window's, the
// animal grid's with its counts, and the Notes frame's.
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>
#include <cmath>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TabControl.h"
#include "widgets/WindowRules.h"

namespace {

const char* const kObject = "frmMain";
const QColor kSelectedGreen(175, 255, 175);

// The grid's columns as the species shows them; widths in twips.
struct GridColumn {
    const char* field;  // nullptr for the unbound "Tag" column
    const char* caption;
    int width;
    bool editable;
};
const GridColumn kGridColumns[] = {
    {"AnimalType", "Type", 1200, false},
    {"TagNumber", nullptr, 1000, false},
    {nullptr, "Tag", 800, false},
    {"Has EID", "EID?", 700, false},
    {"GenderID", "Gender", 1500, true},
    {"DateOfBirth", "Date of Birth", 1200, true},
    {"TaggingDate", "Tagging Date", 1200, true},
    {"BreedID", "Breed", 1500, true},
    {"LocationName", "Location", 1500, false},
};

}  // namespace

void frmMain::InitialiseForSpecies() {
    Trap("InitialiseForSpecies", kObject, [&] {
        DisplayGroups();
        DisplayLocations();
        DisplayGenders(false);
        DisplayBreeds(false);
        DisplayMovements();
        DisplayNote();
        DisplayPedigree();
        DisplayTreatments();
        tmrSetGridRecords_Timer();
        grdAnimals->SetSelectionColours(kSelectedGreen, Qt::black);
        if (!tagColumnInserted_) grdAnimals->Model().SetUnboundColumns(1);
        SetGridColumns();
        grdAnimals->HoldLayout();
        const bool sheep = modCommon::Species == modCommon::Sheep;
        tabDetails->SetTabVisible(5, sheep);
        SetGridHelp();
        SetCaption();
        mnuChangeHoldingNumber->setVisible(modCommon::HoldingNumberRequired);
        mnuChangeHerdNumber->setVisible(!sheep && modCommon::HerdFlockRequired);
        mnuChangeFlockNumber->setVisible(sheep && modCommon::HerdFlockRequired);
        tagColumnInserted_ = true;
    });
}

// Every column read-only and hidden, then the shown ones in the table's order, with their
// captions, widths and the editable ones made editable again.
void frmMain::SetGridColumns() {
    RecordsetModel& model = grdAnimals->Model();
    QHeaderView* header = grdAnimals->View().horizontalHeader();
    const int fields = mrsAnimalEID().FieldCount();
    for (int column = 0; column < model.columnCount(); ++column) {
        model.SetEditable(column, false);
        header->setSectionHidden(column, true);
    }
    // The widths were designed for a font whose digits are 90 twips wide; a wider font widens
    // the columns of text alike.
    const double scale = std::max(1.0, grdAnimals->fontMetrics().horizontalAdvance(QStringLiteral("0123456789")) /
                                           double(DesignGeometry::Pixels(900)));
    const bool sheep = modCommon::Species == modCommon::Sheep;
    int place = 0;
    for (const GridColumn& c : kGridColumns) {
        const int column = c.field ? grdAnimals->ColumnOf(c.field) : fields;
        if (column < 0) continue;
        const bool shown = std::string(c.field ? c.field : "") != "TaggingDate" || sheep;
        const char* caption = c.caption ? c.caption : (sheep ? "Flock" : "Herd");
        model.setHeaderData(column, Qt::Horizontal, QString::fromLatin1(caption));
        model.SetEditable(column, c.editable && shown);
        header->setSectionHidden(column, !shown);
        const bool text = c.field == nullptr || std::string(c.field) != "AnimalType";
        header->resizeSection(column,
                              static_cast<int>(std::lround(DesignGeometry::Pixels(c.width) * (text ? scale : 1.0))));
        grdAnimals->MoveColumn(column, place++);
    }
    SetGridFormats();
    grdAnimals->FitToValues(grdAnimals->ColumnOf("TagNumber"));
    grdAnimals->FitToValues(fields);  // the tag's number
    SetGridValueItems("GenderID", "Unknown");
    SetGridValueItems("BreedID", "Unknown");
}

void frmMain::SetCaption() {
    Trap("SetCaption", kObject, [&] {
        const bool sheep = modCommon::Species == modCommon::Sheep;
        std::string caption = "Kelvo Simple v" + modCommon::ProgramVersion() + " (c) the Kelvo makers ";
        caption += std::string("(") + (sheep ? "Sheep" : "Cattle") + ")";
        if (modCommon::HoldingNumberRequired) {
            auto holding = modCommon::FindKelvoData("HoldingNumber");
            if (holding && !holding->empty()) caption += "  Holding Number: " + *holding;
        }
        if (modCommon::HerdFlockRequired) {
            if (auto number = modCommon::FindKelvoData(sheep ? "FlockNumber" : "HerdNumber"))
                caption += (sheep ? "  Flock Number: " : "  Herd Number: ") + *number;
        }
        caption += "  Country: " + modCommon::CountryName;
        setWindowTitle(QString::fromStdString(caption));
    });
}

void frmMain::GetCorrectCount() {
    Trap("GetCorrectCount", kObject, [&] {
        if (mrsGridClone.IsOpen() && mrsGridClone.RecordCount() > 0) mrsGridClone.MoveLast();
        UpdateCaptions();
    });
}

void frmMain::UpdateCaptions() {
    Trap("UpdateCaptions", kObject, [&] {
        glngGridAnimalsAndTags = mrsGridClone.IsOpen() ? mrsGridClone.RecordCount() : 0;
        glngSelectedAnimalsAndTags = grdAnimals->SelCount();
        const std::string counts = std::to_string(glngSelectedAnimalsAndTags) +
                                   (glngSelectedAnimalsAndTags == 1 ? " animal" : " animals") + " out of " +
                                   std::to_string(glngGridAnimalsAndTags) + " selected in the grid";
        grdAnimals->SetCaption(QString::fromStdString(counts + mvntGridFilterCaption));
        UpdateFrameCaptions();
    });
}

void frmMain::UpdateFrameCaptions() {
    Trap("UpdateFrameCaptions", kObject, [&] {
        if (tabDetails->CurrentTab() != 9) return;
        const int animal = modCommon::GetSingleAnimalID();
        if (animal < 1) {
            fraTab[9]->setTitle(
                QStringLiteral("Notes will be displayed when a single animal is selected in the animal grid"));
            return;
        }
        Recordset rs = modCommon::Database().OpenRecordset("SELECT TagNumber FROM Animals WHERE AnimalID=" +
                                                           std::to_string(animal));
        fraTab[9]->setTitle(WindowRules::AsTyped("Notes for animal " + rs.Field("TagNumber").ToStringOr("")));
    });
}
