#pragma once
#include <string>
#include <vector>

class Connection;

// The animals of the working species that a typed text names.
namespace TagSearch {

struct Found {
    std::vector<long> animals;  // their AnimalIDs
    bool byEID = false;         // the text named an EID
};

// The text is searched as typed, blanks included: as a tag's number part, as a whole tag, then
// as an EID (decimal when it begins with "0", else the stored hexadecimal form).
Found Find(Connection& db, const std::string& search);

}  // namespace TagSearch
