#include "core/modRegistry.h"

#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Program.h"

namespace {

std::string Trim(const std::string& s) {
    auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

namespace modRegistry {

std::string MachineSettingsPath() { return Program::ConfigHome() + "/KRX/Kelvo.ini"; }

std::string UserSettingsPath() { return Program::ConfigHome() + "/KRX/" + Program::ExecutableName() + ".ini"; }

std::vector<std::string> MachineSettingsReadPaths() {
    // The system's settings come first, as the machine-wide view did; the user's file holds
    // what the program itself wrote.
    std::vector<std::string> paths;
    for (const auto& dir : Program::SystemConfigDirs()) paths.push_back(dir + "/KRX/Kelvo.ini");
    paths.push_back(MachineSettingsPath());
    return paths;
}

std::string GetRegistryValue(const std::string& valueName, const std::string& defaultValue) {
    for (const auto& path : MachineSettingsReadPaths()) {
        auto value = IniFile::Read(path, "", valueName);
        if (value && !Trim(*value).empty()) return Trim(*value);
    }
    return defaultValue;
}

bool SetRegistryValue(const std::string& valueName, const std::string& value) {
    return IniFile::Write(MachineSettingsPath(), "", valueName, value);
}

}  // namespace modRegistry
