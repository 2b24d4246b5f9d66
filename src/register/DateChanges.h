#pragma once
#include <cstddef>
#include <vector>

#include "platform/DateTime.h"
#include "register/GridAnimals.h"

class Connection;

// The dates of birth and the tagging dates of many animals at once, without their windows.
namespace DateChanges {

// Writes one date to every animal (tags alone are passed over), all or nothing, with `step`
// after each. A new date of birth takes along the movements dated exactly at the animal's old
// one (as the grid loaded it), so that the birth entry of its history follows.
void SetDates(Connection& db, bool dateOfBirth, const DateTime& date, const GridAnimals& animals,
              const ActionStep& step);

// The positions in `animals` of those moved before they were born: their earliest movement is
// before their date of birth (a movement at the very moment of birth does not count).
std::vector<std::size_t> MovedBeforeBirth(Connection& db, const GridAnimals& animals);

}  // namespace DateChanges
