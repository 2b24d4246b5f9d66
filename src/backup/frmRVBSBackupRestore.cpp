#include "backup/frmRVBSBackupRestore.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>
#include <optional>

#include "backup/cUnzip.h"
#include "backup/cZip.h"
#include "backup/modRVBS.h"
#include "core/DefaultInstance.h"
#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/RuntimeError.h"
#include "platform/ScratchFolder.h"
#include "platform/Text.h"
#include "widgets/DesignGeometry.h"
#include "widgets/WindowRules.h"

namespace {

const char* const kObject = "frmRVBSBackupRestore";
constexpr long RestoreMessages = 100;
constexpr long long MaxPieceSize = 100000;

bool DatabaseAvailable() { return modCommon::DatabaseCreated() && modCommon::Database().DatabaseAvailable(); }

std::string ZipPath() { return FileSystem::Join(modCommon::GetDatabaseFilespec(), "Kelvo.zip"); }

void Message(const std::string& text, const std::string& title) { Prompts::MsgBox(text, Prompts::OKOnly, title); }

// The number a text starts with, 0 when it starts with none.
long long LeadingNumber(const std::string& text) {
    try {
        return std::stoll(text);
    } catch (const std::exception&) {
        return 0;
    }
}

int Digits(const std::string& text, std::size_t from, std::size_t count) {
    return from < text.size() ? static_cast<int>(LeadingNumber(text.substr(from, count))) : 0;
}

// "yyyy-mm-ddThh:nn:ss" read by position.
DateTime BackupDate(const std::string& text) {
    return {Digits(text, 0, 4),  Digits(text, 5, 2),  Digits(text, 8, 2),
            Digits(text, 11, 2), Digits(text, 14, 2), Digits(text, 17, 2)};
}

// A consistent copy of the open database, written into a new folder in the data folder.
std::string SnapshotDatabase(const std::string& folder) {
    std::string snapshot = FileSystem::Join(folder, "Kelvo.mdb");
    modCommon::Database().GetConnection().VacuumInto(snapshot);
    return snapshot;
}

}  // namespace

frmRVBSBackupRestore::frmRVBSBackupRestore(QWidget* parent) : JobDialog(parent) {
    setModal(true);
    fraAuthenticate = new QGroupBox(this);
    lblUserName = new QLabel("User Name", fraAuthenticate);
    lblPassword = new QLabel("Password", fraAuthenticate);
    txbUserName = new QLineEdit(fraAuthenticate);
    txbPassword = new QLineEdit(fraAuthenticate);
    txbPassword->setEchoMode(QLineEdit::Password);
    cmdContinue = new QPushButton("Continue", fraAuthenticate);
    cmdQuit = new QPushButton("Quit", fraAuthenticate);
    // Neither is a default button, which Enter in the list of backups would press unseen; Enter
    // in a box of the sign-in signs in.
    for (QPushButton* button : {cmdContinue, cmdQuit}) WindowRules::MakeNoDefault(button);
    WindowRules::PressOnEnter(*fraAuthenticate, *cmdContinue);
    using DesignGeometry::Place;
    Place(fraAuthenticate, {30, 105, 4725, 1830});
    Place(lblUserName, {150, 300, 1350, 330});
    Place(txbUserName, {1500, 300, 3000, 330});
    Place(lblPassword, {150, 750, 1350, 330});
    Place(txbPassword, {1500, 750, 3000, 330});
    Place(cmdContinue, {1500, 1260, 1425, 420});
    Place(cmdQuit, {3075, 1260, 1425, 420});
    DesignGeometry::StackColumns({{lblUserName, lblPassword}, {txbUserName, txbPassword, cmdContinue}, {cmdQuit}}, 150);

    fraProgress = new QGroupBox(this);
    ProgressBar1 = new QProgressBar(fraProgress);
    Place(fraProgress, {30, 105, 4725, 900});
    Place(ProgressBar1, {150, 375, 4425, 330});
    ProgressBar1->setTextVisible(false);

    fraRestoreList = new QGroupBox("Choose the backup to restore", this);
    lstBackups = new QListWidget(fraRestoreList);
    Place(fraRestoreList, {30, 105, 6600, 3375});
    Place(lstBackups, {150, 375, 6300, 2850});
    for (QGroupBox* frame : {fraAuthenticate, fraProgress, fraRestoreList}) DesignGeometry::HoldChildren(frame, 150);

    for (QGroupBox* frame : {fraAuthenticate, fraProgress, fraRestoreList}) frame->hide();
    connect(cmdContinue, &QPushButton::clicked, this, [this] { cmdContinue_Click(); });
    connect(cmdQuit, &QPushButton::clicked, this, [this] { cmdQuit_Click(); });
    connect(lstBackups, &QListWidget::itemClicked, this, [this] { lstBackups_Click(); });
    connect(lstBackups, &QListWidget::itemActivated, this, [this] { lstBackups_Click(); });
}

