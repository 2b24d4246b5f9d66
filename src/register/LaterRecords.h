#pragma once
#include "platform/DateTime.h"
#include "register/GridAnimals.h"

class Connection;

// What a movement deletes besides the moves it replaces: a death or a move off the holding
// takes with it every later record of the animal, and taking the movement back does not bring
// them back. Counted so that the keeper can be asked first.
namespace LaterRecords {

struct Counts {
    long movements = 0, treatments = 0, tagChanges = 0;
};

// The movements, treatments and tag changes dated after `date` of those animals that a
// movement into a location of this type moves, when it is one that deletes them; none else.
Counts Deleted(Connection& db, long locationType, const GridAnimals& animals, const DateTime& date);
// Whether `now` counts more of any kind than the keeper was `told` of.
bool More(const Counts& now, const Counts& told);

}  // namespace LaterRecords
