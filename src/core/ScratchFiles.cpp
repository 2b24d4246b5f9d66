#include "core/ScratchFiles.h"

#include "platform/ScratchFolder.h"

namespace ScratchFiles {

void RemoveLeftovers(const std::string& dataFolder) {
    // Snapshots, downloads, extractions, copies under way, and the scratch of a local backup
    // beside its target.
    ScratchFolder::RemoveUnheld(dataFolder);
}

}  // namespace ScratchFiles
