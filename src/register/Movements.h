#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Connection.h"
#include "platform/DateTime.h"
#include "register/GridAnimals.h"

// Movements between locations without their windows. The program holds no movement SQL: the
// database's script of the movement type that the location's type and the direction choose
// does the work, one animal at a time.
namespace Movements {

constexpr long kRemoval = -4, kDead = -1;

// The location's LocationType; a location without a row raises.
long LocationType(Connection& db, long location);
// The movement type of a location type: the removal location has one script both ways; the
// others are taken out by the "Un" form of the script that put the animal there.
std::string MovementType(long locationType, bool assign);
// Whether an animal is put at a location of the type: a tag alone has no place to be; it can
// only be removed from the records.
bool Moves(long locationType, const GridAnimal& animal);

// One movement type's statements, read from the database and prepared once with the values as
// parameters, to be run for many animals.
class Script {
public:
    Script(Connection& db, bool assign, long location);
    bool Assign() const { return assign_; }
    long Location() const { return location_; }
    // Runs every statement for one animal, all or nothing: a statement that fails takes the
    // animal's earlier statements back with it, never a move without its clean-up, never an
    // animal half removed.
    void Run(long animal, const DateTime& date, const std::string& details, const std::string& deathReason);

private:
    Connection& db_;
    bool assign_;
    long location_;
    std::vector<std::unique_ptr<Connection::Prepared>> statements_;
};

// Runs `move` for every animal still recorded, in the order given, inside one transaction, with
// `step` after each; for none when `into`, the location the animals are put at (0 when they are
// taken out of one), is no longer in the locations list. A failure that the database answered by
// undoing the whole transaction (a full disk) raises at once, so that the animals left are not
// written one by one outside it.
Missing MoveEach(Connection& db, const GridAnimals& animals, long into,
                 const std::function<void(const GridAnimal&)>& move, const ActionStep& step);

}  // namespace Movements
