#include "core/modSchema.h"

#include <algorithm>
#include <set>

#include "core/modCommon.h"
#include "platform/Connection.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace {

// The version 1.0.0 database: the tables the upgrade script does not create, their indexes
// and the rows the program relies on. Dates are 'YYYY-MM-DD HH:MM:SS' text; Jet compared
// tags, EIDs and names without case, so those columns do too.
const char* const kTemplate = R"SQL(
CREATE TABLE Animals (AnimalID INTEGER PRIMARY KEY AUTOINCREMENT, AnimalType INTEGER DEFAULT 1,
  TagNumber TEXT COLLATE NOCASE, TagSort INTEGER DEFAULT 0, DateOfBirth TEXT, GenderID INTEGER,
  BreedID INTEGER, DeathReason TEXT);
CREATE INDEX AnimalsTagSort ON Animals (TagSort);
CREATE INDEX AnimalsTagNumber ON Animals (TagNumber);
CREATE TABLE EIDs (EIDID INTEGER PRIMARY KEY AUTOINCREMENT, AnimalID INTEGER,
  EIDNumber TEXT COLLATE NOCASE);
CREATE INDEX EIDsAnimalID ON EIDs (AnimalID);
CREATE INDEX EIDsEIDNumber ON EIDs (EIDNumber);
CREATE TABLE Breeds (BreedID INTEGER PRIMARY KEY AUTOINCREMENT, BreedName TEXT COLLATE NOCASE);
CREATE TABLE Genders (GenderID INTEGER PRIMARY KEY AUTOINCREMENT, GenderName TEXT COLLATE NOCASE);
CREATE TABLE Groups (GroupID INTEGER PRIMARY KEY AUTOINCREMENT, GroupName TEXT COLLATE NOCASE,
  ExportToHH INTEGER DEFAULT 0, Permanent INTEGER DEFAULT 0);
CREATE TABLE GroupLink (GroupID INTEGER, AnimalID INTEGER);
CREATE INDEX GroupLinkGroup ON GroupLink (GroupID, AnimalID);
CREATE INDEX GroupLinkAnimal ON GroupLink (AnimalID);
CREATE TABLE Locations (LocationID INTEGER PRIMARY KEY AUTOINCREMENT,
  LocationName TEXT COLLATE NOCASE, LocationDescription TEXT, Active INTEGER DEFAULT 1,
  Permanent INTEGER DEFAULT 0, ExportToHH INTEGER DEFAULT 0);
CREATE TABLE LocationLink (LocationLinkID INTEGER PRIMARY KEY AUTOINCREMENT, LocationID INTEGER,
  AnimalID INTEGER, EventDate TEXT, Details TEXT);
CREATE INDEX LocationLinkAnimalLocation ON LocationLink (AnimalID, EventDate, LocationLinkID, LocationID);
CREATE INDEX LocationLinkDate ON LocationLink (EventDate);
CREATE INDEX LocationLinkLocation ON LocationLink (LocationID);
CREATE TABLE Notes (RecordID INTEGER PRIMARY KEY AUTOINCREMENT, AnimalID INTEGER, Note TEXT);
CREATE INDEX NotesAnimalID ON Notes (AnimalID);
CREATE TABLE TagChanges (TagChangeID INTEGER PRIMARY KEY AUTOINCREMENT, AnimalID INTEGER,
  OldTag TEXT COLLATE NOCASE, NewTag TEXT COLLATE NOCASE, EventDate TEXT);
