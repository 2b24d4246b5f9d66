#include "core/ScratchFiles.h"

#include "platform/FileSystem.h"
#include "platform/ScratchFolder.h"

namespace ScratchFiles {

std::string Partial(const std::string& path) { return path + ".partial"; }

void RemoveLeftovers(const std::string& dataFolder) {
    // The copy a restore makes of the data it replaces (Kelvo.mdb.bak), with its journal.
    const std::string kept = Partial(FileSystem::Join(dataFolder, "Kelvo.mdb.bak"));
    for (const std::string& path : {kept, kept + "-journal"}) FileSystem::Remove(path);
    // Snapshots, downloads and extractions, and the scratch of a local backup beside its
    // target, that no running copy of the program holds.
    ScratchFolder::RemoveUnheld(dataFolder);
}

}  // namespace ScratchFiles
