#pragma once
#include <string>
#include <vector>

// Per-machine settings: the system settings file, then the user's; writes go to the user's.
namespace modRegistry {

std::string GetRegistryValue(const std::string& valueName, const std::string& defaultValue);
bool SetRegistryValue(const std::string& valueName, const std::string& value);
// The per-machine file the program writes, and the per-user file of the executable.
std::string MachineSettingsPath();
std::string UserSettingsPath();
// The files read, in order of precedence (the first that holds a value wins).
std::vector<std::string> MachineSettingsReadPaths();

}  // namespace modRegistry