CREATE INDEX TagChangesAnimalID ON TagChanges (AnimalID);
CREATE TABLE KelvoData (ItemName TEXT COLLATE NOCASE, ItemData TEXT);
CREATE TABLE HHProgramIndex (ProgramID INTEGER PRIMARY KEY AUTOINCREMENT, ProgramName TEXT);
CREATE TABLE HHPrograms (RecordID INTEGER PRIMARY KEY AUTOINCREMENT, ProgramID INTEGER, ProgramLine TEXT);
CREATE TABLE HHSetupIndex (SetupID INTEGER PRIMARY KEY AUTOINCREMENT, SetupName TEXT);
CREATE TABLE HHSetupData (RecordID INTEGER PRIMARY KEY AUTOINCREMENT, SetupID INTEGER, ItemName TEXT, ItemData TEXT);
INSERT INTO Locations (LocationID, LocationName, LocationDescription, Active, Permanent)
  VALUES (1, 'Removed from Records', 'Animals removed from the records', 1, 1);
INSERT INTO Locations (LocationID, LocationName, LocationDescription, Active, Permanent)
  VALUES (2, 'Dead', 'Animals that have died', 1, 1);
INSERT INTO Locations (LocationID, LocationName, LocationDescription, Active, Permanent)
  VALUES (3, 'Holding', '', 1, 1);
INSERT INTO Groups (GroupID, GroupName, ExportToHH, Permanent) VALUES (1, 'Last Import', 0, 1);
INSERT INTO Groups (GroupID, GroupName, ExportToHH, Permanent) VALUES (2, 'New Animals', 0, 1);
INSERT INTO KelvoData (ItemName, ItemData) VALUES ('Version', '1.0.0');
)SQL";

// The movement scripts, in RecordID order.
const char* const kOrphanTreatments =
    "DELETE FROM Treatments WHERE TreatmentID IN (SELECT Treatments.TreatmentID FROM Treatments "
    "LEFT JOIN TreatmentLink ON Treatments.TreatmentID=TreatmentLink.TreatmentID WHERE "
    "TreatmentLinkID Is Null)";
const char* const kLaterMoves = "DELETE FROM LocationLink WHERE AnimalID=@AnimalID AND EventDate>@Date";
const char* const kLaterTagChanges = "DELETE FROM TagChanges WHERE AnimalID=@AnimalID AND EventDate>@Date";
const char* const kLaterTreatments =
    "DELETE FROM TreatmentLink WHERE AnimalID=@AnimalID AND TreatmentID IN (SELECT TreatmentID "
    "FROM Treatments WHERE EventDate>@Date)";
const char* const kInsertMove =
    "INSERT INTO LocationLink (LocationID, AnimalID, EventDate, Details) VALUES "
    "(@LocationID,@AnimalID,@Date,'@Details')";
const char* const kLastMoveTo =
    "(SELECT EventDate FROM LocationLink WHERE AnimalID=@AnimalID AND LocationID=@LocationID "
    "ORDER BY EventDate DESC, LocationLinkID DESC LIMIT 1)";

// The statements that find one move of the animal: its latest up to the date, with the type of that
// move's location (moves to a location without a row left out), its latest up to the date with that
// location, its first from the date on with its location, and what taking back a move to the
// location finds.
const char* const kLatestMoveOffJoin =
    " FROM LocationLink INNER JOIN Locations ON LocationLink.LocationID=Locations.LocationID WHERE "
    "AnimalID=@AnimalID AND EventDate<=@Date ORDER BY EventDate DESC, LocationLinkID DESC LIMIT 1)";
const char* const kLatest =
    " FROM LocationLink WHERE AnimalID=@AnimalID AND EventDate<=@Date ORDER BY EventDate DESC, "
    "LocationLinkID DESC LIMIT 1)";
const char* const kFirst =
    " FROM LocationLink WHERE AnimalID=@AnimalID AND EventDate>=@Date ORDER BY EventDate ASC, "
    "LocationLinkID ASC LIMIT 1)";

