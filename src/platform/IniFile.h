#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A settings file of "key=value" lines in "[section]"s; keys before any section are in the
// section "". Reads accept CRLF or LF; writes keep the other lines as they were and go
// through a temporary file and a rename, so a crash never leaves half a file.
namespace IniFile {

std::optional<std::string> Read(const std::string& path, const std::string& section, const std::string& key);
bool Write(const std::string& path, const std::string& section, const std::string& key, const std::string& value);
std::vector<std::pair<std::string, std::string>> Section(const std::string& path, const std::string& section);

}  // namespace IniFile
