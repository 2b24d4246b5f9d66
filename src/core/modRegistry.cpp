#include "core/modRegistry.h"

#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Program.h"
#include "platform/Text.h"

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
        if (value && !TrimBlanks(*value).empty()) return TrimBlanks(*value);
    }
    return defaultValue;
}

bool SetRegistryValue(const std::string& valueName, const std::string& value) {
    return IniFile::Write(MachineSettingsPath(), "", valueName, value);
}

}  // namespace modRegistry
