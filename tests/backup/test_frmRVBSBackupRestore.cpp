#include <gtest/gtest.h>

#include <QLocale>

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>

#include "backup/cUnzip.h"
#include "backup/cZip.h"
#include "backup/frmRVBSBackupRestore.h"
#include "backup/modRVBS.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "fixtures/DatabaseBuilder.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/PeerProcess.h"
#include "fixtures/RawZip.h"
#include "fixtures/WindowChecks.h"
#include "fixtures/WindowTest.h"
#include "platform/Connection.h"
#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Text.h"
#include "sim/FakeRVBS.h"

namespace {

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class BackupWindowTest : public WindowTest {
protected:
    std::unique_ptr<FakeRVBS> fake;
    std::string scratch = FileSystem::MakeTempFolder(home.root());

    void SetUp() override {
        fake = std::make_unique<FakeRVBS>(modRVBS::ServiceNamespace());
        fake->Start();
        fake->SetAccount("jo", "pa'ss");
        home.SetMachineSetting(modRVBS::EndpointSetting, fake->Endpoint());
        ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
        ASSERT_TRUE(modCommon::VersionCheck());
        modCommon::SetKelvoData("DataSourceGUID", "G-LIVE");
        modCommon::SetKelvoData("Marker", "live");
    }

    // The window as the keeper meets it: shown, signed in.
    std::unique_ptr<frmRVBSBackupRestore> Open(bool restoring, const std::string& user = "jo",
                                               const std::string& password = "pa'ss") {
        auto w = std::make_unique<frmRVBSBackupRestore>();
        w->SetForRestore(restoring);
        w->show();
        w->txbUserName->setText(QString::fromStdString(user));
        w->txbPassword->setText(QString::fromStdString(password));
        return w;
    }

    // A zip holding a copy of the template database marked as the restored one, and
    // whatever else a test adds to it.
    std::string RestorableZip(const std::string& marker = "restored", const std::string& version = "") {
        std::string folder = FileSystem::MakeTempFolder(scratch);
        std::string db = folder + "/Kelvo.mdb";
        FileSystem::Copy(home.ProgramFolder() + "/Kelvo.mdb", db);
        {
            Connection c;
            c.Open(db);
            c.Execute("INSERT INTO KelvoData (ItemName, ItemData) VALUES ('Marker','" + marker + "')");
            if (!version.empty()) c.Execute("UPDATE KelvoData SET ItemData='" + version + "' WHERE ItemName='Version'");
        }
        return Zipped(db, folder + "/Kelvo.zip");
    }
    // The bytes of a zip made at `path` with `file` alone in it.
    static std::string Zipped(const std::string& file, const std::string& path) {
        cZip zip;
        zip.SetZipFile(path);
        zip.AddFileSpec(file);
        zip.Zip();
        EXPECT_TRUE(zip.Success());
        return FileSystem::ReadAll(path);
    }

    std::string ErrorLog() const {
        const std::string log = home.DataFolder() + "/KelvoErrorLog.txt";
        return FileSystem::Exists(log) ? FileSystem::ReadAll(log) : "";
    }

    void ChooseBackup(frmRVBSBackupRestore& w, int row) {
        w.lstBackups->setCurrentRow(row);
        w.lstBackups_Click();
    }
};

TEST_F(BackupWindowTest, PieceRule) {
    for (const auto& [size, piece] : {std::pair{12345, 123}, {20000000, 100000}, {10000000, 100000}, {99, 99}})
        EXPECT_EQ(frmRVBSBackupRestore::BackupPieceSize(size), piece) << size;
}

TEST_F(BackupWindowTest, BackupSendsASnapshotInNumberedPiecesAndRemembersTheSignIn) {
    DateTime::PinClock({2024, 6, 1, 10, 0, 0});
    modCommon::SetKelvoData("HoldingNumber", "12/345/6789");
    // Enough rows to make the zip larger than a hundred pieces' worth of bytes.
    for (int i = 0; i < 400; ++i)
        modCommon::Database().Execute("INSERT INTO KelvoData (ItemName, ItemData) VALUES ('Row" + std::to_string(i) +
                                      "','" + modCommon::CreateGUIDString() + "')");
    auto w = Open(false);
    EXPECT_EQ(w->windowTitle().toStdString(), "Backing up to the RVBS");
    EXPECT_EQ(w->txbPassword->echoMode(), QLineEdit::Password);
    prompts.Answer(Prompts::OK);
    w->cmdContinue_Click();
    ASSERT_EQ(prompts.Messages(), (std::vector<std::string>{"Data backed up OK"}));
    EXPECT_EQ(prompts.shown().back().title, "Backup Status");

    auto stored = fake->BackupData("G-LIVE");
    ASSERT_TRUE(stored);
    long long length = static_cast<long long>(stored->size());
    long long piece = frmRVBSBackupRestore::BackupPieceSize(length);
    auto requests = fake->Requests();
    ASSERT_EQ(static_cast<long long>(requests.size()), length / piece + (length % piece ? 1 : 0));
    EXPECT_GE(requests.size(), 100u);
    for (std::size_t i = 0; i + 1 < requests.size(); ++i)
        ASSERT_EQ(static_cast<long long>(requests[i].chunk.size()), piece) << i;
    EXPECT_EQ(requests[0].fields.at("DataSourceDescription"),
              "Backup for holding 12/345/6789 (" + DateTime::Today().ToUserText() + ")");
    EXPECT_EQ(requests[0].fields.at("TotalMessages"), std::to_string(requests.size()));

    // The backup is a zip of the database under its own name, and it opens.
    FileSystem::WriteAll(scratch + "/got.zip", *stored);
    cUnzip unzip;
    unzip.SetZipFile(scratch + "/got.zip");
    unzip.Directory();
    ASSERT_EQ(unzip.FileCount(), 1);
    EXPECT_EQ(unzip.Filename(1), "Kelvo.mdb");
    unzip.SetUnzipFolder(scratch);
    ASSERT_TRUE(unzip.Unzip());
    EXPECT_TRUE(clsDatabase::IsUsableDatabase(scratch + "/Kelvo.mdb"));

    EXPECT_EQ(modCommon::GetKelvoData("RVBSUserName"), "jo");
    EXPECT_EQ(modCommon::UnscrambleText(modCommon::GetKelvoData("RVBSPassword")), "pa'ss");
    EXPECT_EQ(FolderNames(home.DataFolder()), std::vector<std::string>{"Kelvo.mdb"})
        << "neither the zip nor the snapshot stays behind";

    auto again = std::make_unique<frmRVBSBackupRestore>();
    again->show();
    EXPECT_EQ(again->txbUserName->text().toStdString(), "jo");
    EXPECT_EQ(again->txbPassword->text().toStdString(), "pa'ss");
}

TEST_F(BackupWindowTest, BackupStopsAtTheFirstFailingPieceAndWithoutSignIn) {
    auto empty = Open(false, "jo", "");
    prompts.Answer(Prompts::OK);
    empty->cmdContinue_Click();
    EXPECT_EQ(prompts.LastText(), "You must fill in both the user name and the password");
    EXPECT_EQ(prompts.shown().back().title, "Fill in User Name and Password");
    EXPECT_EQ(fake->Requests().size(), 0u);
    EXPECT_TRUE(empty->fraAuthenticate->isVisible());

    modCommon::Database().Execute("DELETE FROM KelvoData WHERE ItemName='HoldingNumber'");
    fake->FailOn({"BackupData", 3, FakeRVBS::Failure::Status, 0, "Quota exceeded"});
    auto w = Open(false);
    prompts.Answer(Prompts::OK);
    w->cmdContinue_Click();
    EXPECT_EQ(prompts.LastText(), "Quota exceeded");
    auto requests = fake->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].fields.at("DataSourceDescription"), "Backup (" + DateTime::Today().ToUserText() + ")");
    EXPECT_FALSE(FileSystem::Exists(home.DataFolder() + "/Kelvo.zip"));
}

