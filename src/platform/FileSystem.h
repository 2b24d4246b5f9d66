#pragma once
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
// mode. The copy is made beside the target and linked to its name only when whole, so the
// name never shows half a file, and a file that took the name meanwhile (another copy of the
// program starting) is kept: the result is then false. Raises on any other failure.
bool CopyIfAbsent(const std::string& from, const std::string& to);
// Renames within one file system, replacing the target atomically; raises on failure.
void Rename(const std::string& from, const std::string& to);
// Deletes when present; returns false when it could not.
bool Remove(const std::string& path);
// True when both paths name one existing file (device and inode).
bool SameFile(const std::string& a, const std::string& b);
long long Size(const std::string& path);
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
// Appends text, creating the file when missing, and waits until it is on the disk; returns
// false when it could not.
bool Append(const std::string& path, const std::string& text);
std::string Join(const std::string& folder, const std::string& name);
std::string FileName(const std::string& path);
std::string Folder(const std::string& path);
// A new, empty, private folder under `parent` (the system's temporary folder when empty).
std::string MakeTempFolder(const std::string& parent = "");

}  // namespace FileSystem
