// The CSV exports of the selected animals: their movements, their details and their tag
// changes, each to a file the keeper names.
#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"
#include "register/CsvExports.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"

namespace {

const char* const kObject = "frmMain";
const char* const kCsvFilter = "CSV Files (*.csv)|*.csv";

// Writes the table in place of the file; with no row, tells the keeper and writes nothing.
void WriteExport(const std::string& path, const CsvExports::Table& table, const std::string& noRows) {
    if (table.rows.empty()) {
        Prompts::MsgBox(noRows, Prompts::OKOnly);
        return;
    }
    TextFile::Replace(path, CsvExports::FileText(table));
}

std::string NoAnimals(bool owned) {
    return std::string("There were no animals") + (owned ? " of your own" : "") + " selected.";
}

}  // namespace

std::string frmMain::ExportFileFor(const std::string& dialogTitle, const std::string& noneSelected,
                                   const std::string& noneSelectedTitle) {
    if (grdAnimals->SelCount() == 0) {
        Prompts::MsgBox(noneSelected, Prompts::OKOnly, noneSelectedTitle);
        return "";
    }
    return SaveFileName(dialogTitle, kCsvFilter);
}

std::vector<CsvExports::Chosen> frmMain::ChosenForExport() {
    std::vector<CsvExports::Chosen> chosen;
    for (Recordset::Bookmark bookmark : grdAnimals->SelBookmarks()) {
        mrsGridClone.SetBookmark(bookmark);
        chosen.push_back({static_cast<long>(mrsGridClone.Field("AnimalID").ToLong()),
                          static_cast<long>(mrsGridClone.Field("AnimalType").ToLong()),
                          mrsGridClone.Field("TagNumber").ToStringOr("")});
    }
    return chosen;
}

void frmMain::ExportMovementsCSV(bool ownedOnly) {
    Trap("ExportMovementsCSV", kObject, [&] {
        const std::string path = ExportFileFor("Export Movements to CSV File");
        if (path.empty()) return;
        WriteExport(path, CsvExports::Movements(modCommon::Database().GetConnection(), ChosenForExport(), ownedOnly),
                    NoAnimals(ownedOnly));
    });
}

void frmMain::ExportAnimalsCSV(bool ownedOnly) {
    Trap("ExportAnimalsCSV", kObject, [&] {
        const std::string path = ExportFileFor("Export Animal Details to CSV File");
        if (path.empty()) return;
        WriteExport(path, CsvExports::Animals(modCommon::Database().GetConnection(), ChosenForExport(), ownedOnly),
                    NoAnimals(ownedOnly));
    });
}

void frmMain::mnuExportTagChangesCSV_Click() {
    Trap("mnuExportTagChangesCSV_Click", kObject, [&] {
        const std::string path =
            ExportFileFor("Export Tag Changes to CSV File",
                          "Please select the animals in the grid whose tag changes you want to export.",
                          "Select Animals for Tag Change Export");
        if (path.empty()) return;
        WriteExport(path, CsvExports::TagChanges(modCommon::Database().GetConnection(), ChosenForExport()),
                    "None of the selected animal had any tag changes.");
    });
}
