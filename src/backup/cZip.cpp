#include "backup/cZip.h"

#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"
#include "platform/Zip.h"

namespace {
// Result codes of a zip run.
constexpr long ZipOK = 0;
constexpr long ZipCancelled = 9;
constexpr long ZipNothingToDo = 12;
constexpr long ZipCannotWrite = 15;
constexpr long ZipFileMissing = 18;

// Asks a request event for a text; false when it cancels.
bool Asked(const std::function<void(std::string&, bool&)>& request, std::string& text) {
    bool cancel = false;
    if (request) request(text, cancel);
    return !cancel;
}

// The name a file is stored under in the archive: no leading "/".
std::string StoredName(std::string spec) {
    while (!spec.empty() && spec.front() == '/') spec.erase(0, 1);
    return spec;
}

long DeleteEntries(const std::string& archive, const std::vector<std::string>& fileSpecs) {
    if (!FileSystem::Exists(archive)) return ZipFileMissing;
    std::vector<std::string> names;
    for (const auto& spec : fileSpecs) names.push_back(StoredName(spec));
    try {
        return Zip::Delete(archive, names) ? ZipOK : ZipNothingToDo;
    } catch (const std::exception&) {
        return ZipCannotWrite;
    }
}

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

void cZip::Delete() {
    options_.deleteEntries = 1;
    VBZip(*this, options_, fileSpecs_);
    // The flag is this call's: a later Zip adds again.
    options_.deleteEntries = 0;
}

long VBZip(cZip& zip, const cZip::OptionRecord& options, const std::vector<std::string>& fileSpecs) {
    if (fileSpecs.empty() || zip.ZipFile().empty()) return ZipNothingToDo;
    if (options.deleteEntries) return DeleteEntries(zip.ZipFile(), fileSpecs);
    std::vector<Zip::FileToAdd> files;
    for (const auto& spec : fileSpecs) {
        std::string path = spec;
        if (!options.rootFolder.empty() && !path.empty() && path.front() != '/')
            path = FileSystem::Join(options.rootFolder, path);
        if (!FileSystem::Exists(path)) return ZipFileMissing;
        files.push_back({path, StoredName(options.junkFolderNames ? FileSystem::FileName(path) : path)});
    }
    Zip::AddOptions add;
    add.progress = zip.Progress;
    if (zip.Cancel)
        add.cancel = [&zip](const std::string& path) {
            bool cancel = false;
            zip.Cancel(path, cancel);
            return cancel;
        };
    if (options.encrypt && (!Asked(zip.PasswordRequest, add.password) || add.password.empty())) return ZipCancelled;
    if (options.addComment && zip.CommentRequest) {
        add.comment = Zip::Comment(zip.ZipFile());
        if (!Asked(zip.CommentRequest, *add.comment)) return ZipCancelled;
    }
    try {
        Zip::Add(zip.ZipFile(), files, add);
    } catch (const Zip::Cancelled&) {
        return ZipCancelled;
    } catch (const std::exception&) {
        return ZipCannotWrite;
    }
    return ZipOK;
}