// A disk without room for the copy to be zipped: nothing is sent and no scratch stays.
TEST_F(BackupWindowTest, ABackupThatMeetsAFullDiskSendsNothingAndLeavesNoScratch) {
    // Two megabytes of animals, after the settings' pages: the sign-in is stored below the limit.
    modCommon::Database().Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
        "INSERT INTO Animals (TagNumber) SELECT hex(randomblob(500)) FROM n");
    auto w = Open(false);
    prompts.Answer(Prompts::OK);
    {
        FileSizeLimit full(1 << 20);
        w->cmdContinue_Click();
    }
    EXPECT_EQ(prompts.Messages(),
              (std::vector<std::string>{"Failed while compressing your database - data not backed up"}));
    EXPECT_EQ(prompts.shown().back().title, "Backup Status");
    EXPECT_EQ(fake->Requests().size(), 0u);
    EXPECT_EQ(FolderNames(home.DataFolder()), std::vector<std::string>{"Kelvo.mdb"}) << "no snapshot stays behind";
    EXPECT_FALSE(w->isVisible());
}

// The list leaves out empty backups but keeps their numbers. Sign-in and list show their texts
// whole; from the keyboard Tab reaches every control, Enter after the password signs in, Escape
// leaves.
TEST_F(BackupWindowTest, ListLeavesOutEmptyBackupsAndEveryStepShowsItsTextsWholeAndWorksFromTheKeyboard) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    fake->AddBackup({"G-A", "First", "2024-01-02T03:04:05", "aaaa"});
    fake->AddBackup({"G-B", "Empty", "2024-02-03T04:05:06", "", "0"});
    fake->AddBackup(
        {"G-C", "Backup for holding 12/345/6789 of the whole flock (10 Dec 2026)", "2024-03-04T05:06:07", "cccc"});
    auto w = Open(true);
    EXPECT_EQ(w->windowTitle().toStdString(), "Restoring from the RVBS");
    EXPECT_EQ(CutTexts(*w), std::vector<std::string>{});
    EXPECT_EQ(NotReachedByTab(*w), std::vector<std::string>{});
    QTest::keyClick(w->txbPassword, Qt::Key_Return);
    EXPECT_EQ(CutTexts(*w), std::vector<std::string>{});
    EXPECT_TRUE(prompts.Messages().empty());
    ASSERT_EQ(w->lstBackups->count(), 3);
    EXPECT_EQ(w->lstBackups->item(0)->text().toStdString(), "Quit now - do not restore any data");
    EXPECT_EQ(w->lstBackups->item(0)->data(Qt::UserRole).toInt(), -1);
    EXPECT_EQ(w->lstBackups->item(1)->text().toStdString(), "First     02/01/2024 03:04:05");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));  // a short date of two-digit years
    frmRVBSBackupRestore other;
    other.ListBackups("Other\r\n2024-01-02T13:14:15\r\n4\r\nG-O");
    EXPECT_EQ(other.lstBackups->item(0)->text().toStdString().substr(0, 22), "Other     1/2/2024 1:1");
    QLocale::setDefault(QLocale::system());
    EXPECT_EQ(w->lstBackups->item(2)->data(Qt::UserRole).toInt(), 2);
    EXPECT_TRUE(w->fraRestoreList->isVisible());

    // The first entry quits without touching anything.
    std::string before = FileSystem::ReadAll(home.DatabasePath());
    ChooseBackup(*w, 0);
    EXPECT_EQ(fake->CountOf("RestoreData"), 0);
    EXPECT_TRUE(FileSystem::ReadAll(home.DatabasePath()) == before) << "the live file is unchanged";
    EXPECT_FALSE(w->isVisible());
    auto again = Open(false);
    QTest::keyClick(again->txbUserName, Qt::Key_Escape);
    EXPECT_FALSE(again->isVisible());
}

