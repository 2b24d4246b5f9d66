#include "register/Movements.h"

#include <unordered_set>

#include "core/modSchema.h"
#include "platform/RuntimeError.h"

namespace Movements {

long LocationType(Connection& db, long location) {
    Recordset rs = db.Query("SELECT LocationType FROM Locations WHERE LocationID=?", {location});
    return static_cast<long>(rs.Field(0).ToLong());
}

std::string MovementType(long locationType, bool assign) {
    if (locationType == kRemoval) return "Remove";
    const std::string type = locationType == kDead ? "Dead" : locationType >= 0 ? "In" : "Out";
    return assign ? type : "Un" + type;
}

bool Moves(long locationType, const GridAnimal& animal) { return locationType == kRemoval || animal.type != 0; }

Script::Script(Connection& db, bool assign, long location) : db_(db), assign_(assign), location_(location) {
    Recordset rs = db.Query("SELECT SQLStatement FROM SQLTable WHERE MovementType=? ORDER BY RecordID",
                            {MovementType(LocationType(db, location), assign)});
    for (; !rs.Eof(); rs.MoveNext()) {
        texts_.push_back(rs.Field(0).ToString());
        statements_.push_back(
            std::make_unique<Connection::Prepared>(db, modSchema::MovementStatementWithParameters(texts_.back())));
    }
}

void Script::Run(long animal, const DateTime& date, const std::string& details, const std::string& deathReason) {
    const std::vector<Value> values = modSchema::MovementParameters(animal, date, deathReason, details, location_);
    Connection::Transaction transaction(db_);
    for (const auto& statement : statements_) statement->Run(values);
    transaction.Commit();
}

bool Script::RunForMany(const std::vector<long long>& animals, const DateTime& date, const std::string& details,
                        const std::string& deathReason) {
    if (animals.empty()) return true;
    if (std::unordered_set<long long>(animals.begin(), animals.end()).size() != animals.size()) return false;
    const std::vector<std::string> many = modSchema::MovementStatementsForMany(texts_);
    if (many.size() != texts_.size()) return false;
    try {
        Connection::Transaction transaction(db_);
        modSchema::SetMovingAnimals(db_, animals);
        const std::vector<Value> values = modSchema::MovementParameters(0, date, deathReason, details, location_);
        for (const std::string& statement : many)
            Connection::Prepared(db_, modSchema::MovementStatementWithParameters(statement)).Run(values);
        transaction.Commit();
        return true;
    } catch (const RuntimeError& failure) {
        if (failure.WholeDatabase()) throw;  // one animal at a time would meet it again
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

bool MoveMany(Connection& db, bool assign, long location, const std::vector<long long>& animals, const DateTime& date,
              const std::string& details, const std::string& deathReason) {
    try {
        return Script(db, assign, location).RunForMany(animals, date, details, deathReason);
    } catch (const RuntimeError& failure) {
        if (failure.WholeDatabase()) throw;
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

Missing MoveEach(Connection& db, const GridAnimals& animals, long into,
                 const std::function<void(const GridAnimal&)>& move, const ActionStep& step,
                 const std::function<bool(const GridAnimals&)>& many,
                 const std::function<bool(const GridAnimals&)>& agreed) {
    Connection::Transaction transaction(db);
    Missing missing;
    missing.entry = into > 0 && db.Query("SELECT 1 FROM Locations WHERE LocationID=? AND Active", {into}).Eof();
    if (missing.entry) return missing;
    const std::unordered_set<long long> gone = AnimalsGone(db, animals);
    missing.animals = static_cast<long>(gone.size());
    GridAnimals recorded;
    recorded.reserve(animals.size());
    for (const GridAnimal& animal : animals)
        if (!gone.count(animal.id)) recorded.push_back(animal);
    missing.changed = agreed && !agreed(recorded);
    if (missing.changed) return missing;
    if (many) {
        if (many(recorded)) {
            for (std::size_t i = 0; step && i < animals.size(); ++i) step();
            transaction.Commit();
            return missing;
        }
    }
    for (const GridAnimal& animal : animals) {
        if (!gone.count(animal.id)) move(animal);
        if (!db.InTransaction())
            throw RuntimeError(ErrorNumber::DatabaseFailure,
                               "The database undid the whole action; nothing of it was recorded.");
        if (step) step();
    }
    transaction.Commit();
    return missing;
}

}  // namespace Movements
