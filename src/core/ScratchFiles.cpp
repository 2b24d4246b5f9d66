#include "core/ScratchFiles.h"

#include "platform/FileSystem.h"

namespace ScratchFiles {

std::string Partial(const std::string& path) { return path + ".partial"; }

void RemoveLeftovers(const std::string& dataFolder) {
    // The copy a restore makes of the data it replaces (Kelvo.mdb.bak), with its journal.
    const std::string kept = Partial(FileSystem::Join(dataFolder, "Kelvo.mdb.bak"));
    for (const std::string& path : {kept, kept + "-journal"}) FileSystem::Remove(path);
}

}  // namespace ScratchFiles
