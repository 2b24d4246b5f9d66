// A settings file as found: the machine's values, the serial ports a device window offers from
// it, and the last port used, which a port written over reads back as.
#include <unistd.h>
#include <QComboBox>

#include "core/modCommon.h"
#include "core/modRegistry.h"
#include "devices/DeviceDialog.h"
#include "fuzz/Fuzz.h"
#include "platform/FileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The machine's file is the user's, so that an input is written once.
    static const bool linked = [] {
        FileSystem::CreateDirectories(FileSystem::Folder(modRegistry::MachineSettingsPath()));
        return symlink(modRegistry::UserSettingsPath().c_str(), modRegistry::MachineSettingsPath().c_str()) == 0;
    }();
    Fuzz::Check(linked, "the machine's settings file is the user's");
    FileSystem::WriteAll(modRegistry::UserSettingsPath(), Fuzz::Text(data, size));
    modRegistry::GetRegistryValue("Flavour", "");
    QComboBox ports;
    Fuzz::Refusable([&] { DeviceDialog::FillPortList(&ports, 2); });  // a last port that is no number
    modCommon::SetLastUsedComPort(3, 7);
    Fuzz::Check(modCommon::GetLastUsedComPort(3) == 7, "a port written reads back");
    return 0;
}
