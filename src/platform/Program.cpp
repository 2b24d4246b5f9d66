#include "platform/Program.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <mutex>

namespace {

std::string& ExePath() {
    static std::string path = [] {
        char buf[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, n) : std::string("kelvo");
    }();
    return path;
}

// The path the program was started by, its first argument: through a link, the link's own
// name, which /proc/self/exe resolves away.
std::string& InvokedPath() {
    static std::string path = [] {
        std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
        std::string first;
        std::getline(cmdline, first, '\0');
        return first.empty() ? ExePath() : first;
    }();
    return path;
}

std::string& FolderOverride() {
    static std::string folder;
    return folder;
}

std::function<void()>& EndHandler() {
    static std::function<void()> handler;
    return handler;
}

}  // namespace

namespace Program {

const std::string& ExecutablePath() { return ExePath(); }
void SetExecutablePath(const std::string& path) { ExePath() = InvokedPath() = path; }

std::string ExecutableName() {
    std::string name = InvokedPath();
    auto slash = name.rfind('/');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
    return name;
}

std::string ProgramFolder() {
    if (!FolderOverride().empty()) return FolderOverride();
    const std::string& path = ExePath();
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

void SetProgramFolder(const std::string& folder) { FolderOverride() = folder; }

std::string Environment(const std::string& name) {
    const char* v = std::getenv(name.c_str());
    return v ? v : "";
}

std::string Home() {
    std::string home = Environment("HOME");
    return home.empty() ? "/tmp" : home;
}

std::string DataHome() {
    std::string d = Environment("XDG_DATA_HOME");
    return d.empty() ? Home() + "/.local/share" : d;
}

std::string ConfigHome() {
    std::string d = Environment("XDG_CONFIG_HOME");
    return d.empty() ? Home() + "/.config" : d;
}

std::vector<std::string> SystemConfigDirs() {
    std::string dirs = Environment("XDG_CONFIG_DIRS");
    if (dirs.empty()) dirs = "/etc/xdg";
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        auto colon = dirs.find(':', start);
        std::string d = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!d.empty()) out.push_back(d);
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return out;
}

void End() {
    if (EndHandler()) EndHandler()();
    std::_Exit(0);
}

void SetEndHandler(std::function<void()> handler) { EndHandler() = std::move(handler); }

double TimeScale() {
    std::string s = Environment("KELVO_TIME_SCALE");
    if (s.empty()) return 1.0;
    char* end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    return (end != s.c_str() && v > 0) ? v : 1.0;
}

int ScaledMs(int milliseconds) {
    double v = milliseconds * TimeScale();
    return v < 1 && milliseconds > 0 ? 1 : static_cast<int>(v);
}

}  // namespace Program