TEST_F(BackupWindowTest, ListFailuresAreShownAndTheWindowCloses) {
    auto none = Open(true);
    prompts.Answer(Prompts::OK);
    none->cmdContinue_Click();
    EXPECT_EQ(prompts.LastText(),
              "Failed to get the list of your backups from the RVBS:\r\n"
              "The RVBS has no backups of your data");
    EXPECT_EQ(prompts.shown().back().title, "Restore List");
    EXPECT_FALSE(none->isVisible());

    fake->FailOn({"RestoreDataSourceList", 0, FakeRVBS::Failure::HttpEmpty, 503});
    auto w = Open(true);
    prompts.Answer(Prompts::OK);
    w->cmdContinue_Click();
    EXPECT_EQ(prompts.LastText(),
              "Failed to get the list of your backups from the RVBS:\r\n"
              "The RVBS failed to respond...Error 503 - Service Unavailable");
}

// The file's identity: the restore writes into the live file, which stays where it is.
ino_t Inode(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// The restore asks first, No being the default; it keeps the data it replaces in a copy of its
// own, which the message names.
TEST_F(BackupWindowTest, RestoreReplacesTheLiveDatabaseWithTheChosenBackup) {
    std::string templateBefore = FileSystem::ReadAll(home.ProgramFolder() + "/Kelvo.mdb");
    const ino_t live = Inode(home.DatabasePath());
    fake->AddBackup({"G-OLD", "Older", "2024-01-02T03:04:05", RestorableZip("older")});
    fake->AddBackup({"G-NEW", "Newer", "2024-02-02T03:04:05", RestorableZip("restored")});
    auto w = Open(true);
    w->cmdContinue_Click();
    prompts.Answer(Prompts::No);
    ChooseBackup(*w, 2);
    EXPECT_EQ(prompts.shown().back().title + "/" + std::to_string(prompts.shown().back().style),
              "Restore from the RVBS?/292");
    const std::string date = DateTime{2024, 2, 2, 3, 4, 5}.ToGeneralText(DateTime::Year::Full);
    EXPECT_EQ(prompts.LastText(), "Do you want to restore your backup of " + date +
                                      "?\r\nIt replaces the data you have now, which is kept first in " +
                                      home.DataFolder() + ", under the date and time of the restore.");
    EXPECT_TRUE(w->fraRestoreList->isVisible()) << "No leaves the list for another choice";
    EXPECT_EQ(fake->CountOf("RestoreData"), 0);

    DateTime::PinClock({2024, 6, 1, 10, 0, 0});
    prompts.Answer(Prompts::Yes).Answer(Prompts::OK);
    ChooseBackup(*w, 2);
    const std::string kept = home.DataFolder() + "/Kelvo before restore 2024-06-01 10.00.00.mdb";
    EXPECT_EQ(prompts.LastText(),
              "Your data has been successfully restored\r\nThe data it replaced is kept in " + kept);
    EXPECT_EQ(prompts.shown().back().title, "Data Restored OK");
    w->lstBackups_Click();  // the second half of a double click
    EXPECT_EQ(fake->CountOf("RestoreData"), 100);
    EXPECT_EQ(fake->Requests().back().fields.at("RestoreDataSourceGUID"), "G-NEW");

    ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
    EXPECT_EQ(modCommon::GetKelvoData("Marker"), "restored");
    EXPECT_TRUE(FileSystem::ReadAll(home.ProgramFolder() + "/Kelvo.mdb") == templateBefore)
        << "the shipped template is never written";
    EXPECT_EQ(FolderNames(home.DataFolder()),
              (std::vector<std::string>{"Kelvo before restore 2024-06-01 10.00.00.mdb", "Kelvo.mdb", "Kelvo.zip"}));
    EXPECT_EQ(Inode(home.DatabasePath()), live);
    EXPECT_EQ(DatabaseBuilder::Scalar(kept, "SELECT ItemData FROM KelvoData WHERE ItemName='Marker'"), "live")
        << "the data of the moment before is kept";
    EXPECT_FALSE(w->isVisible());
}

// A restore that cannot keep the data it would replace restores nothing.
TEST_F(BackupWindowTest, RestoreThatCannotKeepThePresentDataLeavesIt) {
    fake->AddBackup({"G-NEW", "Newer", "2024-02-02T03:04:05", RestorableZip()});
    modCommon::Database().Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
        "INSERT INTO Animals (TagNumber) SELECT hex(randomblob(500)) FROM n");
    const std::string before = FileSystem::ReadAll(home.DatabasePath());
    DateTime::PinClock({2024, 6, 1, 10, 0, 0});
    auto w = Open(true);
    w->cmdContinue_Click();
    prompts.Answer(Prompts::Yes).Answer(Prompts::OK);
    {
        FileSizeLimit full(before.size() / 2);  // room for the download, not for a copy of the data
        ChooseBackup(*w, 1);
    }
    EXPECT_EQ(
        prompts.LastText().rfind("Your data has not been restored, as the data you have now could not be "
                                 "copied to " +
                                     home.DataFolder() + "/Kelvo before restore 2024-06-01 10.00.00.mdb first:\r\n",
                                 0),
        0u)
        << prompts.LastText();
    EXPECT_EQ(prompts.shown().back().title, "Data Not Restored");
    EXPECT_EQ(modCommon::GetKelvoData("Marker"), "live");
    EXPECT_TRUE(FileSystem::ReadAll(home.DatabasePath()) == before);
    EXPECT_TRUE(home.KeptCopies().empty());
}

