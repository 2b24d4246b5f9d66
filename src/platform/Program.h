#pragma once
#include <functional>
#include <string>
#include <vector>

// The running program: its executable, its folders, and how it ends at once.
namespace Program {

// Full path of the executable, links resolved; tests may set it to name another program.
const std::string& ExecutablePath();
void SetExecutablePath(const std::string& path);
// The name the program was started under, without its extension: a link's own name when it
// was started through one.
std::string ExecutableName();
// The folder the executable itself lies in (the shipped files lie beside it, also when it was
// started through a link elsewhere); tests may set it.
std::string ProgramFolder();
void SetProgramFolder(const std::string& folder);

// The keeper's home folder ($HOME, /tmp without one).
std::string Home();
// $XDG_DATA_HOME or ~/.local/share; $XDG_CONFIG_HOME or ~/.config; the system config folders.
std::string DataHome();
std::string ConfigHome();
std::vector<std::string> SystemConfigDirs();

// Ends the program at once, without closing windows or releasing objects. Tests replace
// the handler with one that throws Program::Ended, so the ending can be asserted.
[[noreturn]] void End();
struct Ended {};
void SetEndHandler(std::function<void()> handler);

// The environment variable's value, "" when unset.
std::string Environment(const std::string& name);

// Multiplies every time-out and fixed pause (KELVO_TIME_SCALE, default 1), so tests run fast.
double TimeScale();
int ScaledMs(int milliseconds);

}  // namespace Program
