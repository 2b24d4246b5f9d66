#pragma once
#include <functional>
#include <vector>

#include "platform/Value.h"

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
