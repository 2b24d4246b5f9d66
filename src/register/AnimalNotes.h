#pragma once
#include <optional>
#include <string>

class Connection;

// The keeper's note of an animal: rich text, one row in Notes per animal.
namespace AnimalNotes {

// The animal's note as stored; none when it has none. A note stored as null raises.
std::optional<std::string> Note(Connection& db, long animal);
// Stores the note in place of the animal's; an empty text removes it. An animal no longer
// recorded gets no note, so that no note outlives its animal.
void Save(Connection& db, long animal, const std::string& rtf);

}  // namespace AnimalNotes
