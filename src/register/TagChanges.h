#pragma once
#include <string>
#include <vector>

#include "platform/DateTime.h"

class Connection;

// The tag changes of an animal without their pane: the history of the tags it wore, and its
// current tag.
namespace TagChanges {

// Letters A to Z, digits and blanks only; with herd or flock numbers, at least one blank
// between the number and the tag.
bool IsValidTag(const std::string& tag, bool herdFlockRequired);
// Only an owned animal has its tag changes recorded.
bool IsOwned(Connection& db, long animal);

enum class Outcome {
    TagInUse,    // another animal of the species wears the new tag: nothing recorded
    Recorded,    // a change older than the latest recorded: history alone
    Latest,      // the latest change: the animal wears the new tag
    AnimalGone,  // the animal is no longer recorded: nothing recorded
};
// Records that the animal got `newTag` on `date`. The history row, and for the latest change
// the animal's new tag and sort key, are written together or not at all: a tag history that
// names a tag the animal never lost, or an animal whose old tag is nowhere in its history,
// would mislead every later look-up.
Outcome Record(Connection& db, long animal, const std::string& newTag, const DateTime& date, int species);
// Deletes history rows, all or nothing; keys of 0 and below (the "Current" rows) are passed
// over, and the animals keep their tags.
void Delete(Connection& db, const std::vector<long long>& tagChangeIDs);

}  // namespace TagChanges
