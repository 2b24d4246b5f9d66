#pragma once
#include <functional>

class Connection;
class CsvReader;

// The purchased eartags of a supplier's tag-bucket file made tag-only rows of the register with
// their EIDs.
namespace TagBucketImport {

// Imports the file's rows in its maker's layout (`allflex`, else the other), all of them or none.
// A tag already recorded for its species keeps its row; an EID already recorded for any animal
// is not added again. `progress` hears the share of the rows read, in percent, as it grows. The
// number of rows left out as holding no valid tag and EID.
long Import(Connection& db, const CsvReader& file, bool allflex, const std::function<void(int)>& progress);

}  // namespace TagBucketImport
