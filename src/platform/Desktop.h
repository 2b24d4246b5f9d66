#pragma once
#include <string>

// The desktop's applications: whether one is installed for a kind of file, and opening a
// file with it.
namespace Desktop {

// True when the desktop has an application for the MIME type.
bool HasApplicationFor(const std::string& mimeType);
// Opens the file with the desktop's application for it; false when none took it.
bool OpenFile(const std::string& path);
// The keeper's documents folder, made when it is missing.
std::string DocumentsFolder();
// Opens a web address with the desktop's browser; false when none took it.
bool OpenUrl(const std::string& url);

}  // namespace Desktop
