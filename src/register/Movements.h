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
// does the work, for all the animals at once where it is a script the program ships, else one
// animal at a time.
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
    // Runs the script for every one of `animals`, in their order, as Run would for one after another
    // and with the same rows as its outcome, but each statement once for all of them
    // (modSchema::MovementStatementsForMany): where the script is one this program ships and no
    // animal comes twice. All of them or none, in a transaction of its own (or a savepoint of the
    // caller's): false, with nothing written, where it cannot run so or a statement fails.
    bool RunForMany(const std::vector<long long>& animals, const DateTime& date, const std::string& details,
                    const std::string& deathReason);

private:
    Connection& db_;
    bool assign_;
    long location_;
    std::vector<std::string> texts_;
    std::vector<std::unique_ptr<Connection::Prepared>> statements_;
};

// The script of the location put in (`assign`) or taken out for every one of `animals` at once
// (Script::RunForMany); false, with nothing written, where that cannot be or fails: the caller then
// moves them one at a time, which tells a failure for the animal it belongs to.
bool MoveMany(Connection& db, bool assign, long location, const std::vector<long long>& animals, const DateTime& date,
              const std::string& details, const std::string& deathReason);

// Runs `move` for every animal still recorded, in the order given, inside one transaction, with
// `step` after each; for none when `into`, the location the animals are put at (0 when they are
// taken out of one), is no longer in the locations list. Where `many` is given and moves the
// animals still recorded all at once (it returns true; false leaves nothing of it written), it
// does so in place of `move`. Where `agreed` is given it runs first, in the same transaction, on
// the animals still recorded: false there writes nothing and returns with `changed` set. A failure that the database
// answered by undoing the whole transaction (a full disk) raises at once, so that the animals left are not written one
// by one outside it.
Missing MoveEach(Connection& db, const GridAnimals& animals, long into,
                 const std::function<void(const GridAnimal&)>& move, const ActionStep& step,
                 const std::function<bool(const GridAnimals&)>& many = {},
                 const std::function<bool(const GridAnimals&)>& agreed = {});

}  // namespace Movements
