#pragma once
#include <functional>
#include <string>
#include <vector>

class QWidget;

// Where the full edition's main window and the device windows meet. The main window (the
// register) and the stick reader and phone windows (the devices) never include each other:
// each side registers here, at start-up or when its window is made, what the other calls.
//
// The main window's side (frmMain registers it when it is made and registers an empty
// MainWindowServices{} when it goes, so that no call reaches a destroyed window):
//   - UpdateAfterImport: reload the group and location lists and refresh the animal grid;
//     a device import calls it at its end, in the full edition only.
//   - StartZOrderTimer: start frmMain.tmrZOrder (250 ms), whose tick enables the main window
//     again and brings it to the front; a device window calls it when it unloads, in the full
//     edition only.
//   - GetGridSQL: the SELECT text that fills the animal grid under its current filter (rows
//     with AnimalID, AnimalType, TagNumber, DateOfBirth, GenderID, BreedID and Species,
//     ordered by TagSort, then TagNumber).
//   - GridAnimalsAndTags, SelectedAnimalsAndTags: glngGridAnimalsAndTags (rows the grid
//     shows) and glngSelectedAnimalsAndTags (rows selected).
//   - SelectedAnimalIDs: the AnimalID of every selected grid row in the grid's selection
//     order (the order the keeper picked them, not the grid's), each found through
//     frmMain.AnimalIDFromBookmark with that row's bookmark.
//   - Owner: the main window itself, over which the device windows are shown. A disabled Qt
//     window disables every window it owns, so a device window is not shown over a disabled
//     main window: it is shown window-modal over it, which keeps the keeper's hands off the
//     main window until the device window closes.
// Any member left empty answers with a harmless default: nothing done, "", 0, no rows, no
// owner.
//
// The device windows' side (each registers its opener at start-up, as RegisterBackupWindow
// does for the backup window): the main menu calls OpenStickReaderWindow or
// OpenMobilePhoneWindow with the window's HHAction; the opener makes the window's default
// instance, sets its HHAction and shows it window-modal over the owner it is given, with
// show(), which returns at once (the menu handler does not wait for the device's work).
// Without an opener the open functions do nothing and return false; the menu asks
// StickReaderWindowRegistered / MobilePhoneWindowRegistered to say so to the keeper.
namespace modMainWindowServices {

struct MainWindowServices {
    std::function<void()> UpdateAfterImport{};
    std::function<void()> StartZOrderTimer{};
    std::function<std::string()> GetGridSQL{};
    std::function<long()> GridAnimalsAndTags{};
    std::function<long()> SelectedAnimalsAndTags{};
    std::function<std::vector<long>()> SelectedAnimalIDs{};
    std::function<QWidget*()> Owner{};
};
// Replaces whatever the main window registered before; MainWindowServices{} forgets it.
void RegisterMainWindow(MainWindowServices services);

void UpdateAfterImport();
void StartZOrderTimer();
std::string GetGridSQL();               // "" without a main window
long GridAnimalsAndTags();              // 0 without a main window
long SelectedAnimalsAndTags();          // 0 without a main window
std::vector<long> SelectedAnimalIDs();  // none without a main window
QWidget* MainWindowOwner();             // nullptr without a main window

// ---- The device windows ---------------------------------------------------------------------

// HHAction values of the stick reader window (frmStickReader).
inline constexpr int StickReaderImport = 1;
inline constexpr int StickReaderConfiguration = 2;
// HHAction values of the phone window (frmMobilePhone).
inline constexpr int MobilePhoneExport = 0;
inline constexpr int MobilePhoneImport = 1;

// Makes the window, sets its HHAction and shows it window-modal over the owner without
// waiting for it (the owner may be nullptr: then the window stands alone).
using DeviceWindowOpener = std::function<void(int HHAction, QWidget* owner)>;

// An empty opener forgets the one registered before.
void RegisterStickReaderWindow(DeviceWindowOpener opener);
void RegisterMobilePhoneWindow(DeviceWindowOpener opener);
bool StickReaderWindowRegistered();
bool MobilePhoneWindowRegistered();

// Opens the window over the registered main window; false (and nothing shown) when no
// window has registered its opener.
bool OpenStickReaderWindow(int HHAction);
bool OpenMobilePhoneWindow(int HHAction);

// ---- The online backup window ---------------------------------------------------------------

// Shows the backup window in backup (false) or restore (true) mode, modally over the owner it
// is given, and returns when the window has closed. The backup subsystem registers it at
// start-up; an empty opener forgets it.
using BackupWindowOpener = std::function<void(bool restoring, QWidget* owner)>;
void RegisterOnlineBackupWindow(BackupWindowOpener opener);
// Shows it over the registered main window; false (and nothing shown) without an opener.
bool ShowOnlineBackupWindow(bool restoring);

}  // namespace modMainWindowServices
