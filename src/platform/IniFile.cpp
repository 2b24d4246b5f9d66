#include "platform/IniFile.h"

#include <strings.h>
#include <fstream>
#include <sstream>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";

// The file's lines. A byte-order mark that an editor put before the first is no part of it;
// `marked` tells whether there was one, so a rewrite keeps it.
std::vector<std::string> Lines(const std::string& path, bool* marked = nullptr) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    bool mark = !lines.empty() && lines[0].compare(0, kByteOrderMark.size(), kByteOrderMark) == 0;
    if (mark) lines[0].erase(0, kByteOrderMark.size());
    if (marked) *marked = mark;
    return lines;
}

bool IsSection(const std::string& line, std::string& name) {
    std::string t = TrimWhiteSpace(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    name = TrimWhiteSpace(t.substr(1, t.size() - 2));
    return true;
}

bool IsKey(const std::string& line, std::string& key, std::string& value) {
    std::string t = TrimWhiteSpace(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    auto eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = TrimWhiteSpace(t.substr(0, eq));
    value = TrimWhiteSpace(t.substr(eq + 1));
    return true;
}

bool Same(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

namespace IniFile {

std::vector<std::pair<std::string, std::string>> Section(const std::string& path, const std::string& section) {
    std::vector<std::pair<std::string, std::string>> out;
    std::string current, name, key, value;
    for (const auto& line : Lines(path)) {
        if (IsSection(line, name)) current = name;
        else if (Same(current, section) && IsKey(line, key, value)) out.emplace_back(key, value);
    }
    return out;
}

std::optional<std::string> Read(const std::string& path, const std::string& section, const std::string& key) {
    for (auto& [k, v] : Section(path, section))
        if (Same(k, key)) return v;
    return std::nullopt;
}

bool Write(const std::string& path, const std::string& section, const std::string& key, const std::string& value) {
    bool marked = false;
    std::vector<std::string> lines = Lines(path, &marked);
    std::string current, name, k, v;
    int sectionEnd = section.empty() ? 0 : -1;  // where a new key of the section goes
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (IsSection(lines[i], name)) {
            current = name;
            if (Same(current, section)) sectionEnd = static_cast<int>(i) + 1;
            continue;
        }
        if (!Same(current, section)) continue;
        if (IsKey(lines[i], k, v) && Same(k, key)) {
            lines[i] = k + "=" + value;
            done = true;
        } else if (!TrimWhiteSpace(lines[i]).empty()) {
            sectionEnd = static_cast<int>(i) + 1;
        }
    }
    if (!done) {
        if (sectionEnd < 0) {
            if (!lines.empty() && !TrimWhiteSpace(lines.back()).empty()) lines.push_back("");
            lines.push_back("[" + section + "]");
            sectionEnd = static_cast<int>(lines.size());
        }
        lines.insert(lines.begin() + sectionEnd, key + "=" + value);
    }
    std::ostringstream text;
    if (marked) text << kByteOrderMark;
    for (const auto& line : lines) text << line << "\n";
    try {
        FileSystem::CreateDirectories(FileSystem::Folder(path));
        std::string tmp = path + ".tmp";
        FileSystem::WriteAll(tmp, text.str());
        FileSystem::Rename(tmp, path);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace IniFile