frmRVBSBackupRestore& frmRVBSBackupRestore::Instance() { return DefaultInstance<frmRVBSBackupRestore>::Get(); }

void frmRVBSBackupRestore::ShowModal(bool restoring, QWidget* owner) {
    frmRVBSBackupRestore& window = Instance();
    if (owner) window.setParent(owner, window.windowFlags() | Qt::Dialog);
    window.SetForRestore(restoring);
    window.exec();
}

void frmRVBSBackupRestore::ShowFrame(QGroupBox* frame) {
    for (QGroupBox* f : {fraAuthenticate, fraProgress, fraRestoreList}) f->setVisible(f == frame);
    setFixedSize(frame->x() + frame->width() + DesignGeometry::Pixels(60),
                 frame->y() + frame->height() + DesignGeometry::Pixels(75));
}

void frmRVBSBackupRestore::Form_Load() {
    Trap("Form_Load", kObject, [&] {
        setWindowTitle(
            QString::fromStdString(std::string(restoring_ ? "Restoring from" : "Backing up to") + " the RVBS"));
        modCommon::SetFormIcon(this);
        if (DatabaseAvailable()) {
            auto items = modCommon::GetKelvoDataItems({"RVBSUserName", "RVBSPassword"});
            if (items.size() == 2) {
                for (const auto& [name, data] : items) {
                    if (name == "RVBSUserName") txbUserName->setText(QString::fromStdString(data));
                    else txbPassword->setText(QString::fromStdString(modCommon::UnscrambleText(data)));
                }
            }
        }
    });
    ShowFrame(fraAuthenticate);
}

void frmRVBSBackupRestore::cmdContinue_Click() {
    if (jobs_.Running() || unloading_) return;
    Trap("cmdContinue_Click", kObject, [&] {
        if (txbUserName->text().isEmpty() || txbPassword->text().isEmpty()) {
            Message("You must fill in both the user name and the password", "Fill in User Name and Password");
            return;
        }
        std::string userName = txbUserName->text().toStdString();
        std::string password = txbPassword->text().toStdString();
        modRVBS::SetSignIn(userName, password);
        fraProgress->setTitle(QString::fromStdString(std::string(restoring_ ? "Restore" : "Backup") + " Progress"));
        ShowFrame(fraProgress);
        if (!restoring_) {
            if (DatabaseAvailable()) StoreSignIn(userName, password);
            Backup();
            Form_Unload();
        } else {
            Restore();
        }
    });
}

void frmRVBSBackupRestore::StoreSignIn(const std::string& userName, const std::string& password) {
    modCommon::SetKelvoData("RVBSUserName", userName);
    modCommon::SetKelvoData("RVBSPassword", modCommon::ScrambleText(password));
}

long long frmRVBSBackupRestore::BackupPieceSize(long long length) {
    long long size = std::min(length / 100, MaxPieceSize);
    return size > 0 ? size : std::max(length, 1LL);
}

