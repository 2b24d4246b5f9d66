#pragma once
#include <functional>
#include <string>
#include <vector>

class QWidget;

// Where the full edition's main window and the windows below it meet. The main window (the
// register) and the stick reader and phone windows (the devices) never include each other: the
// main window implements MainWindowServices and registers itself here when it is made (and
// nullptr when it goes, so that no call reaches a destroyed window); the device windows
// register their openers at start-up. The functions of this namespace are what the lower
// layers call; each goes to the registered window's member of the same name, and answers with
// a harmless default without one: nothing done, "", 0, no rows, no owner.
//
// The device windows' side (each registers its opener at start-up, as RegisterBackupWindow
// does for the backup window): the main menu calls OpenStickReaderWindow or
// OpenMobilePhoneWindow with the window's HHAction; the opener makes the window's default
// instance, sets its HHAction and shows it window-modal over the owner it is given, with
// show(), which returns at once (the menu handler does not wait for the device's work).
// Without an opener the open functions do nothing and return false; the menu asks
// StickReaderWindowRegistered / MobilePhoneWindowRegistered to say so to the keeper.
namespace modMainWindowServices {

// What the windows below the register ask of the main window, and what they tell it.
class MainWindowServices {
public:
    // ---- What the device windows ask ----------------------------------------------------------
    // Starts frmMain.tmrZOrder (250 ms), whose tick enables the main window again and brings it
    // to the front; a device window calls it when it unloads, in the full edition only.
    virtual void StartZOrderTimer() = 0;
    // The SELECT text that fills the animal grid under its current filter (rows with AnimalID,
    // AnimalType, TagNumber, DateOfBirth, GenderID, BreedID and Species, ordered by TagSort,
    // then TagNumber).
    virtual std::string GetGridSQL() = 0;
    // glngGridAnimalsAndTags (rows the grid shows) and glngSelectedAnimalsAndTags (rows
    // selected).
    virtual long GridAnimalsAndTags() = 0;
    virtual long SelectedAnimalsAndTags() = 0;
    // The AnimalID of every selected grid row in the grid's selection order (the order the
    // keeper picked them, not the grid's).
    virtual std::vector<long> SelectedAnimalIDs() = 0;
    // The main window itself, over which the device windows are shown. A disabled Qt window
    // disables every window it owns, so a device window is not shown over a disabled main
    // window: it is shown window-modal over it, which keeps the keeper's hands off the main
    // window until the device window closes.
    virtual QWidget* Owner() = 0;

    // ---- What they tell it --------------------------------------------------------------------
    // An import has written animals, EIDs and groups: reload the group and location lists and
    // refresh the animal grid. A device import calls it at its end, in the full edition only.
    virtual void UpdateAfterImport() = 0;
    // The single animal (modCommon::SetSingleAnimalID) changes: the note shown is saved first,
    // then the detail panes show the new one.
    virtual void SaveNote() = 0;
    virtual void DisplayNote() = 0;
    virtual void DisplayPedigree() = 0;
    virtual void DisplayMovements() = 0;
    virtual void DisplayTagChanges() = 0;
    virtual void DisplayTreatments() = 0;

protected:
    ~MainWindowServices() = default;
};
// Replaces whatever main window registered before; nullptr forgets it.
void RegisterMainWindow(MainWindowServices* window);

void StartZOrderTimer();
std::string GetGridSQL();               // "" without a main window
long GridAnimalsAndTags();              // 0 without a main window
long SelectedAnimalsAndTags();          // 0 without a main window
std::vector<long> SelectedAnimalIDs();  // none without a main window
QWidget* MainWindowOwner();             // nullptr without a main window

// ---- The notices --------------------------------------------------------------------------------

// An import has finished: the main window's UpdateAfterImport.
void UpdateAfterImport();
// The single animal is about to change (the note shown is saved) and has changed (the note,
// pedigree, movements, tag changes and treatments of the new one are shown, in that order).
void SingleAnimalChanging();
void SingleAnimalChanged();

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