std::string BeforeReturn() {
    return "(SELECT LocationID FROM LocationLink WHERE AnimalID=@AnimalID AND EventDate<= " + std::string(kLastMoveTo) +
           " AND LocationID<>@LocationID ORDER BY EventDate DESC, LocationLinkID DESC LIMIT 1)";
}
std::string AfterLastMoveTo(const char* field) {
    return "(SELECT " + std::string(field) + " FROM LocationLink WHERE AnimalID=@AnimalID AND EventDate> " +
           kLastMoveTo + " ORDER BY EventDate ASC, LocationLinkID ASC LIMIT 1)";
}
std::string LatestMoveTo() {
    // Moves of one date are told apart by the higher LocationLinkID.
    return "(SELECT LocationLinkID FROM LocationLink WHERE AnimalID=@AnimalID AND EventDate= " +
           std::string(kLastMoveTo) + " AND LocationID=@LocationID ORDER BY LocationLinkID DESC LIMIT 1)";
}

// ---- For many animals at once ------------------------------------------------------------------
//
// Every statement of a script touches the rows of its own animal alone (@AnimalID), apart from the
// clean-up of the treatments that no animal is linked to any more, which takes whatever it finds.
// Run for one animal after another, no animal's statements meet another's rows. So each statement
// run once for every animal of temp.MovingAnimals, in the script's order, leaves the same rows:
// where a statement finds one move of an animal (the move before or after the date) it finds it in
// the state the animal's own earlier statements left, the clean-up finds at the end what it would
// have found by then (links are only ever taken away), and the new moves go in in the animals'
// order, so that they take the same keys.

// Each moving animal, for `AnimalID IN`.
const char* const kEachMoving = " IN (SELECT AnimalID FROM temp.MovingAnimals)";

// A statement's subquery about its animal, asked about each moving animal M in turn.
std::string ForEach(std::string subquery) {
    ReplaceAll(subquery, "@AnimalID", "M.AnimalID");
    return subquery;
}

// The move `found` finds for each moving animal for which `condition` holds.
std::string DeleteFoundForEach(const std::string& found, const std::string& condition = "") {
    return "DELETE FROM LocationLink WHERE LocationLinkID IN (SELECT " + ForEach(found) +
           " FROM temp.MovingAnimals AS M" + (condition.empty() ? "" : " WHERE " + ForEach(condition)) + ")";
}

struct MovementStatement {
    std::string type, one, many;
};

// A statement whose only mention of its animal is "<column>=@AnimalID": for many, every moving animal.
MovementStatement ByAnimal(const char* type, const std::string& one) {
    std::string many = one;
    const std::size_t at = many.find("=@AnimalID");
    many.replace(at, 10, kEachMoving);
    return {type, one, many};
}

