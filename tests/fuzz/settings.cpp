// A settings file as found: the machine's values, the serial ports a device window offers from
// it, and the last port used, which a port written over reads back as.
#include <QComboBox>

#include "core/modCommon.h"
#include "core/modRegistry.h"
#include "devices/DeviceDialog.h"
#include "fuzz/Fuzz.h"
#include "platform/FileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FileSystem::CreateDirectories(FileSystem::Folder(modRegistry::MachineSettingsPath()));
    for (const std::string& path : {modRegistry::MachineSettingsPath(), modRegistry::UserSettingsPath()})
        FileSystem::WriteAll(path, Fuzz::Text(data, size));
    modRegistry::GetRegistryValue("Flavour", "");
    QComboBox ports;
    Fuzz::Refusable([&] { DeviceDialog::FillPortList(&ports, 2); });  // a last port that is no number
    modCommon::SetLastUsedComPort(3, 7);
    Fuzz::Check(modCommon::GetLastUsedComPort(3) == 7, "a port written reads back");
    return 0;
}