TEST_F(BackupWindowTest, FailureAtPiece37LeavesTheLiveDatabaseAndNoZip) {
    fake->AddBackup({"G-NEW", "Newer", "2024-02-02T03:04:05", RestorableZip()});
    fake->FailOn({"RestoreData", 37, FakeRVBS::Failure::Status, 0, "Backup is being archived"});
    std::string before = FileSystem::ReadAll(home.DatabasePath());
    auto w = Open(true);
    w->cmdContinue_Click();
    prompts.Answer(Prompts::Yes).Answer(Prompts::OK);
    ChooseBackup(*w, 1);
    EXPECT_EQ(prompts.LastText(), "Unable to restore your data:\r\nBackup is being archived");
    EXPECT_EQ(prompts.shown().back().title, "Restore Failed");
    EXPECT_EQ(fake->CountOf("RestoreData"), 37);
    EXPECT_TRUE(FileSystem::ReadAll(home.DatabasePath()) == before) << "the live file is unchanged";
    EXPECT_EQ(modCommon::GetKelvoData("Marker"), "live");
    EXPECT_EQ(FolderNames(home.DataFolder()), std::vector<std::string>{"Kelvo.mdb"});
}

// A download that is no database of ours keeps the live one; one the unzip or the gateway
// refuses says why, in the message and in the error log.
TEST_F(BackupWindowTest, ADownloadThatIsNoUsableDatabaseKeepsThePreviousOneAndARefusedOneSaysWhy) {
    std::string folder = FileSystem::MakeTempFolder(scratch);
    FileSystem::WriteAll(folder + "/Kelvo.mdb", "this is not a database");
    RawZip::Write(folder + "/outside.zip", {{"../Kelvo.mdb", "x"}});
    RawZip::Write(folder + "/big.zip", {{"Kelvo.mdb", std::string(2 << 20, 'a')}});
    const std::string noNotes = FileSystem::MakeTempFolder(scratch) + "/Kelvo.mdb";
    FileSystem::Copy(home.ProgramFolder() + "/Kelvo.mdb", noNotes);
    DatabaseBuilder::Run(noNotes, "DROP TABLE Notes");
    const std::string zip = home.DataFolder() + "/Kelvo.zip";
    const std::string notExtracted = "Your data could not be extracted from the data received from the RVBS",
                      refused = "The database in the backup received from the RVBS was refused: ";
    const struct {
        std::string what, data, message, reason;
    } downloads[] = {
        {"not a zip", std::string(5000, 'z'), notExtracted + ":\r\n",
         "Cannot open the archive " + zip + ": Not a zip archive"},
        {"a zip of a text file", Zipped(folder + "/Kelvo.mdb", folder + "/text.zip"), refused,
         "file is not a database"},
        {"tables the program does not know", Zipped(noNotes, folder + "/notes.zip"), refused,
         "The database has no table Notes."},
        {"a name outside the folder", FileSystem::ReadAll(folder + "/outside.zip"), notExtracted + ":\r\n",
         "Refusing to extract the archive: the entry \"../Kelvo.mdb\" would be written outside the folder"},
        {"more than the disk holds", FileSystem::ReadAll(folder + "/big.zip"), notExtracted + ":\r\n",
         "Cannot extract Kelvo.mdb: the disk is full"},
    };
    ASSERT_FALSE(HasFailure());
    for (const auto& [what, data, message, reason] : downloads) {
        SCOPED_TRACE(what);
        fake->AddBackup({"G-" + what, what, "2024-02-02T03:04:05", data});
        auto w = Open(true);
        w->cmdContinue_Click();
        prompts.Answer(Prompts::Yes).Answer(Prompts::OK);
        {
            FileSizeLimit disk(1 << 20);  // room for the download alone
            ChooseBackup(*w, w->lstBackups->count() - 1);
        }
        EXPECT_EQ(prompts.LastText(),
                  message + reason + (message == refused ? "\r\nYour data has not been changed." : ""));
        EXPECT_EQ(prompts.shown().back().title, "Data Not Restored");
        ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
        EXPECT_EQ(modCommon::GetKelvoData("Marker"), "live");
        EXPECT_TRUE(home.KeptCopies().empty());
        auto names = FolderNames(home.DataFolder());
        std::erase(names, "KelvoErrorLog.txt");
        EXPECT_EQ(names, (std::vector<std::string>{"Kelvo.mdb", "Kelvo.zip"})) << "no extraction folder stays";
        EXPECT_NE(ErrorLog().find(reason), std::string::npos) << "the reason is logged";
    }
}

