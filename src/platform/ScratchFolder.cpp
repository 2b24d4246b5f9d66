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
#include "platform/Text.h"

namespace {

const char* const kNotes = "noted";
// The program's mark: a file of this name and text that only the program writes, into a folder
// it has just made and holds.
const char* const kMark = "made-by-kelvo";
const char* const kMarkText = "A scratch folder of Kelvo's own: it goes when its work ends.\n";
// The ending of the only files a note may name: a backup's scratch copy "<target>tmp", the
// target being a database file.
const char* const kNotedEnding = ".mdbtmp";

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

bool IsNotable(const std::string& file) {
    return file.size() > std::strlen(kNotedEnding) && file.front() == '/' && EndsWithAsciiNoCase(file, kNotedEnding);
}

// The folder, held by whoever opens it this way first: -1 when another process holds it (or,
// with `wait`, when it cannot be opened). A sweep holds a folder only for a moment.
int Hold(const std::string& folder, bool wait = false) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0 && ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::symlink_status(path, ec).type() == std::filesystem::file_type::regular;
}

bool IsMarked(const std::string& folder) {
    const std::string mark = FileSystem::Join(folder, kMark);
    return IsRegularFile(mark) && FileSystem::Size(mark) == static_cast<long long>(std::strlen(kMarkText)) &&
           FileSystem::ReadAll(mark) == kMarkText;
}

// A noted path goes only when it is a scratch copy's, and only as a file: never a folder, nor
// what a link points to.
void RemoveWithWhatItNotes(const std::string& folder) {
    std::ifstream notes(FileSystem::Join(folder, kNotes));
    for (std::string file; std::getline(notes, file);) {
        if (!IsNotable(file)) continue;
        for (const std::string& path : {file, file + "-journal"})
            if (IsRegularFile(path)) FileSystem::Remove(path);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& parent) : path_(FileSystem::MakeTempFolder(parent)) {
    // Held before it is marked: a sweep that meets the folder unmarked leaves it, and one that
    // holds it for that moment only delays this.
    fd_ = Hold(path_, true);
    try {
        if (fd_ < 0)
            throw RuntimeError(ErrorNumber::PathNotFound, "Cannot hold " + path_ + ": " + std::strerror(errno));
        FileSystem::WriteAll(FileSystem::Join(path_, kMark), kMarkText);
    } catch (const RuntimeError&) {
        if (fd_ >= 0) ::close(fd_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        throw;
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
    if (!IsNotable(file)) throw RuntimeError(ErrorNumber::InvalidCall, "Not a scratch copy: " + file);
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
        if (IsMarked(folder)) RemoveWithWhatItNotes(folder);
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
