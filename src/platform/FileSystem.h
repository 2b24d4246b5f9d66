#pragma once
#include <cstddef>
#include <string>
#include <vector>

// File operations the program needs, with the failures it tests for.
namespace FileSystem {

bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
bool CreateDirectories(const std::string& path);
// Copies over an existing target; raises RuntimeError on failure.
void Copy(const std::string& from, const std::string& to);
// Copies to a path where no file is yet, as a file its owner may write whatever the source's
// mode. The copy is made in a scratch folder beside the target (ScratchFolder) and linked to its
// name only when whole, so the name never shows half a file, and a file that took the name
// meanwhile (another copy of the program starting) is kept: the result is then false. Raises on
// any other failure.
bool CopyIfAbsent(const std::string& from, const std::string& to);
// Gives the file `from` the further name `to` (on the same file system) when no file has that
// name: false when one has. Raises on any other failure.
bool LinkIfAbsent(const std::string& from, const std::string& to);
// Renames within one file system, replacing the target atomically; raises on failure.
void Rename(const std::string& from, const std::string& to);
// Deletes when present; returns false when it could not.
bool Remove(const std::string& path);
// True when both paths name one existing file (device and inode).
bool SameFile(const std::string& a, const std::string& b);
long long Size(const std::string& path);
std::string ReadAll(const std::string& path);
// Writes the file whole (made anew or emptied first), as a Writer does.
void WriteAll(const std::string& path, const std::string& bytes);
// Appends text, creating the file when missing, and waits until it is on the disk; returns
// false when it could not, the file then as it was.
bool Append(const std::string& path, const std::string& text);
std::string Join(const std::string& folder, const std::string& name);
std::string FileName(const std::string& path);
std::string Folder(const std::string& path);
// A new, empty, private folder under `parent` (the system's temporary folder when empty).
std::string MakeTempFolder(const std::string& parent = "");

// Whether a new file can be made in `folder` (its permissions, a read-only mount), asked by
// making one that has no name and so leaves nothing behind however the program ends. True
// where the file system cannot make such a file: only a refusal counts.
bool TakesNewFiles(const std::string& folder);

// True for the system's error numbers of a write that found no room: a full disk, a spent
// quota, a file past the largest size allowed.
bool NoRoom(int errorNumber);

// A file written piece by piece, made anew (or emptied) when opened, or added to at its end. Each
// Write puts its whole piece in the file or raises at once, with noRoom set when the disk had no
// room for it.
class Writer {
public:
    enum Mode { Replace, Append };
    explicit Writer(const std::string& path, Mode mode = Replace);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    void Write(const void* data, std::size_t size);
    // Waits until what was written is on the disk and closes the file; raises when it is not.
    void Close();

private:
    std::string path_;
    int fd_ = -1;
    [[noreturn]] void Fail() const;
};

}  // namespace FileSystem
