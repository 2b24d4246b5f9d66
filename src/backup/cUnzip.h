#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/DateTime.h"

// Lists a zip archive and extracts it, whole or the entries marked as selected.
class cUnzip {
public:
    // The option record: flags are 1 or 0 as the record stores them.
    struct OptionRecord {
        int extractOnlyNewer = 0, spaceToUnderscore = 0, promptToOverwrite = 0;
        long messageLevel = 0;
        int testZip = 0, useFolderNames = 0, overwriteExisting = 0, crToCrlf = 0;
        int caseSensitive = 0;
        int listOnly = 0;
        std::string zipFile, unzipFolder;
    };

    struct Entry {
        std::string Filename, FileDirectory;
        long long FileSize = 0;
        long FileCompressionRatio = 0;  // packed size as a percentage of the size
        DateTime FileDate;
        std::uint32_t FileCRC = 0;
        std::string FileCompressionMethod;
        bool FileEncrypted = false;
        bool FileSelected = false;
    };

    bool ExtractOnlyNewer() const { return options_.extractOnlyNewer != 0; }
    void SetExtractOnlyNewer(bool on) { options_.extractOnlyNewer = on; }
    bool SpaceToUnderScore() const { return options_.spaceToUnderscore != 0; }
    void SetSpaceToUnderScore(bool on) { options_.spaceToUnderscore = on; }
    bool PromptToOverwrite() const { return options_.promptToOverwrite != 0; }
    void SetPromptToOverwrite(bool on) { options_.promptToOverwrite = on; }
    long MessageLevel() const { return options_.messageLevel; }
    void SetMessageLevel(long level) { options_.messageLevel = level; }
    bool TestZip() const { return options_.testZip != 0; }
    void SetTestZip(bool on) { options_.testZip = on; }
    bool UseFolderNames() const { return options_.useFolderNames != 0; }
    void SetUseFolderNames(bool on) { options_.useFolderNames = on; }
    bool OverwriteExisting() const { return options_.overwriteExisting != 0; }
    void SetOverwriteExisting(bool on) { options_.overwriteExisting = on; }
    bool ConvertCRToCRLF() const { return options_.crToCrlf != 0; }
    void SetConvertCRToCRLF(bool on) { options_.crToCrlf = on; }
    bool CaseSensitiveFileNames() const { return options_.caseSensitive != 0; }
    void SetCaseSensitiveFileNames(bool on) { options_.caseSensitive = on; }
    std::string ZipFile() const { return zipFile_; }
    void SetZipFile(const std::string& path);
    std::string UnzipFolder() const { return unzipFolder_; }
    void SetUnzipFolder(const std::string& folder) { unzipFolder_ = folder; }

    const OptionRecord& Options() const { return options_; }

    // Fills the entry list from the archive.
    void Directory();
    bool Unzip();
    std::string GetVersion() const;

    // The listed entries, 1-based.
    long FileCount() const { return static_cast<long>(entries_.size()); }
    const Entry& FileEntry(long index) const;
    std::string Filename(long index) const { return FileEntry(index).Filename; }
    std::string FileDirectory(long index) const { return FileEntry(index).FileDirectory; }
    long long FileSize(long index) const { return FileEntry(index).FileSize; }
    long long FilePackedSize(long index) const;
    long FileCompressionRatio(long index) const { return FileEntry(index).FileCompressionRatio; }
    DateTime FileDate(long index) const { return FileEntry(index).FileDate; }
    std::uint32_t FileCRC(long index) const { return FileEntry(index).FileCRC; }
    std::string FileCompressionMethod(long index) const { return FileEntry(index).FileCompressionMethod; }
    bool FileEncrypted(long index) const { return FileEntry(index).FileEncrypted; }
    bool FileSelected(long index) const { return FileEntry(index).FileSelected; }
    void SetFileSelected(long index, bool selected);

    // Events, each raised only when set.
    // The text of what stopped a listing or an extraction.
    std::function<void(const std::string& Text)> Message;
    // For an encrypted entry (its stored name) that the last password given does not open:
    // Password is the one to try. Cancel, or no handler, fails the extraction there.
    std::function<void(const std::string& Filename, std::string& Password, bool& Cancel)> PasswordRequest;
    // Every 64 kB extracted: setting Cancel stops the extraction there with a non-zero result
    // (the files already complete stay, the one at hand is not written).
    std::function<void(bool& Cancel)> Cancel;
    // With PromptToOverwrite, before a file already in the folder (its path) is replaced:
    // setting Cancel keeps it and extracts the next. Without a handler OverwriteExisting decides.
    std::function<void(const std::string& Filename, bool& Cancel)> OverwriteRequest;

    // The include names an Unzip would pass now: the selected entries, or none (meaning
    // the whole archive) when every entry or no entry has been listed as selected.
    std::vector<std::string> IncludeNames() const;

private:
    friend long VBUnzip(cUnzip&, const OptionRecord&, const std::vector<std::string>&);
    OptionRecord options_;
    std::string zipFile_, unzipFolder_;
    std::vector<Entry> entries_;
    void AddListedEntry(const Entry& entry) { entries_.push_back(entry); }
};

// Lists (in list mode) or extracts the archive named in the option record; 0 = success.
long VBUnzip(cUnzip& unzip, const cUnzip::OptionRecord& options, const std::vector<std::string>& includeNames);
