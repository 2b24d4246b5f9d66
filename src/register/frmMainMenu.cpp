// The main menu's tree. The change of herd, flock and holding number items are shown or
// hidden with the species and country.
#include <QMenu>
#include <QMenuBar>

#include "register/frmMain.h"

namespace {

QMenu* Menu(QWidget* parent, const char* name, const char* caption) {
    auto* menu = new QMenu(QString::fromLatin1(caption), parent);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QMenu* SubMenu(QMenu* parent, const char* name, const char* caption) {
    QMenu* menu = Menu(parent, name, caption);
    parent->addMenu(menu);
    return menu;
}

QAction* Item(QMenu* parent, const char* name, const char* caption) {
    QAction* item = parent->addAction(QString::fromLatin1(caption));
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

}  // namespace

void frmMain::BuildMenu() {
    mnuFile = Menu(this, "mnuFile", "File");
    mnuChangeSpecies = Item(mnuFile, "mnuChangeSpecies", "Change Species");
    mnuBackup = SubMenu(mnuFile, "mnuBackup", "Backup your data");
    mnuBackupLocal = Item(mnuBackup, "mnuBackupLocal", "Backup your data locally");
    mnuBackupRVBS = Item(mnuBackup, "mnuBackupRVBS", "Backup your data to the RVBS");
    mnuRestore = SubMenu(mnuFile, "mnuRestore", "Restore your data");
    mnuRestoreLocal = Item(mnuRestore, "mnuRestoreLocal", "Restore your data from a local backup");
    mnuRestoreRVBS = Item(mnuRestore, "mnuRestoreRVBS", "Restore your data from the RVBS");
    mnuDisplayRVBS = Item(mnuFile, "mnuDisplayRVBS", "Display RVBS Home Page");
    mnuChangeCountry = Item(mnuFile, "mnuChangeCountry", "Change Country");
    mnuChangeHoldingNumber = Item(mnuFile, "mnuChangeHoldingNumber", "Change Holding Number");
    mnuChangeHerdNumber = Item(mnuFile, "mnuChangeHerdNumber", "Change Herd Number");
    mnuChangeFlockNumber = Item(mnuFile, "mnuChangeFlockNumber", "Change Flock Number");
    mnuExit = Item(mnuFile, "mnuExit", "Exit");

    mnuGetTagBucket = Menu(this, "mnuGetTagBucket", "Get Tag Bucket");
    mnuGetAllflexTagBucket = Item(mnuGetTagBucket, "mnuGetAllflexTagBucket", "Allflex Tag Bucket");
    mnuGetTolvaneTagBucket = Item(mnuGetTagBucket, "mnuGetTolvaneTagBucket", "Tolvane Tag Bucket");

    mnuDataTransfer = Menu(this, "mnuDataTransfer", "Data Transfer");
    mnuCSVFile = SubMenu(mnuDataTransfer, "mnuCSVFile", "File Transfer");
    mnuCSVExport = SubMenu(mnuCSVFile, "mnuCSVExport", "Export to file");
    mnuExportAnimalAllCSV = Item(mnuCSVExport, "mnuExportAnimalAllCSV", "Animal Data for Selected Animals");
    mnuExportAnimalOwnedCSV =
        Item(mnuCSVExport, "mnuExportAnimalOwnedCSV", "Animal Data for Selected Animals (Owned Animals Only)");
    mnuExportMovementAllCSV = Item(mnuCSVExport, "mnuExportMovementAllCSV", "Movement Data for Selected Animals");
    mnuExportMovementOwnedCSV =
        Item(mnuCSVExport, "mnuExportMovementOwnedCSV", "Movement Data for Selected Animals (Owned Animals Only)");
    mnuExportTagChangesCSV = Item(mnuCSVExport, "mnuExportTagChangesCSV", "Tag changes for Selected Animals");
    mnuCSVImport = SubMenu(mnuCSVFile, "mnuCSVImport", "Import from file");
    mnuImportAnimalHelp = Item(mnuCSVImport, "mnuImportAnimalHelp", "Help on how to Import Animal Data from File");
    mnuImportAnimalFromFile = Item(mnuCSVImport, "mnuImportAnimalFromFile", "Import Animal Data from File");
    mnuMobilePhone = SubMenu(mnuDataTransfer, "mnuMobilePhone", "Tolvane Mobile Phone");
    mnuExportMobilePhone = Item(mnuMobilePhone, "mnuExportMobilePhone", "Export Data to Mobile Phone");
    mnuImportMobilePhone = Item(mnuMobilePhone, "mnuImportMobilePhone", "Import Data from Mobile Phone");
    mnuKRX900S = SubMenu(mnuDataTransfer, "mnuKRX900S", "Tolvane KRX900S stick reader");
    mnuKRX900SConfiguration = Item(mnuKRX900S, "mnuKRX900SConfiguration", "Configuration");
    mnuImportKRX900S = Item(mnuKRX900S, "mnuImportKRX900S", "Import Data from KRX900S");

    for (QMenu* title : {mnuFile, mnuGetTagBucket, mnuDataTransfer}) menuBar()->addMenu(title);
}
