#pragma once
#include <string>

class Connection;

// An animal's links to its parents, as the pedigree sets them one at a time.
namespace PedigreeLinks {

// Records that the animal has no sire (or no dam).
void ClearParent(Connection& db, long animal, bool sire);
// Records the animal of this tag as the animal's sire (or dam), together or not at all: the
// working species' animal with that tag, made one of the keeper's own if it was a tag alone,
// else a new reference animal. Only the animal's link changes; the parent joins no group. The
// parent's AnimalID, 0 when the tag names none.
long AddParent(Connection& db, long animal, const std::string& tag, bool sire);

}  // namespace PedigreeLinks