void frmRVBSBackupRestore::Backup() {
    JobGuard::Job job(jobs_);
    Trap("Backup", kObject, [&] {
        ProgressBar1->setValue(0);
        std::string dataSourceGUID = modCommon::GetKelvoData("DataSourceGUID");
        std::string today = DateTime::Today().ToUserText();
        auto holding = modCommon::FindKelvoData("HoldingNumber");
        std::string description =
            holding ? "Backup for holding " + *holding + " (" + today + ")" : "Backup (" + today + ")";
        std::string trackingID = modCommon::CreateGUIDString();
        FileSystem::Remove(ZipPath());  // a restore's download, which the next backup replaces

        // The zip is made from a consistent copy, never from the open file mid-write. Zipping
        // a large database takes seconds: the bar shows that work goes on and the window keeps
        // drawing meanwhile (the zip's own share done runs short of the truth). Copy and zip are
        // this run's scratch, and go however it ends.
        bool zipped = false;
        std::optional<ScratchFolder> scratch;
        std::string zipPath;
        ProgressBar1->setRange(0, 0);
        QCoreApplication::processEvents();
        try {
            scratch.emplace(modCommon::GetDatabaseFilespec());
            zipPath = FileSystem::Join(scratch->Path(), "Kelvo.zip");
            cZip zip;
            zip.SetZipFile(zipPath);
            zip.ClearFileSpecs();
            zip.AddFileSpec(SnapshotDatabase(scratch->Path()));
            zip.Progress = [](double) { QCoreApplication::processEvents(); };
            zip.Zip();
            zipped = zip.Success();
        } catch (const RuntimeError&) {
            zipped = false;
        }
        ProgressBar1->setMaximum(100);
        if (!zipped) {
            Message("Failed while compressing your database - data not backed up", "Backup Status");
            return;
        }

        std::string bytes = FileSystem::ReadAll(zipPath);
        long long length = static_cast<long long>(bytes.size());
        long long pieceSize = BackupPieceSize(length);
        long total = static_cast<long>(length / pieceSize + (length % pieceSize ? 1 : 0));
        ProgressBar1->setRange(0, total);
        ProgressBar1->setValue(0);
        std::string error;
        for (long messageNo = 1; messageNo <= total && error.empty(); ++messageNo) {
            long long from = (messageNo - 1) * pieceSize;
            modRVBS::Bytes piece(bytes.begin() + from, bytes.begin() + std::min(length, from + pieceSize));
            error = modRVBS::SendBackupChunk(trackingID, dataSourceGUID, description, messageNo, total, piece);
            ProgressBar1->setValue(messageNo);
        }
        Message(error.empty() ? "Data backed up OK" : error, "Backup Status");
    });
    ProgressBar1->setValue(0);
}

void frmRVBSBackupRestore::Restore() {
    bool unload = false;
    Trap("Restore", kObject, [&] {
        lstBackups->clear();
        auto* quit = new QListWidgetItem("Quit now - do not restore any data", lstBackups);
        quit->setData(Qt::UserRole, -1);
        std::string list;
        bool listed;
        {
            JobGuard::Job job(jobs_);
            listed = modRVBS::GetBackupList(list);
        }
        if (!listed) {
            Message("Failed to get the list of your backups from the RVBS:" + CRLF + list, "Restore List");
            unload = true;
            return;
        }
        ListBackups(list);
        ShowFrame(fraRestoreList);
    });
    if (unload) Form_Unload();
}

void frmRVBSBackupRestore::ListBackups(const std::string& list) {
    backupRecords_ = Split(list, "\f");
    for (std::size_t i = 0; i < backupRecords_.size(); ++i) {
        std::vector<std::string> fields = Split(backupRecords_[i], CRLF);
        fields.resize(4);
        if (LeadingNumber(fields[2]) <= 0) continue;
        auto* item = new QListWidgetItem(
            QString::fromStdString(fields[0] + "     " + BackupDate(fields[1]).ToGeneralText(DateTime::Year::Full)),
            lstBackups);
        item->setData(Qt::UserRole, static_cast<int>(i));
    }
    FitListToEntries();
}