std::vector<MovementStatement> MovementStatements() {
    const std::string orphans = kOrphanTreatments;
    const std::string insert =
        "INSERT INTO LocationLink (LocationID, AnimalID, EventDate, Details) SELECT @LocationID,AnimalID,@Date,"
        "'@Details' FROM temp.MovingAnimals ORDER BY Position";
    const std::string latestOff = "(SELECT LocationLinkID" + std::string(kLatestMoveOffJoin);
    const std::string latestOffType = "(SELECT LocationType" + std::string(kLatestMoveOffJoin);
    const std::string latest = "(SELECT LocationLinkID" + std::string(kLatest);
    const std::string latestAt = "(SELECT LocationID" + std::string(kLatest);
    const std::string first = "(SELECT LocationLinkID" + std::string(kFirst);
    const std::string firstAt = "(SELECT LocationID" + std::string(kFirst);
    const std::string back = BeforeReturn() + "= " + AfterLastMoveTo("LocationID");
    const auto later = [&](const char* type) {
        return std::vector<MovementStatement>{ByAnimal(type, kLaterMoves),
                                              ByAnimal(type, kLaterTagChanges),
                                              ByAnimal(type, kLaterTreatments),
                                              {type, orphans, orphans}};
    };
    std::vector<MovementStatement> all{
        ByAnimal("Remove", "DELETE FROM Animals WHERE AnimalID=@AnimalID"),
        ByAnimal("Remove", "UPDATE Animals SET DamID=0 WHERE DamID=@AnimalID"),
        ByAnimal("Remove", "UPDATE Animals SET SireID=0 WHERE SireID=@AnimalID"),
        ByAnimal("Remove", "DELETE FROM EIDs WHERE AnimalID=@AnimalID"),
        ByAnimal("Remove", "DELETE FROM GroupLink WHERE AnimalID=@AnimalID"),
        ByAnimal("Remove", "DELETE FROM LocationLink WHERE AnimalID=@AnimalID"),
        ByAnimal("Remove", "DELETE FROM Notes WHERE AnimalID=@AnimalID"),
        ByAnimal("Remove", "DELETE FROM TagChanges WHERE AnimalID=@AnimalID"),
        ByAnimal("Remove", "DELETE FROM TreatmentLink WHERE AnimalID=@AnimalID"),
        {"Remove", orphans, orphans},
        ByAnimal("Dead", "UPDATE Animals SET DeathReason='@DeathReason' WHERE AnimalID=@AnimalID")};
    const auto add = [&](std::vector<MovementStatement> more) { all.insert(all.end(), more.begin(), more.end()); };
    add(later("Dead"));
    add({{"Dead", kInsertMove, insert},
         {"Out", "DELETE FROM LocationLink WHERE LocationLinkID= " + latestOff + " AND " + latestOffType + " <0",
          DeleteFoundForEach(latestOff, latestOffType + " <0")}});
    add(later("Out"));
    add({{"Out", kInsertMove, insert},
         {"In", "DELETE FROM LocationLink WHERE LocationLinkID= " + latest + " AND " + latestAt + " =@LocationID",
          DeleteFoundForEach(latest, latestAt + " =@LocationID")},
         {"In", "DELETE FROM LocationLink WHERE LocationLinkID= " + first + " AND " + firstAt + " =@LocationID",
          DeleteFoundForEach(first, firstAt + " =@LocationID")},
         {"In", kInsertMove, insert},
         ByAnimal("UnDead", "UPDATE ANIMALS SET DeathReason=Null WHERE AnimalID=@AnimalID"),
         ByAnimal("UnDead", "DELETE FROM LocationLink WHERE AnimalID=@AnimalID AND LocationID=@LocationID")});
    for (const char* type : {"UnOut", "UnIn"})
        add({{type,
              "DELETE FROM LocationLink WHERE " + back + " AND LocationLinkID= " + AfterLastMoveTo("LocationLinkID"),
              DeleteFoundForEach(AfterLastMoveTo("LocationLinkID"), back)},
             {type, "DELETE FROM LocationLink WHERE LocationLinkID= " + LatestMoveTo(),
              DeleteFoundForEach(LatestMoveTo())}});
    return all;
}

// The tables the program reads and writes and their columns, by the version of the script that
// brought them in; a table's key where it has one. The columns the script drops are not among them.
struct TableColumns {
    const char* version;
    const char* table;
    const char* key;  // none: the table has no key, or the entry only adds columns
    std::vector<const char*> columns;
};

