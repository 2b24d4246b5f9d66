#include "register/SideLists.h"

#include <unordered_set>

#include "platform/Connection.h"

namespace SideLists {

namespace {

constexpr long kRemovalLocation = -4;

std::string Is(const char* column) { return std::string(column) + "=?"; }

// The first field of a query's first row as a number; 0 for Null or no row.
long long Number(Connection& db, const std::string& sql, const std::vector<Value>& params) {
    Recordset rs = db.Query(sql, params);
    return rs.Eof() || rs.Field(0).IsNull() ? 0 : rs.Field(0).ToLong();
}

// Runs one bound statement, with the entry's key and the animal's, for every animal still
// recorded that `writes` lets through, with `step` after each; inside the caller's transaction.
// How many of the animals were no longer recorded.
long ForEachAnimal(Connection& db, const std::string& sql, long id, const GridAnimals& animals,
                   const std::function<bool(const GridAnimal&)>& writes, const ActionStep& step) {
    const std::unordered_set<long long> gone = AnimalsGone(db, animals);
    Connection::Prepared statement(db, sql);
    for (const GridAnimal& animal : animals) {
        if (!gone.count(animal.id) && writes(animal)) statement.Run({id, animal.id});
        if (step) step();
    }
    return static_cast<long>(gone.size());
}

// The entry is still in its list; "Unknown" (key 0) of the genders and breeds always is.
bool EntryExists(Connection& db, List list, long id) {
    const Table& t = TableOf(list);
    if (id == 0 && t.perSpecies) return true;
    return !db.Query(std::string("SELECT 1 FROM ") + t.table + " WHERE " + Is(t.key), {id}).Eof();
}

}  // namespace

const Table& TableOf(List list) {
    static const Table tables[] = {{"Group", "Groups", "GroupID", "GroupName", false},
                                   {"Location", "Locations", "LocationID", "LocationName", false},
                                   {"Gender", "Genders", "GenderID", "GenderName", true},
                                   {"Breed", "Breeds", "BreedID", "BreedName", true}};
    return tables[static_cast<int>(list)];
}

bool IsPermanent(Connection& db, List list, long id) {
    if (list != List::Groups && list != List::Locations) return false;
    const Table& t = TableOf(list);
    return Number(db, std::string("SELECT Permanent FROM ") + t.table + " WHERE " + Is(t.key), {id}) != 0;
}

bool IsRemovalLocation(Connection& db, long location) {
    return Number(db, "SELECT LocationType FROM Locations WHERE LocationID=?", {location}) == kRemovalLocation;
}

long OthersNamed(Connection& db, List list, const std::string& name, long exceptID, int species) {
    const Table& t = TableOf(list);
    std::string sql = std::string("SELECT Count(*) FROM ") + t.table + " WHERE " + Is(t.name) + " AND " + t.key + "<>?";
    std::vector<Value> params{name, exceptID};
    if (t.perSpecies) {
        sql += " AND Species=?";
        params.emplace_back(species);
    }
    return static_cast<long>(Number(db, sql, params));
}

Missing Assign(Connection& db, List list, long id, const GridAnimals& animals, const ActionStep& step) {
    Connection::Transaction transaction(db);
    Missing missing;
    missing.entry = !EntryExists(db, list, id);
    if (missing.entry) return missing;
    if (list != List::Groups) {
        missing.animals = ForEachAnimal(
            db, std::string("UPDATE Animals SET ") + TableOf(list).key + "=? WHERE AnimalID=?", id, animals,
            [](const GridAnimal& animal) { return animal.type != 0; }, step);
    } else {
        // A membership the animal already has is the one write that is passed over.
        std::unordered_set<long long> members;
        Recordset rs = db.Query("SELECT AnimalID FROM GroupLink WHERE GroupID=?", {id});
        for (; !rs.Eof(); rs.MoveNext()) members.insert(rs.Field(0).IsNull() ? 0 : rs.Field(0).ToLong());
        missing.animals = ForEachAnimal(
            db, "INSERT INTO GroupLink (GroupID,AnimalID) VALUES (?,?)", id, animals,
            [&](const GridAnimal& animal) { return members.insert(animal.id).second; }, step);
    }
    transaction.Commit();
    return missing;
}

Missing Deassign(Connection& db, List list, long id, const GridAnimals& animals, const ActionStep& step) {
    const char* field = TableOf(list).key;
    const std::string sql = list == List::Groups ? std::string("DELETE FROM GroupLink WHERE GroupID=? AND AnimalId=?")
                                                 : std::string("UPDATE Animals SET ") + field + "=Null WHERE " +
                                                       Is(field) + " AND AnimalId=?";
    Connection::Transaction transaction(db);
    Missing missing;
    missing.animals = ForEachAnimal(
        db, sql, id, animals, [](const GridAnimal&) { return true; }, step);
    transaction.Commit();
    return missing;
}

long Create(Connection& db, List list, const std::string& name, int species) {
    const Table& t = TableOf(list);
    Connection::Transaction transaction(db);
    const long others = OthersNamed(db, list, name, -1, species);
    if (others > 0) return others;
    if (t.perSpecies)
        db.Execute(std::string("INSERT INTO ") + t.table + " (" + t.name + ",Species) VALUES (?,?)", {name, species});
    else db.Execute(std::string("INSERT INTO ") + t.table + " (" + t.name + ") VALUES (?)", {name});
    transaction.Commit();
    return 0;
}

Named Rename(Connection& db, List list, long id, const std::string& name, int species) {
    const Table& t = TableOf(list);
    Connection::Transaction transaction(db);
    Named named{OthersNamed(db, list, name, id, species), 0};
    if (named.others > 0) return named;
    named.rows =
        db.Execute(std::string("UPDATE ") + t.table + " SET " + Is(t.name) + " WHERE " + Is(t.key), {name, id});
    transaction.Commit();
    return named;
}

long AnimalsIn(Connection& db, List list, long id, int species) {
    const Table& t = TableOf(list);
    if (list == List::Groups)
        return static_cast<long>(Number(db, "SELECT Count(AnimalID) FROM GroupLink WHERE GroupID=?", {id}));
    if (list == List::Locations)
        return static_cast<long>(Number(db, "SELECT Count(AnimalID) FROM LocationLink WHERE LocationID=?", {id}));
    return static_cast<long>(Number(
        db, std::string("SELECT Count(AnimalID) FROM Animals WHERE ") + Is(t.key) + " AND Species=?", {id, species}));
}

void Remove(Connection& db, List list, long id, int species) {
    const Table& t = TableOf(list);
    Connection::Transaction transaction(db);
    if (list == List::Groups) {
        db.Execute("DELETE FROM GroupLink WHERE GroupID=?", {id});
        db.Execute("DELETE FROM Groups WHERE GroupID=?", {id});
    } else if (list == List::Locations) {
        db.Execute("UPDATE Locations SET Active=0 WHERE LocationID=?", {id});
    } else {
        const std::string where = std::string(" WHERE ") + Is(t.key) + " AND Species=?";
        db.Execute(std::string("UPDATE Animals SET ") + t.key + " = Null" + where, {id, species});
        db.Execute(std::string("DELETE FROM ") + t.table + where, {id, species});
    }
    transaction.Commit();
}

// ---- Locations -------------------------------------------------------------------------------

std::optional<Location> ReadLocation(Connection& db, long id) {
    Recordset rs =
        db.Query("SELECT LocationName, LocationDescription, LocationType FROM Locations WHERE LocationID=?", {id});
    if (rs.Eof()) return std::nullopt;
    return Location{rs.Field(0).ToStringOr(""), rs.Field(1).ToStringOr(""), rs.Field(2)};
}

bool ReactivateIdentical(Connection& db, long editedID, const std::string& name, const std::string& description,
                         long type) {
    const std::string same = "LocationName=? AND LocationDescription=? AND LocationType=?";
    const std::vector<Value> values{name, description, type};
    Recordset identical = db.Query("SELECT LocationID, LocationName FROM Locations WHERE " + same, values);
    if (identical.Eof()) return false;
    if (identical.Field(0).ToLong() == editedID && identical.Field(1).ToStringOr("") != name) return false;
    db.Execute("UPDATE Locations SET Active=1 WHERE " + same, values);
    return true;
}

long ActiveLocationsNamed(Connection& db, const std::string& name, long exceptID) {
    return static_cast<long>(Number(
        db, "SELECT Count(*) FROM Locations WHERE Active AND LocationName=? AND LocationID<>?", {name, exceptID}));
}

long SaveLocation(Connection& db, long editedID, const std::string& name, const std::string& description, long type) {
    Connection::Transaction transaction(db);
    const long others = ActiveLocationsNamed(db, name, editedID);
    if (others > 0) return others;
    if (editedID < 1)
        db.Execute("INSERT INTO Locations (LocationName,LocationDescription,LocationType,Active) VALUES (?,?,?,1)",
                   {name, description, type});
    else
        db.Execute(
            "UPDATE Locations SET LocationName=?, LocationDescription=?, LocationType=?,Active=1 WHERE LocationID=?",
            {name, description, type, editedID});
    transaction.Commit();
    return 0;
}

}  // namespace SideLists
