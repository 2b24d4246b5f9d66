#include "register/GridAnimals.h"

#include "platform/Connection.h"

namespace {

// The keys go in through a table of this connection's own, so that a selection of many
// thousands is checked by one statement, not one a key.
std::unordered_set<long long> Gone(Connection& db, const std::vector<long long>& ids) {
    std::unordered_set<long long> gone;
    if (ids.empty()) return gone;
    db.SetKeyTable("ActionAnimals", "AnimalID", ids);
    for (Recordset rs = db.Query("SELECT k.AnimalID FROM temp.ActionAnimals k WHERE NOT EXISTS "
                                 "(SELECT 1 FROM Animals a WHERE a.AnimalID=k.AnimalID)");
         !rs.Eof(); rs.MoveNext())
        gone.insert(rs.Field(0).ToLong());
    return gone;
}

}  // namespace

std::unordered_set<long long> AnimalsGone(Connection& db, const GridAnimals& animals) {
    std::vector<long long> ids;
    ids.reserve(animals.size());
    for (const GridAnimal& animal : animals) ids.push_back(animal.id);
    return Gone(db, ids);
}

std::unordered_set<long long> AnimalsGone(Connection& db, const std::vector<long>& animals) {
    return Gone(db, std::vector<long long>(animals.begin(), animals.end()));
}

std::string AnimalsGoneMessage(long gone) {
    return gone == 1 ? "One of the selected animals is no longer in your records, so nothing has been recorded for it."
                     : std::to_string(gone) +
                           " of the selected animals are no longer in your records, so nothing has been recorded "
                           "for them.";
}
