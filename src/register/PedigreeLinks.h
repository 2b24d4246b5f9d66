#pragma once
#include <string>

class Connection;

// An animal's links to its parents, as the pedigree sets them one at a time.
namespace PedigreeLinks {

// Records that the animal has no sire (or no dam).
void ClearParent(Connection& db, long animal, bool sire);
// What recording a parent came to.
struct Added {
    long parent = 0;          // the parent's AnimalID; 0 when nothing was recorded
    bool ownTag = false;      // the tag is the animal's own: nothing recorded
    bool animalGone = false;  // the animal is no longer recorded: nothing recorded
};
// Records the animal of this tag as the animal's sire (or dam), together or not at all: the
// working species' animal with that tag, made one of the keeper's own if it was a tag alone,
// else a new reference animal. Only the animal's link changes; the parent joins no group.
// Nothing is recorded when the tag names none, when it names the animal itself, or when the
// animal is no longer recorded.
Added AddParent(Connection& db, long animal, const std::string& tag, bool sire);

}  // namespace PedigreeLinks