// Each entry ends in its backup's date and time, which tells the backups apart: the list grows
// to show its longest entry whole, as far as the screen has room.
void frmRVBSBackupRestore::FitListToEntries() {
    using DesignGeometry::Pixels;
    const int wanted = lstBackups->sizeHintForColumn(0) + 2 * lstBackups->frameWidth() +
                       lstBackups->verticalScrollBar()->sizeHint().width() + Pixels(60);
    const int room = DesignGeometry::Room(this).width() - fraRestoreList->x() - lstBackups->x() - Pixels(300);
    const int width = std::max(lstBackups->width(), std::min(wanted, room));
    if (width == lstBackups->width()) return;
    lstBackups->resize(width, lstBackups->height());
    DesignGeometry::HoldChildren(fraRestoreList, 150, true);
    if (fraRestoreList->isVisible()) ShowFrame(fraRestoreList);
}

void frmRVBSBackupRestore::lstBackups_Click() {
    // A double click reports the choice twice; only the first one acts.
    if (jobs_.Running() || unloading_) return;
    QListWidgetItem* chosen = lstBackups->currentItem();
    int record = chosen ? chosen->data(Qt::UserRole).toInt() : -1;
    if (record < 0 || record >= static_cast<int>(backupRecords_.size())) {
        Form_Unload();
        return;
    }
    JobGuard::Job job(jobs_);
    std::vector<std::string> fields = Split(backupRecords_[record], CRLF);
    fields.resize(4);
    if (!ConfirmRestore(fields[1])) return;  // the list stays for another choice
    Trap("lstBackups_Click", kObject, [&] {
        ShowFrame(fraProgress);
        QCoreApplication::processEvents();
        // The download and what it holds are this run's scratch, and go however it ends.
        std::optional<ScratchFolder> scratch;
        FileSystem::Remove(ZipPath());
        if (FetchRestoreZip(scratch, fields[3])) {
            // The whole download stays in the data folder; the next backup replaces it.
            FileSystem::Rename(FileSystem::Join(scratch->Path(), "Kelvo.zip"), ZipPath());
            std::string kept;
            const int restored = PutRestoredDatabaseInPlace(ZipPath(), scratch->Path(), &kept);
            if (restored == 0)
                Message("Your data has been successfully restored" + clsDatabase::KeptLine(kept), "Data Restored OK");
            else if (restored != 3)  // 3: the keeper has been told why
                Message("Your data could not be extracted from the data received from the RVBS", "Data Not Restored");
        }
        ProgressBar1->setValue(0);
    });
    Form_Unload();
}

// A restore replaces the data the keeper has now: a click in the list asks first, and the answer
// Enter gives is No.
bool frmRVBSBackupRestore::ConfirmRestore(const std::string& backupDate) {
    return Prompts::MsgBox(
               "Do you want to restore your backup of " + BackupDate(backupDate).ToGeneralText(DateTime::Year::Full) +
                   "?" + CRLF + "It replaces the data you have now, which is kept first in " +
                   modCommon::GetDatabaseFilespec() + ", under the date and time of the restore.",
               Prompts::YesNo | Prompts::Question | Prompts::DefaultButton2, "Restore from the RVBS?") == Prompts::Yes;
}

