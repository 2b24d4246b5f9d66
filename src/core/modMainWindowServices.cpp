#include "core/modMainWindowServices.h"

#include <utility>

namespace modMainWindowServices {

namespace {

MainWindowServices& Services() {
    static MainWindowServices services;
    return services;
}

DeviceWindowOpener& StickReaderOpener() {
    static DeviceWindowOpener opener;
    return opener;
}

DeviceWindowOpener& MobilePhoneOpener() {
    static DeviceWindowOpener opener;
    return opener;
}

BackupWindowOpener& OnlineBackupOpener() {
    static BackupWindowOpener opener;
    return opener;
}

// The registered member's answer, or the default when the main window left it out.
template <typename Result>
Result Ask(const std::function<Result()>& member, Result fallback) {
    return member ? member() : std::move(fallback);
}

void Run(const std::function<void()>& member) {
    if (member) member();
}

bool Open(const DeviceWindowOpener& opener, int HHAction) {
    if (!opener) return false;
    opener(HHAction, MainWindowOwner());
    return true;
}

}  // namespace

void RegisterMainWindow(MainWindowServices services) { Services() = std::move(services); }

void UpdateAfterImport() { Run(Services().UpdateAfterImport); }
void StartZOrderTimer() { Run(Services().StartZOrderTimer); }
std::string GetGridSQL() { return Ask<std::string>(Services().GetGridSQL, {}); }
long GridAnimalsAndTags() { return Ask<long>(Services().GridAnimalsAndTags, 0); }
long SelectedAnimalsAndTags() { return Ask<long>(Services().SelectedAnimalsAndTags, 0); }
std::vector<long> SelectedAnimalIDs() { return Ask<std::vector<long>>(Services().SelectedAnimalIDs, {}); }
QWidget* MainWindowOwner() { return Ask<QWidget*>(Services().Owner, nullptr); }

void RegisterStickReaderWindow(DeviceWindowOpener opener) { StickReaderOpener() = std::move(opener); }
void RegisterMobilePhoneWindow(DeviceWindowOpener opener) { MobilePhoneOpener() = std::move(opener); }
bool StickReaderWindowRegistered() { return static_cast<bool>(StickReaderOpener()); }
bool MobilePhoneWindowRegistered() { return static_cast<bool>(MobilePhoneOpener()); }

bool OpenStickReaderWindow(int HHAction) { return Open(StickReaderOpener(), HHAction); }
bool OpenMobilePhoneWindow(int HHAction) { return Open(MobilePhoneOpener(), HHAction); }

void RegisterOnlineBackupWindow(BackupWindowOpener opener) { OnlineBackupOpener() = std::move(opener); }

bool ShowOnlineBackupWindow(bool restoring) {
    if (!OnlineBackupOpener()) return false;
    OnlineBackupOpener()(restoring, MainWindowOwner());
    return true;
}

}  // namespace modMainWindowServices