// A restore larger than the disk stops at the first piece that does not fit, and says the disk is
// full; the live data stays, and no part of the download.
TEST_F(BackupWindowTest, ARestoreThatDoesNotFitStopsAtTheFirstPieceAndSaysTheDiskIsFull) {
    fake->AddBackup({"G-BIG", "Big", "2024-02-02T03:04:05", std::string(1 << 20, 'z')});
    const std::string before = FileSystem::ReadAll(home.DatabasePath());
    auto w = Open(true);
    w->cmdContinue_Click();
    prompts.Answer(Prompts::Yes).Answer(Prompts::OK);
    {
        FileSizeLimit full(200000);  // passed by the 20th of 100 pieces of 10 kB
        ChooseBackup(*w, 1);
    }
    EXPECT_EQ(prompts.LastText(),
              "Unable to restore your data: the disk is full, and the backup received from the RVBS does not fit in " +
                  home.DataFolder() + ".\r\nYour data has not been changed.");
    EXPECT_EQ(prompts.shown().back().title, "Restore Failed");
    EXPECT_EQ(fake->CountOf("RestoreData"), 20);
    EXPECT_TRUE(FileSystem::ReadAll(home.DatabasePath()) == before);
    EXPECT_EQ(FolderNames(home.DataFolder()), (std::vector<std::string>{"Kelvo.mdb", "KelvoErrorLog.txt"}));
    EXPECT_NE(ErrorLog().find("in procedure FetchRestoreZip"), std::string::npos);
}

