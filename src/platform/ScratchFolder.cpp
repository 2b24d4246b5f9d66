#include "platform/ScratchFolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"

namespace {

const char* const kNotes = "noted";

std::mutex& HeldLock() {
    static std::mutex lock;
    return lock;
}

std::vector<std::string>& Held() {
    static std::vector<std::string> held;
    return held;
}

// The names MakeTempFolder gives: "kelvo-" and six letters or digits.
bool IsScratchName(const std::string& name) {
    const std::string prefix = "kelvo-";
    return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0 &&
           std::all_of(name.begin() + static_cast<long>(prefix.size()), name.end(),
                       [](unsigned char c) { return std::isalnum(c) != 0; });
}

// The folder, held by whoever opens it this way first: -1 when another process holds it.
int Hold(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void RemoveWithWhatItNotes(const std::string& folder) {
    std::ifstream notes(FileSystem::Join(folder, kNotes));
    for (std::string file; std::getline(notes, file);) {
        if (file.empty()) continue;
        FileSystem::Remove(file);
        FileSystem::Remove(file + "-journal");
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& parent) : path_(FileSystem::MakeTempFolder(parent)) {
    fd_ = Hold(path_);
    if (fd_ < 0) {
        const int error = errno;
        FileSystem::Remove(path_);
        throw RuntimeError(ErrorNumber::PathNotFound, "Cannot hold " + path_ + ": " + std::strerror(error));
    }
    std::lock_guard lock(HeldLock());
    Held().push_back(path_);
}

ScratchFolder::~ScratchFolder() {
    {
        std::lock_guard lock(HeldLock());
        std::erase(Held(), path_);
    }
    RemoveWithWhatItNotes(path_);
    ::close(fd_);
}

void ScratchFolder::Note(const std::string& file) {
    const std::string notes = FileSystem::Join(path_, kNotes);
    if (!FileSystem::Append(notes, file + "\n")) throw RuntimeError(ErrorNumber::PathNotFound, "Cannot write " + notes);
}

void ScratchFolder::RemoveUnheld(const std::string& parent) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ec))
        if (IsScratchName(entry.path().filename().string()) && entry.is_directory(ec) && !entry.is_symlink(ec))
            found.push_back(entry.path().string());
    for (const auto& folder : found) {
        const int fd = Hold(folder);
        if (fd < 0) continue;
        RemoveWithWhatItNotes(folder);
        ::close(fd);
    }
}

void ScratchFolder::RemoveHeld() {
    std::vector<std::string> held;
    {
        std::lock_guard lock(HeldLock());
        held = Held();
    }
    for (const auto& folder : held) RemoveWithWhatItNotes(folder);
}