const std::vector<TableColumns>& ProgramTables() {
    static const std::vector<TableColumns> tables = {
        {"1.0.0",
         "Animals",
         "AnimalID",
         {"AnimalType", "TagNumber", "TagSort", "DateOfBirth", "GenderID", "BreedID", "DeathReason"}},
        {"1.0.0", "EIDs", "EIDID", {"AnimalID", "EIDNumber"}},
        {"1.0.0", "Breeds", "BreedID", {"BreedName"}},
        {"1.0.0", "Genders", "GenderID", {"GenderName"}},
        {"1.0.0", "Groups", "GroupID", {"GroupName", "ExportToHH", "Permanent"}},
        {"1.0.0", "GroupLink", nullptr, {"GroupID", "AnimalID"}},
        {"1.0.0", "Locations", "LocationID", {"LocationName", "LocationDescription", "Active", "Permanent"}},
        {"1.0.0", "LocationLink", "LocationLinkID", {"LocationID", "AnimalID", "EventDate", "Details"}},
        {"1.0.0", "Notes", "RecordID", {"AnimalID", "Note"}},
        {"1.0.0", "TagChanges", "TagChangeID", {"AnimalID", "OldTag", "EventDate"}},
        {"1.0.0", "KelvoData", nullptr, {"ItemName", "ItemData"}},
        {"1.0.1", "Animals", nullptr, {"Species"}},
        {"1.0.1", "Breeds", nullptr, {"Species"}},
        {"1.0.1", "Genders", nullptr, {"Species"}},
        {"1.0.1", "Countries", "CountryID", {"CountryName", "HerdFlockRequired", "HoldingNumberRequired"}},
        {"1.0.3", "Animals", nullptr, {"DamID", "SireID"}},
        {"1.0.3", "Locations", nullptr, {"LocationType"}},
        {"1.0.3", "TreatmentLink", "TreatmentLinkID", {"TreatmentID", "AnimalID"}},
        {"1.0.3", "Treatments", "TreatmentID", {"EventDate", "MedicineName", "Amount", "Unit", "TreatedBy", "Reason"}},
        {"1.0.3", "SQLTable", "RecordID", {"MovementType", "SQLStatement"}},
        {"1.0.4", "Animals", nullptr, {"TaggingDate"}},
    };
    return tables;
}

// A key column is the table's row number, which SQLite fills in for a new row, only when it is
// the whole primary key, declared INTEGER, and needs no index of its own (one declared
// "INTEGER PRIMARY KEY DESC", or in a table WITHOUT ROWID, has one).
bool IsRowNumberKey(Connection& db, const std::string& table, const std::string& key) {
    Recordset pk = db.Query("SELECT name, upper(type) FROM pragma_table_info(?) WHERE pk>0", {Value(table)});
    if (pk.Rows() != 1 || LowerAscii(pk.Field(0).ToString()) != LowerAscii(key) || pk.Field(1).ToString() != "INTEGER")
        return false;
    return db.Query("SELECT count(*) FROM pragma_index_list(?) WHERE origin='pk'", {Value(table)}).Field(0).ToLong() ==
           0;
}

std::set<std::string> ColumnNames(Connection& db, const std::string& table) {
    std::set<std::string> names;
    for (Recordset rs = db.Query("SELECT name FROM pragma_table_info(?)", {Value(table)}); !rs.Eof(); rs.MoveNext())
        names.insert(LowerAscii(rs.Field(0).ToString()));
    return names;
}

