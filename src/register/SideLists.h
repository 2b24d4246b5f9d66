#pragma once
#include <optional>
#include <string>

#include "platform/Value.h"
#include "register/GridAnimals.h"

class Connection;

// The rules of the four side lists (groups, locations, genders, breeds) without their windows:
// where each list's entries live, putting animals in and out of an entry, and creating,
// renaming and deleting entries. Every write is all or nothing and raises on failure.
namespace SideLists {

enum class List { Groups, Locations, Genders, Breeds };

// Where a list's entries live.
struct Table {
    const char* kind;   // "Group", "Location", "Gender", "Breed"
    const char* table;  // "Groups" ...
    const char* key;    // "GroupID" ...
    const char* name;   // "GroupName" ...
    bool perSpecies;    // genders and breeds are each species' own
};
const Table& TableOf(List list);

// A group or location that can be neither edited nor deleted; never a gender or breed, nor a
// row that is missing.
bool IsPermanent(Connection& db, List list, long id);
// The location is the one whose animals are deleted from the records.
bool IsRemovalLocation(Connection& db, long location);
// How many other entries of the list (of the species, for genders and breeds) have the name.
long OthersNamed(Connection& db, List list, const std::string& name, long exceptID, int species);

// Puts the animals in the entry: into the group (those already in it stay as they are), or
// gives them the gender or breed (a tag alone gets neither). `step` runs after every animal.
// Only animals still recorded are put in, and none when the entry has gone.
Missing Assign(Connection& db, List list, long id, const GridAnimals& animals, const ActionStep& step);
// Takes the animals out of the group, or clears the gender or breed of those that have it.
Missing Deassign(Connection& db, List list, long id, const GridAnimals& animals, const ActionStep& step);

// The writes of a name look for other entries with it in their own transaction, for another
// copy of the program may have given it meanwhile; nothing is written when there are any.

// A new group, or a new gender or breed of the species (locations have their own dialog): how
// many other entries have the name, 0 when it was created.
long Create(Connection& db, List list, const std::string& name, int species);
// Gives the entry a new name: how many others have it, and the rows changed (0 when the entry
// has gone).
struct Named {
    long others = 0, rows = 0;
};
Named Rename(Connection& db, List list, long id, const std::string& name, int species);
// How many animals the entry holds (for a location, every movement there ever was).
long AnimalsIn(Connection& db, List list, long id, int species);
// Deletes the entry: a group with its memberships, a gender or breed cleared from the animals of
// the species first; a location is only made inactive, for the movement history keeps it.
void Remove(Connection& db, List list, long id, int species);

// ---- Locations (their dialog) ----------------------------------------------------------------

struct Location {
    std::string name, description;
    Value type;  // LocationType, Null when unset
};
// The location's details; none when it has no row.
std::optional<Location> ReadLocation(Connection& db, long id);
// When a location with exactly these details exists, it is made active again and true returned.
// Names compare without regard to case, so an edit of `editedID` that changes only the case of
// its name does not count as finding it: that edit is stored like any other.
bool ReactivateIdentical(Connection& db, long editedID, const std::string& name, const std::string& description,
                         long type);
// How many other active locations have the name.
long ActiveLocationsNamed(Connection& db, const std::string& name, long exceptID);
// Stores a new location (`editedID` below 1) or the edited one, active, unless another active
// location has the name: how many have it, 0 when it was stored.
long SaveLocation(Connection& db, long editedID, const std::string& name, const std::string& description, long type);

}  // namespace SideLists