// The download goes into a scratch folder made for it. It stops at the first piece the disk has no
// room for, or at once when the disk has no room for the folder; the keeper is told so.
bool frmRVBSBackupRestore::FetchRestoreZip(std::optional<ScratchFolder>& scratch, const std::string& dataSourceGUID) {
    try {
        scratch.emplace(modCommon::GetDatabaseFilespec());
        FileSystem::Writer zip(FileSystem::Join(scratch->Path(), "Kelvo.zip"));
        std::string trackingID = modCommon::CreateGUIDString();
        ProgressBar1->setValue(0);
        ProgressBar1->setMaximum(RestoreMessages);
        for (long messageNo = 1; messageNo <= RestoreMessages; ++messageNo) {
            ProgressBar1->setValue(messageNo);
            modRVBS::Bytes piece;
            std::string error = modRVBS::GetRestoreChunk(dataSourceGUID, trackingID, messageNo, RestoreMessages, piece);
            if (!error.empty()) {
                Message("Unable to restore your data:" + CRLF + error, "Restore Failed");
                return false;
            }
            zip.Write(piece.data(), piece.size());
        }
        return true;
    } catch (const RuntimeError& failure) {
        if (!failure.noRoom) throw;
        modCommon::LogError(failure, "FetchRestoreZip", kObject, false);
        Message(
            "Unable to restore your data: the disk is full, and the backup received from the RVBS does not fit in " +
                modCommon::GetDatabaseFilespec() + "." + CRLF + "Your data has not been changed.",
            "Restore Failed");
        return false;
    }
}

// The download is unzipped into a folder of the scratch and handed to the gateway's restore,
// which checks it and writes it into the live database; the live data stays on any failure,
// and what it held before the restore stays in a copy of its own beside it (`kept`). An archive
// the unzip refuses, or a database the gateway refuses, is reported with the reason (3).
int frmRVBSBackupRestore::PutRestoredDatabaseInPlace(const std::string& zipPath, const std::string& scratch,
                                                     std::string* kept) {
    int restored = -1;
    Trap("PutRestoredDatabaseInPlace", kObject, [&] {
        // A folder of its own: nothing the archive holds can pass for the scratch's own notes.
        const std::string folder = FileSystem::Join(scratch, "extracted");
        FileSystem::CreateDirectories(folder);
        cUnzip unzip;
        std::string refused;
        unzip.Message = [&](const std::string& text) { refused = text; };
        unzip.SetZipFile(zipPath);
        unzip.SetUnzipFolder(folder);
        unzip.SetOverwriteExisting(true);
        std::string extracted = FileSystem::Join(folder, "Kelvo.mdb");
        const bool unzipped = unzip.Unzip();
        if (!unzipped && !refused.empty()) {
            modCommon::LogError(RuntimeError(ErrorNumber::InvalidCall, refused), "PutRestoredDatabaseInPlace", kObject,
                                false);
            Message("Your data could not be extracted from the data received from the RVBS:" + CRLF + refused,
                    "Data Not Restored");
            restored = 3;
        } else if (unzipped && FileSystem::Exists(extracted)) {
            clsDatabase::RestoreReport report;
            restored = modCommon::Database().Restore(extracted, &report);
            if (kept) *kept = report.kept;
            if (restored == 1) restored = ReportRefused(report.refusal);
        }
    });
    return restored;
}

// A downloaded database the gateway would not take: the keeper and the error log are told why,
// in the check's own words (3), where it gives them (else 1, as the gateway said).
int frmRVBSBackupRestore::ReportRefused(const std::string& reason) {
    if (reason.empty()) return 1;
    const std::string refused = "The database in the backup received from the RVBS was refused: " + reason;
    modCommon::LogError(RuntimeError(ErrorNumber::DatabaseFailure, refused), "PutRestoredDatabaseInPlace", kObject,
                        false);
    Message(refused + CRLF + "Your data has not been changed.", "Data Not Restored");
    return 3;
}

void frmRVBSBackupRestore::cmdQuit_Click() { Form_Unload(); }

void frmRVBSBackupRestore::Form_Unload() {
    if (unloading_) return;
    unloading_ = true;
    if (DefaultInstance<frmRVBSBackupRestore>::Loaded() == this) DefaultInstance<frmRVBSBackupRestore>::UnloadLater();
    done(QDialog::Rejected);
}

void RegisterBackupWindow() {
    clsDatabase::RegisterOnlineRestore([] { frmRVBSBackupRestore::ShowModal(true); });
    modMainWindowServices::RegisterOnlineBackupWindow(
        [](bool restoring, QWidget* owner) { frmRVBSBackupRestore::ShowModal(restoring, owner); });
}