std::string BuildScript() {
    using modCommon::SQLQuotes;
    std::vector<std::string> v101 = {
        "ALTER TABLE Animals ADD COLUMN Species INTEGER",
        "ALTER TABLE Breeds ADD COLUMN Species INTEGER",
        "ALTER TABLE Genders ADD COLUMN Species INTEGER",
        "UPDATE Animals SET Species=2",
        "UPDATE Breeds SET Species=2",
        "UPDATE Genders SET Species=2",
        "CREATE TABLE Countries (CountryID INTEGER PRIMARY KEY AUTOINCREMENT, CountryName TEXT "
        "COLLATE NOCASE, HerdFlockRequired INTEGER, HoldingNumberRequired INTEGER)",
    };
    const std::tuple<const char*, int, int> countries[] = {{"England", 1, 1},
                                                           {"Scotland", 1, 1},
                                                           {"Wales", 1, 1},
                                                           {"Northern Ireland", 1, 0},
                                                           {"Isle of Man", 1, 0},
                                                           {"Other EEC Countries", 0, 0},
                                                           {"Other Non-EEC Countries", 0, 0}};
    for (auto& [name, herd, holding] : countries)
        v101.push_back("INSERT INTO Countries (CountryName, HerdFlockRequired, HoldingNumberRequired) VALUES ('" +
                       std::string(name) + "'," + std::to_string(herd) + "," + std::to_string(holding) + ")");
    std::vector<std::string> v103 = {
        "ALTER TABLE Animals ADD COLUMN DamID INTEGER DEFAULT 0",
        "ALTER TABLE Animals ADD COLUMN SireID INTEGER DEFAULT 0",
        "UPDATE Animals SET DamID=0",
        "UPDATE Animals SET SireID=0",
        "CREATE TABLE TreatmentLink (TreatmentLinkID INTEGER PRIMARY KEY AUTOINCREMENT, "
        "TreatmentID INTEGER, AnimalID INTEGER)",
        "CREATE INDEX TreatmentLinkAnimal ON TreatmentLink (AnimalID, TreatmentID)",
        "CREATE TABLE Treatments (TreatmentID INTEGER PRIMARY KEY AUTOINCREMENT, EventDate TEXT, "
        "MedicineName TEXT COLLATE NOCASE, Amount REAL, Unit TEXT, TreatedBy TEXT, Reason TEXT)",
        "ALTER TABLE Locations ADD COLUMN LocationType INTEGER",
        "UPDATE Locations SET LocationType=0",
        "UPDATE Locations SET LocationType=-4 WHERE LocationID=1",
        "UPDATE Locations SET LocationType=-1 WHERE LocationID=2",
        "ALTER TABLE Locations DROP COLUMN ExportToHH",
        "DROP TABLE HHProgramIndex",
        "DROP TABLE HHPrograms",
        "DROP TABLE HHSetupData",
        "DROP TABLE HHSetupIndex",
        "CREATE TABLE SQLTable (RecordID INTEGER PRIMARY KEY AUTOINCREMENT, MovementType TEXT "
        "COLLATE NOCASE, SQLStatement TEXT)",
    };
    for (const MovementStatement& statement : MovementStatements())
        v103.push_back("INSERT INTO SQLTable (MovementType, SQLStatement) VALUES ('" + statement.type + "','" +
                       SQLQuotes(statement.one) + "')");
    return "1.0.0\r|1.0.1\r" + Join(v101, "\n") +
           "|1.0.2\rALTER TABLE TagChanges DROP COLUMN NewTag"
           "|1.0.3\r" +
           Join(v103, "\n") + "|1.0.4\rALTER TABLE Animals ADD COLUMN TaggingDate TEXT";
}

}  // namespace

