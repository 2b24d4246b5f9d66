#include "register/CsvExports.h"

#include <QTime>

#include <unordered_map>

#include "core/modCommon.h"
#include "core/modEID.h"
#include "platform/Connection.h"
#include "platform/Csv.h"
#include "platform/DateTime.h"

namespace {

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

}  // namespace

CsvExports::Table CsvExports::Movements(Connection& db, const std::vector<Chosen>& animals, bool ownedOnly) {
    const bool sheep = modCommon::Species == modCommon::Sheep;
    Recordset moves =
        db.Query(" SELECT Animals.AnimalID, AnimalType, TagNumber," + std::string(kNewestEID) +
                     " EventDate, Locations.LocationID, LocationName, LocationDescription, Details, LocationType"
                     " FROM"
                     "   (Animals INNER JOIN LocationLink ON Animals.AnimalID = LocationLink.AnimalID)"
                     "   INNER JOIN Locations ON LocationLink.LocationID = Locations.LocationID"
                     " WHERE Species=? ORDER BY EventDate,TagSort",
                 {Value(modCommon::Species)});
    const auto byAnimal = RowsByAnimal(moves);
    Table table{{"Movement Date", "Tag Number", "Movement", "Moved To", "Movement Details", "EID Number (Hex)",
                 "EID Number (Decimal)"},
                {}};
    if (sheep) table.columns.push_back("UK WYSIWYG");
    for (const Chosen& chosen : animals) {
        const auto found = byAnimal.find(chosen.animal);
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
            table.rows.push_back(std::move(line));
        }
    }
    return table;
}

CsvExports::Table CsvExports::Animals(Connection& db, const std::vector<Chosen>& animals, bool ownedOnly) {
    const std::string latest =
        " FROM Locations INNER JOIN LocationLink AS LL ON Locations.locationID=LL.LocationID"
        " WHERE LL.AnimalID=Animals.AnimalID"
        " ORDER BY LL.EventDate DESC, LL.LocationLinkID DESC LIMIT 1)";
    Recordset found = db.Query(" SELECT Animals.AnimalID, AnimalType, TagNumber," + std::string(kNewestEID) +
                                   " DateOfBirth, GenderName, BreedName,"
                                   " (SELECT LocationName" +
                                   latest + " AS LocationName, (SELECT EventDate" + latest +
                                   " AS DateOfLastMovement,"
                                   " DeathReason"
                                   " FROM"
                                   "   (Animals LEFT JOIN Genders ON Animals.GenderID=Genders.GenderID)"
                                   "   LEFT JOIN Breeds ON Animals.BreedID=Breeds.BreedID"
                                   " WHERE Animals.Species=?",
                               {Value(modCommon::Species)});
    const auto byAnimal = RowsByAnimal(found);
    Table table{{"Tag Number", "EID Number", "Date of Birth", "Gender", "Breed", "Location", "Date of Last Move",
                 "Death Reason"},
                {}};
    for (const Chosen& chosen : animals) {
        if (chosen.type == 0 || (ownedOnly && chosen.type != 1)) continue;
        const auto rows = byAnimal.find(chosen.animal);
        if (rows == byAnimal.end()) continue;
        found.SetBookmark(found.BookmarkAt(rows->second.front()));
        table.rows.push_back({Text(found, "TagNumber"), Text(found, "EIDNumber"), DateText(found.Field("DateOfBirth")),
                              Text(found, "GenderName"), Text(found, "BreedName"), Text(found, "LocationName"),
                              DateText(found.Field("DateOfLastMovement")), Text(found, "DeathReason")});
    }
    return table;
}

// TagChanges keeps the old tag of each change; the new one is the animal's tag for its newest
// change, and the old tag of the next newer change for each older one.
CsvExports::Table CsvExports::TagChanges(Connection& db, const std::vector<Chosen>& animals) {
    Recordset changes = db.Query(
        " SELECT AnimalID, EventDate, OldTag"
        " FROM TagChanges"
        " ORDER BY AnimalID, EventDate DESC, TagChangeID DESC");
    const auto byAnimal = RowsByAnimal(changes);
    Table table{{"Event Date", "Old Tag", "New Tag"}, {}};
    for (const Chosen& chosen : animals) {
        std::string newTag = chosen.tag;
        const auto found = byAnimal.find(chosen.animal);
        if (found == byAnimal.end()) continue;
        for (long row : found->second) {
            changes.SetBookmark(changes.BookmarkAt(row));
            std::string oldTag = Text(changes, "OldTag");
            table.rows.push_back({DateText(changes.Field("EventDate")), oldTag, newTag});
            newTag = std::move(oldTag);
        }
    }
    return table;
}

std::string CsvExports::FileText(const Table& table) {
    std::string file = Csv::FormatLine(table.columns, false) + "\r\n";
    file.reserve(file.size() + table.rows.size() * 120);
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        if (i) file += "\r\n";
        file += Csv::FormatLine(table.rows[i], true);
    }
    return file;
}
