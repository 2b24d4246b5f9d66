#pragma once
#include "register/GridAnimals.h"

class Connection;

// Changing the type of animals (a tag alone 0, owned 1, reference 2, borrowed 3) without the
// animal grid's menu.
namespace AnimalTypes {

struct Change {
    long from, to;
};
// Changes every animal of type `change.from` to `change.to`, all or nothing; the others stay.
// An animal that becomes a tag alone again is the bare tag it was bought as: its details,
// groups and movements go, and it takes back the tag it had before its first recorded tag
// change. Its tag changes, EIDs, notes, treatments and parent links stay.
void ChangeTypes(Connection& db, Change change, const GridAnimals& animals, int species);

}  // namespace AnimalTypes
