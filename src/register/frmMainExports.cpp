// The CSV exports of the selected animals: their movements, their details and their tag
// changes. Every file is a header line of column names, then one line of quoted values per
// row, lines joined by CR LF, and no line end after the last.
#include <QTime>

#include <unordered_map>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modEID.h"
#include "platform/Csv.h"
#include "platform/Prompts.h"
#include "platform/TextFile.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"

namespace {

const char* const kObject = "frmMain";
const char* const kCsvFilter = "CSV Files (*.csv)|*.csv";

using modCommon::Database;
using Row = std::vector<std::string>;

// The newest EID of the outer query's animal.
const char* const kNewestEID =
    " (SELECT EIDNumber FROM EIDs WHERE EIDs.AnimalID=Animals.AnimalID ORDER BY EIDID DESC LIMIT 1) AS EIDNumber,";

// A stored date as the keeper's settings write it: the short date, and the time after a blank
// when it is not midnight.
std::string DateText(const Value& stored) {
    const auto date = DateTime::FromText(stored.ToStringOr(""));
    if (!date) return "";
    std::string text = date->ToUserText();
    if (date->hour || date->minute || date->second)
        text += " " + QTime(date->hour, date->minute, date->second).toString(QStringLiteral("HH:mm:ss")).toStdString();
    return text;
}

std::string Text(const Recordset& rows, const char* field) { return rows.Field(field).ToStringOr(""); }

// The rows of a query by animal, each animal's in the query's order.
std::unordered_map<long, std::vector<long>> RowsByAnimal(const Recordset& rows) {
    std::unordered_map<long, std::vector<long>> byAnimal;
    const int id = rows.FieldIndex("AnimalID");
    for (long row = 0; row < rows.Rows(); ++row) byAnimal[static_cast<long>(rows.At(row, id).ToLong())].push_back(row);
    return byAnimal;
}

// Writes the header and the rows in place of the file; with no row, tells the keeper and
// writes nothing.
void WriteExport(const std::string& path, const Row& columns, const std::vector<Row>& rows, const std::string& noRows) {
    if (rows.empty()) {
        Prompts::MsgBox(noRows, Prompts::OKOnly);
        return;
    }
    std::string file = Csv::FormatLine(columns, false) + "\r\n";
    file.reserve(file.size() + rows.size() * 120);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i) file += "\r\n";
        file += Csv::FormatLine(rows[i], true);
    }
    TextFile::Replace(path, file);
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

void frmMain::ExportMovementsCSV(bool ownedOnly) {
    Trap("ExportMovementsCSV", kObject, [&] {
        const std::string path = ExportFileFor("Export Movements to CSV File");
        if (path.empty()) return;
        const bool sheep = modCommon::Species == modCommon::Sheep;
        Recordset moves = Database().OpenRecordset(
            " SELECT Animals.AnimalID, AnimalType, TagNumber," + std::string(kNewestEID) +
            " EventDate, Locations.LocationID, LocationName, LocationDescription, Details, LocationType"
            " FROM"
            "   (Animals INNER JOIN LocationLink ON Animals.AnimalID = LocationLink.AnimalID)"
            "   INNER JOIN Locations ON LocationLink.LocationID = Locations.LocationID"
            " WHERE Species=" +
            std::to_string(modCommon::Species) + " ORDER BY EventDate,TagSort");
        const auto byAnimal = RowsByAnimal(moves);
        std::vector<Row> rows;
        for (long animal : SelectedAnimalIDs()) {
            const auto found = byAnimal.find(animal);
            if (found == byAnimal.end()) continue;
            moves.SetBookmark(moves.BookmarkAt(found->second.front()));
            if (ownedOnly && moves.Field("AnimalType").ToLong() != 1) continue;
            for (long row : found->second) {
                moves.SetBookmark(moves.BookmarkAt(row));
                const Value& type = moves.Field("LocationType");
                const std::string description = Text(moves, "LocationDescription");
                std::string details = Text(moves, "Details");
                std::erase(details, '"');
                const std::string eid = Text(moves, "EIDNumber");
                const std::string decimal = eid.empty() ? "" : modEID::HexEIDToDecimalEID(eid).Decimal;
                Row line = {DateText(moves.Field("EventDate")),
                            Text(moves, "TagNumber"),
                            !type.IsNull() && type.ToLong() >= 0 ? "Moved On" : "Moved Off",
                            Text(moves, "LocationName") + (description.empty() ? "" : " (" + description + ")"),
                            details,
                            eid,
                            decimal};
                if (sheep) line.push_back(decimal.empty() ? "" : modEID::DecimalToWYSIWYG(decimal, "04"));
                rows.push_back(std::move(line));
            }
        }
        Row columns = {"Movement Date",    "Tag Number",          "Movement", "Moved To", "Movement Details",
                       "EID Number (Hex)", "EID Number (Decimal)"};
        if (sheep) columns.push_back("UK WYSIWYG");
        WriteExport(path, columns, rows, NoAnimals(ownedOnly));
    });
}