// The download is a database of ours that this program cannot bring up to date: its version
// is unknown, or its upgrade fails once it is in. The keeper sees the same "Version Mismatch"
// as a local restore shows, the live data stays, and the program ends.
TEST_F(BackupWindowTest, ARestoredFileThatCannotBeBroughtUpToDateKeepsTheLiveDataAndShowsTheMismatch) {
    std::string folder = FileSystem::MakeTempFolder(scratch);
    // A register of the first version whose upgrade cannot create its table of countries.
    DatabaseBuilder::CreateAtVersion(folder + "/Kelvo.mdb", "1.0.0");
    DatabaseBuilder::Run(folder + "/Kelvo.mdb",
                         "CREATE TABLE Countries (X INTEGER); "
                         "INSERT INTO KelvoData (ItemName, ItemData) VALUES ('Marker','hollow')");
    ASSERT_TRUE(clsDatabase::IsUsableDatabase(folder + "/Kelvo.mdb"));
    fake->AddBackup(
        {"G-HOLLOW", "Hollow", "2024-02-02T03:04:05", Zipped(folder + "/Kelvo.mdb", folder + "/Kelvo.zip")});
    ASSERT_FALSE(HasFailure());
    fake->AddBackup({"G-NEWER", "Newer", "2024-02-02T03:04:05", RestorableZip("newer", "2.0.0")});

    std::vector<std::string> atEnd;  // what the data folder holds as the program ends
    Program::SetEndHandler([&] {
        atEnd = FolderNames(home.DataFolder());
        throw Program::Ended{};
    });
    for (const auto& [row, version] : {std::pair{1, "1.0.0"}, std::pair{2, "2.0.0"}}) {
        SCOPED_TRACE(version);
        auto w = Open(true);
        w->cmdContinue_Click();
        prompts.Answer(Prompts::Yes).AcceptAllOK();  // a failing upgrade reports its own error first
        EXPECT_THROW(ChooseBackup(*w, row), Program::Ended);
        EXPECT_EQ(atEnd, FolderNames(home.DataFolder())) << "the scratch goes before the program ends";
        EXPECT_EQ(prompts.shown().back().title, "Version Mismatch");
        EXPECT_EQ(prompts.LastText(),
                  "Your database is not the correct version for this program.\r\n"
                  "Database version: " +
                      std::string(version) +
                      "\r\nProgram version: 1.0.4\r\n"
                      "Please contact support to resolve this problem.");
        ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
        EXPECT_EQ(modCommon::GetKelvoData("Marker"), "live");
        auto names = FolderNames(home.DataFolder());
        names.erase(std::remove(names.begin(), names.end(), "KelvoErrorLog.txt"), names.end());
        EXPECT_EQ(names,
                  (std::vector<std::string>{home.KeptCopies().empty() ? "" : FileSystem::FileName(home.KeptCopies()[0]),
                                            "Kelvo.mdb", "Kelvo.zip"}));
        EXPECT_EQ(home.KeptCopies().size(), 1u) << "the copy the first restore made stays";
    }
}

