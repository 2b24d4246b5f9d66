#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Zip archives over libzip: create or update an archive from files, list it, extract it.
// Failures raise RuntimeError with libzip's or the system's message.
namespace Zip {

struct Entry {
    std::string name;          // the stored name, "/" between folders
    long long size = 0;        // uncompressed bytes
    long long packedSize = 0;  // compressed bytes
    long long modified = 0;    // seconds since the epoch
    std::uint32_t crc = 0;
    int method = 0;            // 0 stored, 8 deflated
    bool encrypted = false;
    bool isDirectory = false;
};

struct FileToAdd {
    std::string path;       // the file on disk
    std::string entryName;  // the name it is stored under
};

// Adds the files to the archive (created when missing), deflated at level 6 on up to four
// cores; an entry of the same name is replaced. The archive is written to a temporary file and moved into place at
// the end, so a failure leaves no half-written archive behind. `progress`, when given, is
// called every 256 kB of the files compressed with the share done (0 to 1), and with 1 once
// the archive is in place.
void Add(const std::string& archive, const std::vector<FileToAdd>& files,
         const std::function<void(double)>& progress = {});

std::vector<Entry> List(const std::string& archive);

struct ExtractOptions {
    // Entries to extract (stored names); empty = every entry.
    std::vector<std::string> include;
    // Recreate the stored folders under the target; otherwise every file lands in the
    // target folder under its bare name.
    bool useFolderNames = false;
    // Replace files already there; otherwise such entries are skipped.
    bool overwrite = false;
};

// Extracts into `folder` (which must exist). Every entry is checked before anything is
// written: a name that is absolute or climbs out with ".." fails the whole extraction, and so
// do declared sizes that the disk has no room for. Each file is written beside its target and
// renamed into place when complete; one that holds more than it declares is stopped there.
void Extract(const std::string& archive, const std::string& folder,
             const ExtractOptions& options);

// True when the stored name stays inside the folder it is extracted to.
bool IsSafeEntryName(const std::string& name);

// The library's version text.
std::string LibraryVersion();

}  // namespace Zip
