#pragma once
#include <string>

// The files the program writes beside the database for a while, under names of its own: a copy
// is written under its partial name and moved to its own name only when whole, so a copy cut
// short (a crash, a kill) never passes for a whole one, and what a run left is removed when the
// next one starts.
namespace ScratchFiles {

// The name a copy to `path` is written under until it is whole.
std::string Partial(const std::string& path);
// Removes from the data folder what an earlier run left under the program's scratch names, and
// nothing else. The gateway runs it when it is made, before it opens the database.
void RemoveLeftovers(const std::string& dataFolder);

}  // namespace ScratchFiles