// What one window backs up, the other brings back, byte for byte inside the zip.
TEST_F(BackupWindowTest, ABackupComesBackThroughTheRestore) {
    modCommon::SetKelvoData("Marker", "backed up");
    auto up = Open(false);
    prompts.Answer(Prompts::OK);
    up->cmdContinue_Click();
    ASSERT_EQ(prompts.LastText(), "Data backed up OK");
    auto stored = fake->BackupData("G-LIVE");
    ASSERT_TRUE(stored);
    std::size_t pieces = fake->Requests().size();
    EXPECT_NE(pieces % 100, 0u) << "the restore's hundred pieces are cut differently from the backup's";

    modCommon::SetKelvoData("Marker", "changed since");
    auto down = Open(true);
    down->cmdContinue_Click();
    ASSERT_EQ(down->lstBackups->count(), 2);
    prompts.Answer(Prompts::Yes).Answer(Prompts::OK);
    ChooseBackup(*down, 1);
    ASSERT_EQ(prompts.LastText().rfind("Your data has been successfully restored\r\n", 0), 0u);
    EXPECT_TRUE(FileSystem::ReadAll(home.DataFolder() + "/Kelvo.zip") == *stored);
    EXPECT_EQ(modCommon::GetKelvoData("Marker"), "backed up");
}

TEST_F(BackupWindowTest, GatewayThatCannotOpenTheDatabaseOffersTheOnlineRestore) {
    fake->AddBackup({"G-NEW", "Newer", "2024-02-02T03:04:05", RestorableZip("from start-up")});
    modCommon::ReleaseDatabase();
    FileSystem::WriteAll(home.DatabasePath(), "damaged beyond use");
    RegisterBackupWindow();

    prompts.Answer(Prompts::Yes).Answer(Prompts::No).Answer(Prompts::Yes).Answer(Prompts::OK);
    bool driven = false;
    // Making the gateway meets the damaged file and shows the window.
    RunModal<frmRVBSBackupRestore>([] { modCommon::Database(); },
                                   [&](frmRVBSBackupRestore& w) {
                                       EXPECT_TRUE(w.isVisible());
                                       EXPECT_EQ(w.windowTitle().toStdString(), "Restoring from the RVBS");
                                       EXPECT_TRUE(w.txbUserName->text().isEmpty());
                                       w.txbUserName->setText("jo");
                                       w.txbPassword->setText("pa'ss");
                                       w.cmdContinue_Click();
                                       ChooseBackup(w, 1);
                                       driven = true;
                                   });
    ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
    EXPECT_TRUE(driven);
    ASSERT_EQ(home.KeptCopies().size(), 1u);
    EXPECT_EQ(prompts.LastText(),
              "Your data has been successfully restored\r\nThe data it replaced is kept in " + home.KeptCopies()[0]);
    EXPECT_EQ(modCommon::GetKelvoData("Marker"), "from start-up");
    EXPECT_EQ(FileSystem::ReadAll(home.KeptCopies()[0]), "damaged beyond use");
    clsDatabase::RegisterOnlineRestore(nullptr);
}

// ---- Killed at any point ---------------------------------------------------------------------

