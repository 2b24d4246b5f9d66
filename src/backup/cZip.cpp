#include "backup/cZip.h"

#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"
#include "platform/Zip.h"

namespace {
// Result codes of a zip run.
constexpr long ZipOK = 0;
constexpr long ZipNothingToDo = 12;
constexpr long ZipCannotWrite = 15;
constexpr long ZipFileMissing = 18;
}  // namespace

cZip::cZip() {
    SetStoreDirectories(false);
    SetStoreFolderNames(false);
    SetRecurseSubDirs(false);
    SetMessageLevel(2);
}

long cZip::MessageLevel() const {
    if (options_.quiet) return 0;
    return options_.verbose ? 1 : 2;
}

void cZip::SetMessageLevel(long level) {
    options_.quiet = level == 0;
    options_.verbose = level == 1;
}

long cZip::AddFileSpec(const std::string& spec) {
    fileSpecs_.push_back(spec);
    return FileSpecCount();
}

std::string cZip::FileSpec(long index) const {
    if (index < 1 || index > FileSpecCount())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range");
    return fileSpecs_[index - 1];
}

void cZip::Zip() { result_ = VBZip(*this, options_, fileSpecs_); }

long VBZip(cZip& zip, const cZip::OptionRecord& options,
           const std::vector<std::string>& fileSpecs) {
    if (fileSpecs.empty() || zip.ZipFile().empty()) return ZipNothingToDo;
    std::vector<Zip::FileToAdd> files;
    for (const auto& spec : fileSpecs) {
        std::string path = spec;
        if (!options.rootFolder.empty() && !path.empty() && path.front() != '/')
            path = FileSystem::Join(options.rootFolder, path);
        if (!FileSystem::Exists(path)) return ZipFileMissing;
        std::string entryName = options.junkFolderNames ? FileSystem::FileName(path) : path;
        while (!entryName.empty() && entryName.front() == '/') entryName.erase(0, 1);
        files.push_back({path, entryName});
    }
    try {
        Zip::Add(zip.ZipFile(), files, zip.Progress);
    } catch (const std::exception&) {
        return ZipCannotWrite;
    }
    return ZipOK;
}
