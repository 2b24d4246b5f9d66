#pragma once
#include <optional>
#include <string>
#include <vector>

#include "corewindows/JobDialog.h"
#include "platform/ScratchFolder.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

// Backs the database up to the online service in numbered pieces of its zip, or lists the
// stored backups and puts the chosen one in place of the live database.
class frmRVBSBackupRestore : public JobDialog {
    Q_OBJECT
public:
    explicit frmRVBSBackupRestore(QWidget* parent = nullptr);

    // The window's single default instance, created on first use; unloading it lets the
    // next use create a fresh one.
    static frmRVBSBackupRestore& Instance();
    // Puts the default instance in backup or restore mode and shows it modally.
    static void ShowModal(bool restoring, QWidget* owner = nullptr);

    // The size of each backup piece for a zip of `length` bytes: a hundredth of it, at most
    // 100000 bytes; a zip too small to cut into a hundred goes in one piece.
    static long long BackupPieceSize(long long length);

    // True = restore mode, False = backup mode; set before the window is shown.
    void SetForRestore(bool booRestoring) { restoring_ = booRestoring; }

    QGroupBox* fraAuthenticate;
    QGroupBox* fraProgress;
    QGroupBox* fraRestoreList;
    QLabel* lblUserName;
    QLabel* lblPassword;
    QLineEdit* txbUserName;
    QLineEdit* txbPassword;
    QPushButton* cmdContinue;
    QPushButton* cmdQuit;
    QProgressBar* ProgressBar1;
    QListWidget* lstBackups;

    // The backups of a list the service gave (records between form feeds, each of four lines:
    // description, date, size and identifier) added to lstBackups, those of no size left out.
    void ListBackups(const std::string& list);
    // Puts the database in a downloaded zip, unzipped into the folder `scratch`, in place of the
    // live one: the gateway's restore result (0 restored, with the copy of the data it replaced
    // in `kept` when asked); -1 when the download holds no database, 3 when the keeper has been
    // told why it would not unzip or was refused.
    int PutRestoredDatabaseInPlace(const std::string& zipPath, const std::string& scratch, std::string* kept = nullptr);

    void Form_Load() override;
    void cmdContinue_Click();
    void cmdQuit_Click();
    void lstBackups_Click();
    void Form_Unload() override;

private:
    bool restoring_ = false;
    bool unloading_ = false;
    std::vector<std::string> backupRecords_;

    void ShowFrame(QGroupBox* frame);
    void FitListToEntries();
    void Backup();
    void Restore();
    bool ConfirmRestore(const std::string& backupDate);
    bool FetchRestoreZip(std::optional<ScratchFolder>& scratch, const std::string& dataSourceGUID);
    int ReportRefused(const std::string& reason);
    void StoreSignIn(const std::string& userName, const std::string& password);
};

// Lets the database gateway offer the online restore when it cannot open the database, and the
// main menu open the window in either mode.
void RegisterBackupWindow();