namespace modSchema {

const std::string& DatabaseUpgradeScript() {
    static const std::string script = BuildScript();
    return script;
}

std::vector<std::string> ScriptVersions() {
    std::vector<std::string> versions;
    for (const auto& entry : Split(DatabaseUpgradeScript(), "|")) versions.push_back(entry.substr(0, entry.find('\r')));
    return versions;
}

std::vector<std::string> EntryStatements(const std::string& entry) {
    auto cr = entry.find('\r');
    if (cr == std::string::npos || cr + 1 >= entry.size()) return {};
    return Split(entry.substr(cr + 1), "\n");
}

std::string SchemaProblem(Connection& db, const std::string& version) {
    const std::vector<std::string> versions = ScriptVersions();
    const auto place = [&](const std::string& v) {
        return std::find(versions.begin(), versions.end(), v) - versions.begin();
    };
    const auto reached = place(version);
    std::set<std::string> tables;
    for (const auto& name : db.TableNames()) tables.insert(LowerAscii(name));
    for (const auto& entry : ProgramTables()) {
        if (place(entry.version) > reached) continue;
        const std::string table = entry.table;
        if (!tables.count(LowerAscii(table))) return "The database has no table " + table + ".";
        if (entry.key && !IsRowNumberKey(db, table, entry.key))
            return "The key " + std::string(entry.key) + " of the table " + table + " is not an INTEGER PRIMARY KEY.";
        const std::set<std::string> columns = ColumnNames(db, table);
        for (const char* column : entry.columns)
            if (!columns.count(LowerAscii(column)))
                return "The table " + table + " has no column " + std::string(column) + ".";
    }
    return "";
}

void CreateQueryIndexes(Connection& db) {
    try {
        // Looked at first, so that a start takes no write lock when they are there.
        if (db.Query("SELECT (SELECT count(*) FROM sqlite_master WHERE name IN ('LocationLinkAnimalLocation',"
                     "'LocationLinkDate','AnimalsSpeciesTag'))=3 AND NOT EXISTS (SELECT 1 FROM sqlite_master WHERE "
                     "name='LocationLinkAnimalDate')")
                .Field(0)
                .ToBool())
            return;
        Connection::Transaction transaction(db);
        db.Execute(
            "CREATE INDEX IF NOT EXISTS LocationLinkAnimalLocation ON LocationLink (AnimalID, EventDate, "
            "LocationLinkID, LocationID);"
            "DROP INDEX IF EXISTS LocationLinkAnimalDate;"
            "CREATE INDEX IF NOT EXISTS LocationLinkDate ON LocationLink (EventDate);"
            "CREATE INDEX IF NOT EXISTS AnimalsSpeciesTag ON Animals (Species, TagSort, TagNumber);");
        transaction.Commit();
    } catch (const RuntimeError&) {
        // A file that takes no writes now (read-only, or another program is writing) answers every
        // query without them, only more slowly; the next start makes them.
    }
}

void CreateTemplate(const std::string& path) {
    Connection db;
    db.Open(path, true);
    Connection::Transaction transaction(db);
    db.Execute(kTemplate);
    transaction.Commit();
}

std::string MovementStatementWithParameters(const std::string& statement) {
    static const std::string placeholders[] = {"@AnimalID", "@Date", "@DeathReason", "@Details", "@LocationID"};
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < statement.size();) {
        if (statement[i] == '\'') quoted = !quoted;  // a doubled quote turns twice
        int best = -1;  // the longest placeholder that stands here: "@DeathReason" before "@Date"
        if (statement[i] == '@')
            for (int p = 0; p < 5; ++p)
                if (statement.compare(i, placeholders[p].size(), placeholders[p]) == 0 &&
                    (best < 0 || placeholders[p].size() > placeholders[best].size()))
                    best = p;
        if (best < 0) {
            out += statement[i++];
            continue;
        }
        // Inside a literal ('@Details') the value joins the literal's text around it.
        const std::string parameter = "?" + std::to_string(best + 1);
        out += quoted ? "' || " + parameter + " || '" : parameter;
        i += placeholders[best].size();
    }
    return out;
}

std::vector<std::string> MovementStatementsForMany(const std::vector<std::string>& statements) {
    const std::vector<MovementStatement> shipped = MovementStatements();
    for (std::size_t first = 0; first < shipped.size();) {
        std::size_t end = first;
        while (end < shipped.size() && shipped[end].type == shipped[first].type) ++end;
        std::vector<std::string> many;
        for (std::size_t i = first; i < end && i - first < statements.size() && shipped[i].one == statements[i - first];
             ++i)
            many.push_back(shipped[i].many);
        if (many.size() == end - first && many.size() == statements.size()) return many;
        first = end;
    }
    return {};
}

void SetMovingAnimals(Connection& db, const std::vector<long long>& animals) {
    db.SetOrderedKeyTable("MovingAnimals", "Position", "AnimalID", animals);
}

std::vector<Value> MovementParameters(long animalID, const DateTime& date, const std::string& deathReason,
                                      const std::string& details, long locationID) {
    const std::string date19 = modCommon::SQLDate(date);  // the literal's text between its quotes
    return {Value(animalID), Value(date19.substr(1, date19.size() - 2)), Value(deathReason), Value(details),
            Value(locationID)};
}

}  // namespace modSchema