// Another copy of the program backs up or restores through its window, and is killed: before a
// file operation spread over its run, or when the service gets a request. The next start leaves a
// whole database with its committed rows, and no scratch in the data folder.
class KilledOnlinePeer : public BackupWindowTest {
protected:
    const std::string pristine = home.root() + "/pristine.mdb", operations = home.root() + "/operations.txt";
    struct KillPoint {
        long fileOperation;  // 0: at the service's request of this message number (-1: the last)
        long messageNo;
    };

    void KillAtEveryPoint(const std::vector<std::string>& arguments, const std::string& operation,
                          const std::function<void()>& check) {
        FileSystem::Copy(home.DatabasePath(), pristine);
        modCommon::ReleaseDatabase();
        PeerProcess whole(arguments, {"KELVO_PEER_OPERATIONS=" + operations}, OnlinePeer);
        ASSERT_EQ(whole.Wait(), 0);
        std::vector<KillPoint> points = {{0, 1}, {0, -1}};
        for (long point : KillPointsOf(operations, 6)) points.push_back({point, 0});
        for (const auto& [fileOperation, messageNo] : points) {
            SCOPED_TRACE("killed at " + std::to_string(fileOperation) + "/" + std::to_string(messageNo));
            for (const char* left : {"Kelvo.zip", "Kelvo.mdb-journal"})
                FileSystem::Remove(home.DataFolder() + "/" + left);
            for (const auto& kept : home.KeptCopies()) FileSystem::Remove(kept);
            FileSystem::Copy(pristine, home.DatabasePath());
            PeerProcess peer(arguments, {"KELVO_PEER_KILL_AT=" + std::to_string(fileOperation)}, OnlinePeer);
            fake->OnRequest([&, pid = peer.Pid()](FakeRVBS::Request request) {
                const std::string at = messageNo < 0 ? request.fields["TotalMessages"] : std::to_string(messageNo);
                if (request.operation == operation && request.fields["MessageNo"] == at) kill(pid, SIGKILL);
            });
            const int status = peer.Wait();
            fake->OnRequest(nullptr);
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
            ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
            EXPECT_EQ(DatabaseBuilder::Scalar(home.DatabasePath(), "PRAGMA integrity_check"), "ok");
            const std::set<std::string> lasting = {"Kelvo.mdb", "Kelvo.mdb-journal", "Kelvo.zip", "KelvoErrorLog.txt"};
            for (const auto& name : FolderNames(home.DataFolder()))
                EXPECT_TRUE(lasting.count(name) || name.rfind("Kelvo before restore ", 0) == 0) << name;
            check();
            modCommon::ReleaseDatabase();
        }
    }
};

TEST_F(KilledOnlinePeer, ABackupKilledAnywhereLeavesTheDatabaseAndNoScratch) {
    KillAtEveryPoint({"backup", home.ProgramFolder(), "jo", "pa'ss"}, "BackupData", [] {
        EXPECT_EQ(modCommon::GetKelvoData("Marker"), "live");
        EXPECT_EQ(modCommon::FindKelvoData("RVBSUserName").value_or("jo"), "jo") << "stored whole or not at all";
    });
}

TEST_F(KilledOnlinePeer, ARestoreKilledAnywhereLeavesTheOldOrTheNewDatabaseAndNoScratch) {
    const std::string zip = RestorableZip("restored");
    fake->AddBackup({"G-NEW", "Newer", "2024-02-02T03:04:05", zip});
    modCommon::SetKelvoData("RVBSUserName", "jo");  // a row of the old data
    std::set<std::string> seen;
    KillAtEveryPoint({"restore", home.ProgramFolder(), "jo", "pa'ss", "1"}, "RestoreData", [&] {
        const std::string marker = modCommon::GetKelvoData("Marker");
        EXPECT_TRUE(marker == "restored" || (marker == "live" && modCommon::GetKelvoData("RVBSUserName") == "jo"));
        seen.insert(marker);
        const std::string kept = home.DataFolder() + "/Kelvo.zip";
        EXPECT_TRUE(!FileSystem::Exists(kept) || FileSystem::ReadAll(kept) == zip) << "only a whole download stays";
    });
    EXPECT_EQ(seen.size(), 2u) << "runs were killed before and after the restored data was in";
}

}  // namespace
