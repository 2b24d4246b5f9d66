#include "core/modMainWindowServices.h"

#include <utility>

namespace modMainWindowServices {

namespace {

MainWindowServices*& Registered() {
    static MainWindowServices* window = nullptr;
    return window;
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

// The registered window's answer, or the default without one.
template <typename Result>
Result Ask(Result (MainWindowServices::*member)(), Result fallback) {
    MainWindowServices* window = Registered();
    return window ? (window->*member)() : std::move(fallback);
}

void Tell(void (MainWindowServices::*member)()) {
    if (MainWindowServices* window = Registered()) (window->*member)();
}

bool Open(const DeviceWindowOpener& opener, int HHAction) {
    if (!opener) return false;
    opener(HHAction, MainWindowOwner());
    return true;
}

}  // namespace

void RegisterMainWindow(MainWindowServices* window) { Registered() = window; }

void StartZOrderTimer() { Tell(&MainWindowServices::StartZOrderTimer); }
std::string GetGridSQL() { return Ask<std::string>(&MainWindowServices::GetGridSQL, {}); }
long GridAnimalsAndTags() { return Ask<long>(&MainWindowServices::GridAnimalsAndTags, 0); }
long SelectedAnimalsAndTags() { return Ask<long>(&MainWindowServices::SelectedAnimalsAndTags, 0); }
std::vector<long> SelectedAnimalIDs() { return Ask<std::vector<long>>(&MainWindowServices::SelectedAnimalIDs, {}); }
QWidget* MainWindowOwner() { return Ask<QWidget*>(&MainWindowServices::Owner, nullptr); }

void UpdateAfterImport() { Tell(&MainWindowServices::UpdateAfterImport); }

void SingleAnimalChanging() { Tell(&MainWindowServices::SaveNote); }

void SingleAnimalChanged() {
    for (auto member :
         {&MainWindowServices::DisplayNote, &MainWindowServices::DisplayPedigree, &MainWindowServices::DisplayMovements,
          &MainWindowServices::DisplayTagChanges, &MainWindowServices::DisplayTreatments})
        Tell(member);
}

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
