#include "backup/cUnzip.h"

#include <QDateTime>

#include "platform/RuntimeError.h"
#include "platform/Zip.h"

namespace {
// Result codes of an unzip run.
constexpr long UnzipOK = 0;
constexpr long UnzipBadArchive = 3;
constexpr long UnzipNoArchive = 9;
constexpr long UnzipCannotWrite = 50;
constexpr long UnzipCancelled = 80;

cUnzip::Entry ListedEntry(const Zip::Entry& stored) {
    cUnzip::Entry entry;
    std::string name = stored.name;
    auto slash = name.find_last_of('/');
    entry.Filename = slash == std::string::npos ? name : name.substr(slash + 1);
    entry.FileDirectory = slash == std::string::npos ? "" : name.substr(0, slash);
    entry.FileSize = stored.size;
    entry.FileCompressionRatio = stored.size > 0 ? static_cast<long>(stored.packedSize * 100 / stored.size) : 0;
    entry.FileDate = DateTime::FromQt(QDateTime::fromSecsSinceEpoch(stored.modified));
    entry.FileCRC = stored.crc;
    entry.FileCompressionMethod = stored.method == 0 ? "Stored" : "Deflated";
    entry.FileEncrypted = stored.encrypted;
    return entry;
}
}  // namespace

void cUnzip::SetZipFile(const std::string& path) {
    zipFile_ = path;
    entries_.clear();
}

const cUnzip::Entry& cUnzip::FileEntry(long index) const {
    if (index < 1 || index > FileCount())
        throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "Subscript out of range");
    return entries_[index - 1];
}

long long cUnzip::FilePackedSize(long index) const {
    const Entry& entry = FileEntry(index);
    return entry.FileSize * entry.FileCompressionRatio / 100;
}

void cUnzip::SetFileSelected(long index, bool selected) {
    FileEntry(index);  // checks the index
    entries_[index - 1].FileSelected = selected;
}

std::vector<std::string> cUnzip::IncludeNames() const {
    std::vector<std::string> names;
    for (const auto& entry : entries_) {
        if (!entry.FileSelected) continue;
        std::string name = entry.FileDirectory.empty() ? entry.Filename : entry.FileDirectory + "/" + entry.Filename;
        for (auto& c : name)
            if (c == '\\') c = '/';
        names.push_back(name);
    }
    if (names.size() == entries_.size()) names.clear();
    return names;
}

void cUnzip::Directory() {
    options_.zipFile = zipFile_;
    options_.unzipFolder.clear();
    options_.listOnly = 1;
    VBUnzip(*this, options_, {});
}

bool cUnzip::Unzip() {
    if (zipFile_.empty()) return false;
    std::vector<std::string> include = IncludeNames();
    options_.zipFile = zipFile_;
    options_.unzipFolder = unzipFolder_;
    options_.listOnly = 0;
    return VBUnzip(*this, options_, include) == UnzipOK;
}

std::string cUnzip::GetVersion() const { return Zip::LibraryVersion(); }

namespace {

// The zip layer's questions, put to the object's events.
Zip::ExtractOptions Questions(cUnzip& unzip, const cUnzip::OptionRecord& options, bool& cancelled) {
    Zip::ExtractOptions extract;
    if (unzip.Cancel)
        extract.cancel = [&unzip, &cancelled] {
            if (!cancelled) unzip.Cancel(cancelled);
            return cancelled;
        };
    if (options.promptToOverwrite && unzip.OverwriteRequest)
        extract.replace = [&unzip](const std::string& path) {
            bool cancel = false;
            unzip.OverwriteRequest(path, cancel);
            return !cancel;
        };
    if (unzip.PasswordRequest)
        extract.password = [&unzip](const std::string& name, std::string& password) {
            bool cancel = false;
            unzip.PasswordRequest(name, password, cancel);
            return !cancel;
        };
    return extract;
}

// Runs one listing or extraction: its failure's text goes to the Message event.
long Run(cUnzip& unzip, long failed, const std::function<void()>& body) {
    try {
        body();
        return UnzipOK;
    } catch (const std::exception& e) {
        if (unzip.Message) unzip.Message(RuntimeError::From(e).description);
        return dynamic_cast<const Zip::Cancelled*>(&e) ? UnzipCancelled : failed;
    }
}

}  // namespace

long VBUnzip(cUnzip& unzip, const cUnzip::OptionRecord& options, const std::vector<std::string>& includeNames) {
    if (options.zipFile.empty()) return UnzipNoArchive;
    if (options.listOnly)
        return Run(unzip, UnzipBadArchive, [&] {
            for (const auto& stored : Zip::List(options.zipFile)) unzip.AddListedEntry(ListedEntry(stored));
        });
    bool cancelled = false;
    Zip::ExtractOptions extract = Questions(unzip, options, cancelled);
    extract.include = includeNames;
    extract.useFolderNames = options.useFolderNames != 0;
    extract.overwrite = options.overwriteExisting != 0;
    return Run(unzip, UnzipCannotWrite, [&] { Zip::Extract(options.zipFile, options.unzipFolder, extract); });
}
