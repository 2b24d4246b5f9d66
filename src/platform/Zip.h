#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/RuntimeError.h"

// Zip archives over libzip: create or update an archive from files, list it, extract it.
// Failures raise RuntimeError with libzip's or the system's message.
namespace Zip {

struct Entry {
    std::string name;          // the stored name, "/" between folders
    long long size = 0;        // uncompressed bytes
    long long packedSize = 0;  // compressed bytes
    long long modified = 0;    // seconds since the epoch
    std::uint32_t crc = 0;
    int method = 0;  // 0 stored, 8 deflated
    bool encrypted = false;
    bool isDirectory = false;
};

struct FileToAdd {
    std::string path;       // the file on disk
    std::string entryName;  // the name it is stored under
};

// The failure of a run that the caller's cancel check stopped.
class Cancelled : public RuntimeError {
public:
    Cancelled() : RuntimeError(ErrorNumber::InvalidCall, "Cancelled") {}
};

struct AddOptions {
    // Called every 256 kB of the files compressed with the share done (0 to 1), and with 1
    // once the archive is in place.
    std::function<void(double)> progress;
    // Asked every 256 kB compressed, with the file at hand: true stops the run (Cancelled).
    std::function<bool(const std::string& path)> cancel;
    // Not empty: every file added is encrypted with it, in the traditional zip encryption:
    // the one that every unzip program opens (the common unzip command opens no AES entry).
    std::string password;
    // Set: the archive's comment.
    std::optional<std::string> comment;
    // The cores that deflate, at most (a backup need not take every core of the keeper's machine).
    unsigned threads = 4;
};

// Adds the files to the archive (created when missing), deflated at level 6 on up to
// `options.threads` cores; an entry of the same name is replaced. The archive is written to a
// temporary file and moved into place at the end, so a failure or a cancel leaves no
// half-written archive behind (an archive that was there stays as it was).
void Add(const std::string& archive, const std::vector<FileToAdd>& files, const AddOptions& options = {});

// Takes the entries of these stored names out of the archive; false (the archive untouched)
// when it holds none of them.
bool Delete(const std::string& archive, const std::vector<std::string>& names);

// The archive's comment; "" when it has none or is not there.
std::string Comment(const std::string& archive);

std::vector<Entry> List(const std::string& archive);

struct ExtractOptions {
    // Entries to extract (stored names); empty = every entry.
    std::vector<std::string> include;
    // Recreate the stored folders under the target; otherwise every file lands in the
    // target folder under its bare name.
    bool useFolderNames = false;
    // Replace files already there; otherwise such entries are skipped.
    bool overwrite = false;
    // When set, asked in place of `overwrite` about each file already there (its path):
    // true replaces it.
    std::function<bool(const std::string& path)> replace{};
    // Asked for the password of an encrypted entry (its stored name) that the last password
    // given does not open: false when there is none (the extraction fails).
    std::function<bool(const std::string& name, std::string& password)> password{};
    // Asked every 64 kB extracted: true stops the extraction (Cancelled); the files already
    // complete stay.
    std::function<bool()> cancel{};
};

// Extracts into `folder` (which must exist). Every entry is checked before anything is
// written: a name that is absolute or climbs out with ".." fails the whole extraction, and so
// do declared sizes that the disk has no room for. Each file is written beside its target and
// renamed into place when complete; one that holds more than it declares is stopped there,
// and so is an encrypted one without its password.
void Extract(const std::string& archive, const std::string& folder, const ExtractOptions& options);

// True when the stored name stays inside the folder it is extracted to.
bool IsSafeEntryName(const std::string& name);

// The library's version text.
std::string LibraryVersion();

}  // namespace Zip
