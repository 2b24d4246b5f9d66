#pragma once
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/Value.h"

class Connection;

// An animal as a row of the animal grid loaded it: what the register's actions on the selected
// animals need of it. The values are those of the grid, not read again from the database.
struct GridAnimal {
    long long id = 0;
    long type = 0;      // AnimalType: 0 a tag alone
    Value dateOfBirth;  // Null when unknown
};
using GridAnimals = std::vector<GridAnimal>;

// Called once for every animal an action has dealt with or passed over, so that the window can
// count them; it may raise to end the action.
using ActionStep = std::function<void()>;

// What an action on the selected animals found gone when its transaction ran: another copy of
// the program may have removed animals, or the entry they were to be put in, since the grid and
// the lists were read. Nothing is written for an animal no longer there, and nothing at all
// when the entry has gone.
struct Missing {
    long animals = 0;
    bool entry = false;
    // What the keeper agreed to before the write no longer holds when its transaction runs
    // (another copy of the program has recorded more since): nothing has been written.
    bool changed = false;
};

// The AnimalIDs among these that the register no longer holds, found in one statement. Called
// inside the write's own transaction, so that what it finds still holds when the write runs.
std::unordered_set<long long> AnimalsGone(Connection& db, const GridAnimals& animals);
std::unordered_set<long long> AnimalsGone(Connection& db, const std::vector<long>& animals);
// What the keeper is told when `gone` of the selected animals were no longer in the register.
std::string AnimalsGoneMessage(long gone);
