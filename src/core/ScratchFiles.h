#pragma once
#include <string>

// The files the program writes beside the database for a while: work in progress, and copies
// written whole before they take their names, lie in scratch folders (platform/ScratchFolder), so
// a copy cut short (a crash, a kill) never passes for a whole one. What a run left is removed
// when the next one starts.
namespace ScratchFiles {

// Removes from the data folder the scratch an earlier run left, and nothing else: nothing
// without the program's mark, and nothing a running copy of the program holds. The gateway runs
// it when it is made, before it opens the database.
void RemoveLeftovers(const std::string& dataFolder);

}  // namespace ScratchFiles
