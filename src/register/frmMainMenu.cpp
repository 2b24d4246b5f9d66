// The main menu: its tree and what its items do. The change of herd, flock and holding
// number items are shown or hidden with the species and country.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include <tuple>
#include <utility>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modCommonHerdFlock.h"
#include "core/modMainWindowServices.h"
#include "corewindows/frmSpecies.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "register/frmMain.h"

namespace {

const char* const kObject = "frmMain";

// The dialog flags of the window's file dialogs: explorer style, the folder must exist, and
// for saving, ask before overwriting.
constexpr long kExplorer = 0x80000, kPathMustExist = 0x800, kOverwritePrompt = 0x2;
const char* const kDatabaseFilter = "Database Files (*.mdb)|*.mdb";

using modCommon::Database;

// The caption with its accelerator: `letter`, its first occurrence, is underlined and with Alt
// (or alone in an open menu) chooses the item. The caption's words stay as they are.
QString Accelerated(const char* caption, char letter) {
    const QString text = QString::fromLatin1(caption);
    const qsizetype at = text.indexOf(QLatin1Char(letter));
    return at < 0 ? text : text.left(at) + '&' + text.mid(at);
}

QMenu* Menu(QWidget* parent, const char* name, const char* caption, char letter) {
    auto* menu = new QMenu(Accelerated(caption, letter), parent);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QMenu* SubMenu(QMenu* parent, const char* name, const char* caption, char letter) {
    QMenu* menu = Menu(parent, name, caption, letter);
    parent->addMenu(menu);
    return menu;
}

QAction* Item(QMenu* parent, const char* name, const char* caption, char letter) {
    QAction* item = parent->addAction(Accelerated(caption, letter));
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

}  // namespace

void frmMain::BuildMenu() {
    mnuFile = Menu(this, "mnuFile", "File", 'F');
    mnuChangeSpecies = Item(mnuFile, "mnuChangeSpecies", "Change Species", 'S');
    mnuBackup = SubMenu(mnuFile, "mnuBackup", "Backup your data", 'B');
    mnuBackupLocal = Item(mnuBackup, "mnuBackupLocal", "Backup your data locally", 'l');
    mnuBackupRVBS = Item(mnuBackup, "mnuBackupRVBS", "Backup your data to the RVBS", 'R');
    mnuRestore = SubMenu(mnuFile, "mnuRestore", "Restore your data", 'R');
    mnuRestoreLocal = Item(mnuRestore, "mnuRestoreLocal", "Restore your data from a local backup", 'l');
    mnuRestoreRVBS = Item(mnuRestore, "mnuRestoreRVBS", "Restore your data from the RVBS", 'R');
    mnuDisplayRVBS = Item(mnuFile, "mnuDisplayRVBS", "Display RVBS Home Page", 'D');
    mnuChangeCountry = Item(mnuFile, "mnuChangeCountry", "Change Country", 'C');
    mnuChangeHoldingNumber = Item(mnuFile, "mnuChangeHoldingNumber", "Change Holding Number", 'H');
    mnuChangeHerdNumber = Item(mnuFile, "mnuChangeHerdNumber", "Change Herd Number", 'N');
    mnuChangeFlockNumber = Item(mnuFile, "mnuChangeFlockNumber", "Change Flock Number", 'F');
    mnuExit = Item(mnuFile, "mnuExit", "Exit", 'x');

    mnuGetTagBucket = Menu(this, "mnuGetTagBucket", "Get Tag Bucket", 'G');
    mnuGetAllflexTagBucket = Item(mnuGetTagBucket, "mnuGetAllflexTagBucket", "Allflex Tag Bucket", 'A');
    mnuGetTolvaneTagBucket = Item(mnuGetTagBucket, "mnuGetTolvaneTagBucket", "Tolvane Tag Bucket", 'T');

    mnuDataTransfer = Menu(this, "mnuDataTransfer", "Data Transfer", 'D');
    mnuCSVFile = SubMenu(mnuDataTransfer, "mnuCSVFile", "File Transfer", 'F');
    mnuCSVExport = SubMenu(mnuCSVFile, "mnuCSVExport", "Export to file", 'E');
    mnuExportAnimalAllCSV = Item(mnuCSVExport, "mnuExportAnimalAllCSV", "Animal Data for Selected Animals", 'A');
    mnuExportAnimalOwnedCSV =
        Item(mnuCSVExport, "mnuExportAnimalOwnedCSV", "Animal Data for Selected Animals (Owned Animals Only)", 'O');
    mnuExportMovementAllCSV = Item(mnuCSVExport, "mnuExportMovementAllCSV", "Movement Data for Selected Animals", 'M');
    mnuExportMovementOwnedCSV =
        Item(mnuCSVExport, "mnuExportMovementOwnedCSV", "Movement Data for Selected Animals (Owned Animals Only)", 'v');
    mnuExportTagChangesCSV = Item(mnuCSVExport, "mnuExportTagChangesCSV", "Tag changes for Selected Animals", 'T');
    mnuCSVImport = SubMenu(mnuCSVFile, "mnuCSVImport", "Import from file", 'I');
    mnuImportAnimalHelp = Item(mnuCSVImport, "mnuImportAnimalHelp", "Help on how to Import Animal Data from File", 'H');
    mnuImportAnimalFromFile = Item(mnuCSVImport, "mnuImportAnimalFromFile", "Import Animal Data from File", 'I');
    mnuMobilePhone = SubMenu(mnuDataTransfer, "mnuMobilePhone", "Tolvane Mobile Phone", 'M');
    mnuExportMobilePhone = Item(mnuMobilePhone, "mnuExportMobilePhone", "Export Data to Mobile Phone", 'E');
    mnuImportMobilePhone = Item(mnuMobilePhone, "mnuImportMobilePhone", "Import Data from Mobile Phone", 'I');
    mnuKRX900S = SubMenu(mnuDataTransfer, "mnuKRX900S", "Tolvane KRX900S stick reader", 'K');
    mnuKRX900SConfiguration = Item(mnuKRX900S, "mnuKRX900SConfiguration", "Configuration", 'C');
    mnuImportKRX900S = Item(mnuKRX900S, "mnuImportKRX900S", "Import Data from KRX900S", 'I');

    for (QMenu* title : {mnuFile, mnuGetTagBucket, mnuDataTransfer}) {
        menuBar()->addMenu(title);
        connect(title, &QMenu::aboutToShow, this, [this, title] { MenuTitle_Click(title); });
    }

    const std::pair<QAction*, void (frmMain::*)()> handlers[] = {
        {mnuChangeSpecies, &frmMain::mnuChangeSpecies_Click},
        {mnuBackupLocal, &frmMain::mnuBackupLocal_Click},
        {mnuBackupRVBS, &frmMain::mnuBackupRVBS_Click},
        {mnuRestoreLocal, &frmMain::mnuRestoreLocal_Click},
        {mnuRestoreRVBS, &frmMain::mnuRestoreRVBS_Click},
        {mnuDisplayRVBS, &frmMain::mnuDisplayRVBS_Click},
        {mnuChangeCountry, &frmMain::mnuChangeCountry_Click},
        {mnuChangeHoldingNumber, &frmMain::mnuChangeHoldingNumber_Click},
        {mnuChangeHerdNumber, &frmMain::mnuChangeHerdNumber_Click},
        {mnuChangeFlockNumber, &frmMain::mnuChangeFlockNumber_Click},
        {mnuExit, &frmMain::mnuExit_Click},
        {mnuGetAllflexTagBucket, &frmMain::mnuGetAllflexTagBucket_Click},
        {mnuGetTolvaneTagBucket, &frmMain::mnuGetTolvaneTagBucket_Click},
        {mnuExportTagChangesCSV, &frmMain::mnuExportTagChangesCSV_Click},
        {mnuExportMobilePhone, &frmMain::mnuExportMobilePhone_Click},
        {mnuImportMobilePhone, &frmMain::mnuImportMobilePhone_Click},
        {mnuKRX900SConfiguration, &frmMain::mnuKRX900SConfiguration_Click},
        {mnuImportKRX900S, &frmMain::mnuImportKRX900S_Click},
    };
    // The bindings are captured by copies of their own: clang 14 (the fuzz build's compiler)
    // cannot capture a structured binding.
    for (auto [item, handler] : handlers)
        connect(item, &QAction::triggered, this, [this, handler = handler] { (this->*handler)(); });

    // The four export items run one of two exports, for all or for owned animals only.
    const std::tuple<QAction*, const char*, void (frmMain::*)(bool), bool> exports[] = {
        {mnuExportAnimalAllCSV, "mnuExportAnimalAllCSV_Click", &frmMain::ExportAnimalsCSV, false},
        {mnuExportAnimalOwnedCSV, "mnuExportAnimalOwnedCSV_Click", &frmMain::ExportAnimalsCSV, true},
        {mnuExportMovementAllCSV, "mnuExportMovementAllCSV_Click", &frmMain::ExportMovementsCSV, false},
        {mnuExportMovementOwnedCSV, "mnuExportMovementOwnedCSV_Click", &frmMain::ExportMovementsCSV, true},
    };
    for (auto [item, procedure, run, owned] : exports)
        connect(item, &QAction::triggered, this, [this, procedure = procedure, run = run, owned = owned] {
            Trap(procedure, kObject, [&] { (this->*run)(owned); });
        });
}

// ---- The file dialogs -------------------------------------------------------------------------

std::string frmMain::SaveFileName(const std::string& title, const std::string& filters,
                                  const std::string& strFileName) {
    std::string file = strFileName, fileTitle, filter = filters;
    long filterIndex = 1;
    long flags = kExplorer | kPathMustExist | kOverwritePrompt;
    CommonDialog1.VBGetSaveFileName(file, fileTitle, true, filter, filterIndex, "", title, "", -1, &flags);
    return file;
}

std::string frmMain::OpenFileName(const std::string& title, const std::string& filters, bool fileMustExist,
                                  const std::vector<std::string>& places) {
    std::string file, fileTitle, filter = filters;
    long filterIndex = 1;
    bool readOnly = false;
    long flags = kExplorer | kPathMustExist;
    CommonDialog1.VBGetOpenFileName(file, fileTitle, fileMustExist, false, readOnly, true, filter, filterIndex, "",
                                    title, "", -1, &flags, false, nullptr, places);
    return file;
}

// ---- Species, country and numbers ---------------------------------------------------------------

void frmMain::mnuChangeSpecies_Click() {
    Trap("mnuChangeSpecies_Click", kObject, [&] {
        SaveNote();
        frmSpecies::ShowModal(this);
        AfterSpeciesWindow();
    });
}

void frmMain::mnuChangeCountry_Click() {
    Trap("mnuChangeCountry_Click", kObject, [&] {
        SaveNote();
        modCommon::DeleteKelvoData("CountryName");
        frmSpecies::ShowModal(this, true);
        AfterSpeciesWindow();
    });
}

// The window is set up again for the species chosen; without one (the keeper left) it
// unloads, and with it the program.
void frmMain::AfterSpeciesWindow() {
    if (modCommon::Species != modCommon::NoSpecies) InitialiseForSpecies();
    else close();
}

void frmMain::mnuChangeHoldingNumber_Click() { ChangeNumber("mnuChangeHoldingNumber_Click", 3); }
void frmMain::mnuChangeHerdNumber_Click() { ChangeNumber("mnuChangeHerdNumber_Click", 1); }
void frmMain::mnuChangeFlockNumber_Click() { ChangeNumber("mnuChangeFlockNumber_Click", 2); }

// A keeper who would rather leave than give a number the country requires leaves the
// species at 0: the window unloads then, as after the country and species window.
void frmMain::ChangeNumber(const char* procedure, int mode) {
    Trap(procedure, kObject, [&] {
        modCommon::HerdFlockHoldingSetup(mode);
        SetCaption();
        if (modCommon::Species == modCommon::NoSpecies) close();
    });
}

void frmMain::mnuExit_Click() {
    Trap("mnuExit_Click", kObject, [&] { close(); });
}

// ---- Backups and restores ---------------------------------------------------------------------

void frmMain::mnuBackupLocal_Click() {
    Trap("mnuBackupLocal_Click", kObject, [&] {
        const std::string path = SaveFileName("Backup your data", kDatabaseFilter);
        if (path.empty()) return;
        SaveNote();
        const bool earlier = FileSystem::Exists(path);
        bool noRoom = false;
        if (Database().Backup(path, &noRoom))
            Prompts::MsgBox("Your data was backed up successfully to " + path, Prompts::OKOnly, "Backed up OK");
        else if (noRoom)
            Prompts::MsgBox("Your data could not be backed up, as the disk you are backing up to is full." +
                                (earlier ? "\r\nThe earlier backup in " + path + " has been kept." : std::string()),
                            Prompts::OKOnly, "Backup Failed");
        // A database in use has been told as such.
        else if (const RuntimeError* ended = TrapAction::EndedBy(); !ended || !ended->InUse())
            Prompts::MsgBox(
                "Your data could not be backed up\r\n"
                "Please check that there is enough space\r\n"
                "on the device you are backing up to and try again.",
                Prompts::OKOnly, "Backup Failed");
    });
}

void frmMain::mnuRestoreLocal_Click() {
    Trap("mnuRestoreLocal_Click", kObject, [&] {
        // The data folder is offered beside the backups: the copies earlier restores kept are there.
        const std::string path = OpenFileName("Restore your data from an earlier backup", kDatabaseFilter, false,
                                              {modCommon::GetDatabaseFilespec()});
        if (path.empty()) return;
        // The note shown belongs to the data being replaced.
        SaveNote();
        clsDatabase::RestoreReport report;
        const int restored = Database().Restore(path, &report);
        if (restored != 0) {
            if (restored != 3)  // 3: the keeper has been told why
                Prompts::MsgBox("Your data could not be restored.", Prompts::OKOnly, "Restore Failed");
            return;
        }
        InitialiseForSpecies();
        QCoreApplication::processEvents();
        Prompts::MsgBox("Your data was restored successfully." + clsDatabase::KeptLine(report.kept), Prompts::OKOnly,
                        "Restored OK");
    });
}

void frmMain::mnuBackupRVBS_Click() {
    SaveNote();
    modMainWindowServices::ShowOnlineBackupWindow(false);
}

void frmMain::mnuRestoreRVBS_Click() {
    SaveNote();
    if (!modMainWindowServices::ShowOnlineBackupWindow(true)) return;
    InitialiseForSpecies();
    QCoreApplication::processEvents();
}

void frmMain::mnuDisplayRVBS_Click() {
    if (!Desktop::OpenUrl(modCommon::ServiceHomeURI()))
        Prompts::MsgBox("Cannot access the RVBS on the Internet", Prompts::OKOnly, "Cannot access the RVBS");
}

// ---- The device windows -------------------------------------------------------------------------

void frmMain::mnuExportMobilePhone_Click() {
    OpenDeviceWindow("mnuExportMobilePhone_Click", false, modMainWindowServices::MobilePhoneExport);
}

void frmMain::mnuImportMobilePhone_Click() {
    OpenDeviceWindow("mnuImportMobilePhone_Click", false, modMainWindowServices::MobilePhoneImport);
}

void frmMain::mnuKRX900SConfiguration_Click() {
    OpenDeviceWindow("mnuKRX900SConfiguration_Click", true, modMainWindowServices::StickReaderConfiguration);
}

void frmMain::mnuImportKRX900S_Click() {
    OpenDeviceWindow("mnuImportKRX900S_Click", true, modMainWindowServices::StickReaderImport);
}

// The device window runs by itself over this window, which takes no input until the window
// has unloaded and tmrZOrder has ticked. The window's contents and menus are what is
// disabled: a disabled Qt window would disable the device window it owns.
void frmMain::OpenDeviceWindow(const char* procedure, bool stickReader, int HHAction) {
    using namespace modMainWindowServices;
    canvas->setEnabled(false);
    menuBar()->setEnabled(false);
    bool shown = false;
    const bool opened = Trap(procedure, kObject, [&] {
        shown = stickReader ? OpenStickReaderWindow(HHAction) : OpenMobilePhoneWindow(HHAction);
    });
    // A window that failed to open (or none registered) will never start the timer.
    if (!opened || !shown) tmrZOrder_Timer();
}