void frmMain::ExportAnimalsCSV(bool ownedOnly) {
    Trap("ExportAnimalsCSV", kObject, [&] {
        const std::string path = ExportFileFor("Export Animal Details to CSV File");
        if (path.empty()) return;
        const std::string latest =
            " FROM Locations INNER JOIN LocationLink AS LL ON Locations.locationID=LL.LocationID"
            " WHERE LL.AnimalID=Animals.AnimalID"
            " ORDER BY LL.EventDate DESC, LL.LocationLinkID DESC LIMIT 1)";
        Recordset animals =
            Database().OpenRecordset(" SELECT Animals.AnimalID, AnimalType, TagNumber," + std::string(kNewestEID) +
                                     " DateOfBirth, GenderName, BreedName,"
                                     " (SELECT LocationName" +
                                     latest + " AS LocationName, (SELECT EventDate" + latest +
                                     " AS DateOfLastMovement,"
                                     " DeathReason"
                                     " FROM"
                                     "   (Animals LEFT JOIN Genders ON Animals.GenderID=Genders.GenderID)"
                                     "   LEFT JOIN Breeds ON Animals.BreedID=Breeds.BreedID"
                                     " WHERE Animals.Species=" +
                                     std::to_string(modCommon::Species));
        const auto byAnimal = RowsByAnimal(animals);
        std::vector<Row> rows;
        for (Recordset::Bookmark bookmark : grdAnimals->SelBookmarks()) {
            mrsGridClone.SetBookmark(bookmark);
            const long type = static_cast<long>(mrsGridClone.Field("AnimalType").ToLong());
            if (type == 0 || (ownedOnly && type != 1)) continue;
            const auto found = byAnimal.find(static_cast<long>(mrsGridClone.Field("AnimalID").ToLong()));
            if (found == byAnimal.end()) continue;
            animals.SetBookmark(animals.BookmarkAt(found->second.front()));
            rows.push_back({Text(animals, "TagNumber"), Text(animals, "EIDNumber"),
                            DateText(animals.Field("DateOfBirth")), Text(animals, "GenderName"),
                            Text(animals, "BreedName"), Text(animals, "LocationName"),
                            DateText(animals.Field("DateOfLastMovement")), Text(animals, "DeathReason")});
        }
        WriteExport(path,
                    {"Tag Number", "EID Number", "Date of Birth", "Gender", "Breed", "Location", "Date of Last Move",
                     "Death Reason"},
                    rows, NoAnimals(ownedOnly));
    });
}

// TagChanges keeps the old tag of each change; the new one is the animal's tag for its newest
// change, and the old tag of the next newer change for each older one.
void frmMain::mnuExportTagChangesCSV_Click() {
    Trap("mnuExportTagChangesCSV_Click", kObject, [&] {
        const std::string path =
            ExportFileFor("Export Tag Changes to CSV File",
                          "Please select the animals in the grid whose tag changes you want to export.",
                          "Select Animals for Tag Change Export");
        if (path.empty()) return;
        Recordset changes = Database().OpenRecordset(
            " SELECT AnimalID, EventDate, OldTag"
            " FROM TagChanges"
            " ORDER BY AnimalID, EventDate DESC, TagChangeID DESC");
        const auto byAnimal = RowsByAnimal(changes);
        std::vector<Row> rows;
        for (Recordset::Bookmark bookmark : grdAnimals->SelBookmarks()) {
            mrsGridClone.SetBookmark(bookmark);
            std::string newTag = mrsGridClone.Field("TagNumber").ToStringOr("");
            const auto found = byAnimal.find(static_cast<long>(mrsGridClone.Field("AnimalID").ToLong()));
            if (found == byAnimal.end()) continue;
            for (long row : found->second) {
                changes.SetBookmark(changes.BookmarkAt(row));
                std::string oldTag = Text(changes, "OldTag");
                rows.push_back({DateText(changes.Field("EventDate")), oldTag, newTag});
                newTag = std::move(oldTag);
            }
        }
        WriteExport(path, {"Event Date", "Old Tag", "New Tag"}, rows,
                    "None of the selected animal had any tag changes.");
    });
}
