#pragma once
#include <functional>
#include <string>
#include <vector>

// Creates or updates a zip archive from a list of files. The options are kept as the
// archive tool's option record holds them; the archive is written by the platform's zip
// layer.
class cZip {
public:
    // The option record: flags are 1 or 0 as the record stores them.
    struct OptionRecord {
        std::string rootFolder;
        int encrypt = 0, addComment = 0, includeSystemAndHidden = 0, storeVolumeLabel = 0;
        int noDirectoryEntries = 0;  // 1 = leave directory entries out
        int junkFolderNames = 0;     // 1 = store every file under its bare name
        int recurse = 0;             // 2 = recurse into sub-folders, 0 = not
        int update = 0, freshen = 0;
        int quiet = 0, verbose = 0;
        int crlfToLf = 0, lfToCrlf = 0, grow = 0;
        int deleteEntries = 0;
    };

    cZip();

    std::string ZipFile() const { return zipFile_; }
    void SetZipFile(const std::string& path) { zipFile_ = path; }
    std::string BasePath() const { return options_.rootFolder; }
    void SetBasePath(const std::string& folder) { options_.rootFolder = folder; }
    bool Encrypt() const { return options_.encrypt != 0; }
    void SetEncrypt(bool on) { options_.encrypt = on; }
    bool AddComment() const { return options_.addComment != 0; }
    void SetAddComment(bool on) { options_.addComment = on; }
    bool IncludeSystemAndHiddenFiles() const { return options_.includeSystemAndHidden != 0; }
    void SetIncludeSystemAndHiddenFiles(bool on) { options_.includeSystemAndHidden = on; }
    bool StoreVolumeLabel() const { return options_.storeVolumeLabel != 0; }
    void SetStoreVolumeLabel(bool on) { options_.storeVolumeLabel = on; }
    bool StoreDirectories() const { return options_.noDirectoryEntries == 0; }
    void SetStoreDirectories(bool on) { options_.noDirectoryEntries = !on; }
    bool StoreFolderNames() const { return options_.junkFolderNames == 0; }
    void SetStoreFolderNames(bool on) { options_.junkFolderNames = !on; }
    bool RecurseSubDirs() const { return options_.recurse != 0; }
    void SetRecurseSubDirs(bool on) { options_.recurse = on ? 2 : 0; }
    bool UpdateOnlyIfNewer() const { return options_.update != 0; }
    void SetUpdateOnlyIfNewer(bool on) { options_.update = on; }
    bool FreshenFiles() const { return options_.freshen != 0; }
    void SetFreshenFiles(bool on) { options_.freshen = on; }
    long MessageLevel() const;
    void SetMessageLevel(long level);
    bool ConvertCRLFToLF() const { return options_.crlfToLf != 0; }
    void SetConvertCRLFToLF(bool on) { options_.crlfToLf = on; }
    bool ConvertLFToCRLF() const { return options_.lfToCrlf != 0; }
    void SetConvertLFToCRLF(bool on) { options_.lfToCrlf = on; }
    bool AllowAppend() const { return options_.grow != 0; }
    void SetAllowAppend(bool on) { options_.grow = on; }

    const OptionRecord& Options() const { return options_; }

    void ClearFileSpecs() { fileSpecs_.clear(); }
    long AddFileSpec(const std::string& spec);
    long FileSpecCount() const { return static_cast<long>(fileSpecs_.size()); }
    std::string FileSpec(long index) const;  // 1-based

    void Zip();
    bool Success() const { return result_ == 0; }
    // Takes the entries the file specifications name (as stored) out of the archive. The
    // result is not kept: Success still tells of the last Zip.
    void Delete();

    // Events, each raised only when set.
    // Now and then while the archive is written, with the share done (0 to 1).
    std::function<void(double)> Progress;
    // Every 256 kB compressed, with the file at hand: setting Cancel stops the run with a
    // non-zero result and no archive (an archive being updated stays as it was).
    std::function<void(const std::string& Filename, bool& Cancel)> Cancel;
    // With Encrypt, once before anything is compressed: the password every file is encrypted
    // with. Cancel, an empty password or no handler stops the run (nothing is stored in clear).
    std::function<void(std::string& Password, bool& Cancel)> PasswordRequest;
    // With AddComment, once before anything is compressed: Comment comes with the archive's
    // comment so far ("" for a new one) and becomes its comment. Cancel stops the run.
    std::function<void(std::string& Comment, bool& Cancel)> CommentRequest;

private:
    std::string zipFile_;
    OptionRecord options_;
    std::vector<std::string> fileSpecs_;
    long result_ = -1;
};

// Runs the zip of the object's file specifications with the option record; 0 = success.
long VBZip(cZip& zip, const cZip::OptionRecord& options, const std::vector<std::string>& fileSpecs);
