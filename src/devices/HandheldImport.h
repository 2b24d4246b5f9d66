#pragma once
#include <vector>

#include "platform/Connection.h"
#include "platform/Value.h"

// What the imports from both handhelds share in writing their records.
namespace HandheldImport {

// Runs a write that must change exactly one row: anything else is a failure of the import,
// raised so that the import's transaction keeps nothing of it.
void RunOne(Connection::Prepared& statement, const std::vector<Value>& params);

}  // namespace HandheldImport
