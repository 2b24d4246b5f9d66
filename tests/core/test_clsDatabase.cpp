#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modSchema.h"
#include "fixtures/DatabaseBuilder.h"
#include "fixtures/PeerProcess.h"
#include "fixtures/RestrictedFile.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Text.h"

using DatabaseBuilder::Scalar;

namespace {

class Gateway : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(modCommon::VersionCheck()); }
    static clsDatabase& Db() { return modCommon::Database(); }
    static std::string Text(const std::string& sql) {
        Recordset rs = Db().OpenRecordset(sql);
        return rs.Eof() ? "<none>" : rs.Field(0).ToStringOr("<null>");
    }
    // A database of this program elsewhere, with one animal.
    std::string MakeBackupFile(const std::string& tag, const std::string& version = "1.0.4") {
        std::string path = home.root() + "/backup-" + tag + ".mdb";
        DatabaseBuilder::CreateAtVersion(path, version);
        DatabaseBuilder::Run(path, "INSERT INTO Animals (TagNumber) VALUES ('" + tag + "')");
        return path;
    }
    std::string ErrorLog() const {
        std::string path = home.DataFolder() + "/KelvoErrorLog.txt";
        return FileSystem::Exists(path) ? FileSystem::ReadAll(path) : "";
    }
    TempHome home;
};

}  // namespace

TEST_F(Gateway, FailingStatementsAreLoggedWithTheirSqlAndTheCallerCarriesOn) {
    ScriptedPrompts prompts;
    prompts.Answer(Prompts::OK).Answer(Prompts::OK);
    EXPECT_EQ(Db().Execute("UPDATE NoSuchTable SET X=1"), 0);
    Recordset rs = Db().OpenRecordset("SELECT Nothing FROM Animals");
    EXPECT_FALSE(rs.IsOpen());
    ASSERT_EQ(prompts.Messages().size(), 2u);
    EXPECT_EQ(prompts.shown()[0].title, "Application Error");
    EXPECT_EQ(prompts.shown()[0].style, Prompts::Critical);
    EXPECT_EQ(prompts.Messages()[0],
              "An error occurred in procedure Execute - Using UPDATE NoSuchTable SET X=1 in clsDatabase\r\n"
              "The error was 'no such table: NoSuchTable' (Error number -2147467259)");
    std::string log = ErrorLog();
    EXPECT_NE(log.find("\tno such table: NoSuchTable (Error number -2147467259) in procedure Execute - Using "
                       "UPDATE NoSuchTable SET X=1 in clsDatabase\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("in procedure OpenRecordset - Using SELECT Nothing FROM Animals in clsDatabase\r\n"),
              std::string::npos);
}

TEST_F(Gateway, ExecuteCountsRowsAndRecordsetsWriteBackWithNewKeys) {
    EXPECT_EQ(Db().Execute("INSERT INTO Animals (TagNumber) VALUES ('A'), ('B')"), 2);
    Recordset rs = Db().OpenRecordset("SELECT * FROM Animals WHERE 1=0");
    rs.AddNew();
    rs.SetField("TagNumber", "O'Neill");
    rs.Update();
    long id = static_cast<long>(rs["AnimalID"].ToLong());
    EXPECT_GT(id, 2);
    EXPECT_EQ(Text("SELECT TagNumber FROM Animals WHERE AnimalID=" + std::to_string(id)), "O'Neill");
    Recordset edit = Db().OpenRecordset("SELECT AnimalID, TagNumber FROM Animals ORDER BY AnimalID");
    ASSERT_TRUE(edit.Find("TagNumber='b'"));
    edit.SetField("TagNumber", "C");
    edit.Update();
    edit.MoveFirst();
    edit.Delete();
    EXPECT_EQ(Text("SELECT group_concat(TagNumber) FROM Animals"), "C,O'Neill");
}

TEST_F(Gateway, TransactionsCommitRollBackAndIgnoreOtherCodes) {
    Db().Transaction(0);
    Db().Execute("INSERT INTO Animals (TagNumber) VALUES ('kept')");
    Db().Transaction(1);
    Db().Transaction(0);
    Db().Execute("INSERT INTO Animals (TagNumber) VALUES ('dropped')");
    Db().Transaction(3);  // does nothing: the transaction is still open
    Db().Transaction(2);
    EXPECT_EQ(Text("SELECT group_concat(TagNumber) FROM Animals"), "kept");
}

TEST_F(Gateway, BackupIsACompactedCopyAndNeverTheLiveFile) {
    Db().Execute("INSERT INTO Animals (TagNumber) VALUES ('UK 1')");
    std::string target = home.root() + "/copy.mdb";
    FileSystem::WriteAll(target, "old backup");
    ASSERT_TRUE(Db().Backup(target));
    EXPECT_EQ(Scalar(target, "SELECT TagNumber FROM Animals"), "UK 1");
    EXPECT_FALSE(FileSystem::Exists(target + "tmp"));

    std::string upper = home.DataFolder() + "/KELVO.MDB";
    EXPECT_FALSE(Db().Backup(upper));
    EXPECT_FALSE(FileSystem::Exists(upper));
    // Another spelling of the same file (a link) is refused as well.
    std::string link = home.root() + "/link.mdb";
    ASSERT_EQ(symlink(home.DatabasePath().c_str(), link.c_str()), 0);
    EXPECT_FALSE(Db().Backup(link));
    EXPECT_EQ(Text("SELECT TagNumber FROM Animals"), "UK 1");
}

TEST_F(Gateway, RestoreRefusesFilesThatAreNotSoundDatabasesOfThisProgram) {
    Db().Execute("INSERT INTO Animals (TagNumber) VALUES ('live')");
    std::string text = home.root() + "/notes.mdb";
    FileSystem::WriteAll(text, "this is not a database\r\n");
    EXPECT_EQ(Db().Restore(text), 1);
    std::string foreign = home.root() + "/foreign.mdb";
    {
        Connection other;
        other.Open(foreign, true);
        other.Execute("CREATE TABLE Stock (Item TEXT)");
    }
    EXPECT_EQ(Db().Restore(foreign), 1);
    std::string damaged = MakeBackupFile("damaged");
    DatabaseBuilder::DamagePastFirstPage(damaged);
    EXPECT_EQ(Db().Restore(damaged), 1);
    EXPECT_TRUE(Db().DatabaseAvailable());
    EXPECT_EQ(Text("SELECT TagNumber FROM Animals"), "live");
}

TEST_F(Gateway, RestoreOfAnUnknownVersionShowsTheMismatchAndKeepsTheLiveData) {
    Db().Execute("INSERT INTO Animals (TagNumber) VALUES ('live')");
    std::string newer = MakeBackupFile("newer", "2.0.0");
    ScriptedPrompts prompts;
    prompts.Answer(Prompts::OK);
    EXPECT_THROW(Db().Restore(newer), Program::Ended);
    EXPECT_EQ(prompts.shown().at(0).title, "Version Mismatch");
    EXPECT_EQ(prompts.shown()[0].text,
              "Your database is not the correct version for this program.\r\nDatabase version: 2.0.0\r\n"
              "Program version: 1.0.4\r\nPlease contact support to resolve this problem.");
    EXPECT_EQ(Text("SELECT TagNumber FROM Animals"), "live");
}

// The backup is written into the live file itself: another connection to it (another copy of
// the program) reads the restored data, the file keeps its own mode, and the backup is only
// read, whatever its mode or name (the restore once used ".restoring" beside the live file).
TEST_F(Gateway, RestoreWritesTheBackupIntoTheLiveFileAndOnlyReadsTheBackup) {
    Db().Execute("INSERT INTO Animals (TagNumber) VALUES ('live')");
    Connection other;
    other.Open(home.DatabasePath());
    struct stat live {};
    ASSERT_EQ(stat(home.DatabasePath().c_str(), &live), 0);
    std::string backup = MakeBackupFile("restored", "1.0.2");
    ASSERT_EQ(chmod(backup.c_str(), 0444), 0);
    std::string backupBytes = FileSystem::ReadAll(backup);

    EXPECT_EQ(Db().Restore(backup), 0);
    EXPECT_EQ(Text("SELECT TagNumber FROM Animals"), "restored");
    EXPECT_EQ(Text("SELECT ItemData FROM KelvoData WHERE ItemName='Version'"), "1.0.4");
    EXPECT_EQ(other.Query("SELECT TagNumber FROM Animals").Field(0).ToString(), "restored");
    struct stat restored {};
    ASSERT_EQ(stat(home.DatabasePath().c_str(), &restored), 0);
    EXPECT_EQ(restored.st_ino, live.st_ino);
    EXPECT_EQ(restored.st_mode, live.st_mode);
    EXPECT_EQ(Db().Execute("INSERT INTO Animals (TagNumber) VALUES ('after')"), 1);
    EXPECT_TRUE(FileSystem::ReadAll(backup) == backupBytes);
    for (const char* leftover : {".bak.partial", ".bak.partial-journal", "-journal"})
        EXPECT_FALSE(FileSystem::Exists(home.DatabasePath() + leftover)) << leftover;

    std::string beside = home.DatabasePath() + ".restoring";
    FileSystem::Copy(MakeBackupFile("beside"), beside);
    std::string besideBytes = FileSystem::ReadAll(beside);
    EXPECT_EQ(Db().Restore(beside), 0);
    EXPECT_EQ(Text("SELECT group_concat(TagNumber) FROM Animals"), "beside");
    EXPECT_TRUE(FileSystem::Exists(beside) && FileSystem::ReadAll(beside) == besideBytes);
}

// Compaction works inside the file: another connection that has it open keeps its file and
// sees the compacted content; one in the middle of reading makes the release leave the file
// alone this time, which is logged and not shown.
TEST_F(Gateway, ReleaseCompactsInPlaceUnlessAnotherProgramIsReadingTheFile) {
    auto fillAndEmpty = [] {
        Db().Execute("CREATE TABLE IF NOT EXISTS Filler (X TEXT)");
        for (int i = 0; i < 200; ++i) Db().Execute("INSERT INTO Filler VALUES (hex(randomblob(500)))");
        Db().Execute("DELETE FROM Filler");
    };
    fillAndEmpty();
    long long before = FileSystem::Size(home.DatabasePath());
    Connection other;
    other.Open(home.DatabasePath());
    struct stat opened {};
    ASSERT_EQ(stat(home.DatabasePath().c_str(), &opened), 0);
    modCommon::ReleaseDatabase();
    EXPECT_LT(FileSystem::Size(home.DatabasePath()), before / 2);
    struct stat compacted {};
    ASSERT_EQ(stat(home.DatabasePath().c_str(), &compacted), 0);
    EXPECT_EQ(compacted.st_ino, opened.st_ino) << "the file is never replaced";
    EXPECT_EQ(other.Query("SELECT ItemData FROM KelvoData WHERE ItemName='Version'").Field(0).ToString(), "1.0.4");
    EXPECT_FALSE(FileSystem::Exists(home.DataFolder() + "/CompactedKelvo.mdb"));

    ShortTimeOuts shortWaits("0.2");
    fillAndEmpty();
    other.Begin();
    other.Query("SELECT count(*) FROM Animals");
    std::string held = FileSystem::ReadAll(home.DatabasePath());
    ScriptedPrompts nothingShown;
    const auto start = std::chrono::steady_clock::now();
    modCommon::ReleaseDatabase();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(Program::ScaledMs(2500)))
        << "the end waits a moment for the reader, not a keeper's busy time-out";
    other.Rollback();
    EXPECT_TRUE(FileSystem::ReadAll(home.DatabasePath()) == held);
    EXPECT_NE(
        ErrorLog().find("database is locked (Error number -2147467259) in procedure Class_Terminate in clsDatabase"),
        std::string::npos);
}

// Another program holding the file locked: retry or quit, no restore offered, nothing written.
TEST(GatewayStart, AFileLockedByAnotherProgramIsInUseNotDamaged) {
    TempHome home;
    ASSERT_TRUE(modCommon::VersionCheck());
    modCommon::ReleaseDatabase();
    const std::string bytes = FileSystem::ReadAll(home.DatabasePath());
    ShortTimeOuts shortWaits;
    auto locked = std::make_unique<LockingPeer>(home.DatabasePath(), home.root());
    ScriptedPrompts prompts;
    prompts.Answer(Prompts::Retry).Answer(Prompts::Cancel);
    EXPECT_THROW(modCommon::Database(), Program::Ended);
    ASSERT_EQ(prompts.shown().size(), 2u);
    EXPECT_EQ(prompts.shown()[1].title + "/" + std::to_string(prompts.shown()[1].style), "Database In Use/53");
    EXPECT_EQ(prompts.LastText(),
              "Your Kelvo database is in use by another program, so it cannot be opened now.\r\n"
              "Close the other program and choose Retry, or choose Cancel to quit.");
    locked.reset();
    EXPECT_TRUE(FileSystem::ReadAll(home.DatabasePath()) == bytes);
    EXPECT_TRUE(modCommon::Database().DatabaseAvailable());
}

// A file that can be read but not written (its own mode, its folder, a header asking for a newer
// writer) is told at open, with its path: retry or quit, no restore offered, nothing written.
TEST(GatewayStart, AFileThatCannotBeWrittenIsToldAtOpenNotWriteByWrite) {
    TempHome home;
    ASSERT_TRUE(modCommon::VersionCheck());
    modCommon::ReleaseDatabase();
    const std::string path = home.DatabasePath(), bytes = FileSystem::ReadAll(path);
    auto writer = [&](char version) { std::fstream(path, std::ios::in | std::ios::out).seekp(18).put(version); };
    const std::function<std::unique_ptr<RestrictedFile>()> cases[] = {
        [&] { return std::make_unique<RestrictedFile>(path, 0444); },
        [&] {
            chmod(path.c_str(), 0666);  // the file takes writes, its folder no journal
            return std::make_unique<RestrictedFile>(home.DataFolder(), 0555);
        },
        [&] {
            writer(3);
            return std::unique_ptr<RestrictedFile>();
        },
    };
    for (const auto& restrict : cases) {
        ScriptedPrompts prompts;
        prompts.Answer(Prompts::Retry).Answer(Prompts::Cancel);
        EXPECT_THROW(auto restricted = restrict(); modCommon::Database(), Program::Ended);
        writer(1);
        ASSERT_EQ(prompts.shown().size(), 2u);
        EXPECT_EQ(prompts.shown()[1].title + "/" + std::to_string(prompts.shown()[1].style),
                  "Database Cannot Be Written/53");
        EXPECT_EQ(Split(prompts.LastText(), "\r\n").at(1), path);
        EXPECT_TRUE(FileSystem::ReadAll(path) == bytes);
    }
    EXPECT_TRUE(modCommon::Database().DatabaseAvailable());
}

// SQLite files with the program's tables but not its keys or columns, or no version: the damaged
// file's question comes once, with the reason, and the file stays as it was; a restore does not
// take them. Every version the program makes is taken.
TEST(GatewayStart, AForeignSchemaOrNoVersionTakesTheDamagedFileRoadAndIsNeverWritten) {
    const std::pair<std::string, std::string> cases[] = {
        {"DROP TABLE Groups; CREATE TABLE Groups (GroupID TEXT PRIMARY KEY, GroupName, ExportToHH, Permanent)",
         "The key GroupID of the table Groups is not an INTEGER PRIMARY KEY."},
        {"ALTER TABLE Animals RENAME TO Old; CREATE TABLE Animals AS SELECT * FROM Old; DROP TABLE Old",
         "The key AnimalID of the table Animals is not an INTEGER PRIMARY KEY."},
        {"ALTER TABLE Animals DROP COLUMN TaggingDate", "The table Animals has no column TaggingDate."},
        {"UPDATE KelvoData SET ItemData=NULL", "The database holds no version."}};
    for (const auto& [change, reason] : cases) {
        TempHome home;
        FileSystem::CreateDirectories(home.DataFolder());
        DatabaseBuilder::CreateAtVersion(home.DatabasePath(), "1.0.4");
        DatabaseBuilder::Run(home.DatabasePath(), change);
        EXPECT_FALSE(clsDatabase::IsUsableDatabase(home.DatabasePath())) << change;
        const std::string bytes = FileSystem::ReadAll(home.DatabasePath());
        ScriptedPrompts prompts;
        prompts.Answer(Prompts::No);
        EXPECT_THROW(modCommon::Database(), Program::Ended);
        EXPECT_EQ(prompts.Messages().size(), 1u);
        EXPECT_NE(prompts.LastText().find("The connection error is: " + reason + "\r\n"), std::string::npos);
        EXPECT_TRUE(FileSystem::ReadAll(home.DatabasePath()) == bytes) << change;
    }
    TempHome home;
    for (const auto& version : modSchema::ScriptVersions()) {
        DatabaseBuilder::CreateAtVersion(home.root() + "/" + version, version);
        EXPECT_TRUE(clsDatabase::IsUsableDatabase(home.root() + "/" + version)) << version;
    }
}

TEST(GatewayStart, UnopenableDatabaseOffersTheRestoreRoads) {
    TempHome home;
    ScriptedPrompts prompts;
    FileSystem::CreateDirectories(home.DataFolder());
    FileSystem::WriteAll(home.DatabasePath(), "garbage that is no database at all, not even close......");
    // Declining the first question ends the program at once.
    prompts.Answer(Prompts::No);
    EXPECT_THROW(modCommon::Database(), Program::Ended);
    EXPECT_EQ(prompts.shown()[0].title, "Cannot Open Your Database");
    EXPECT_EQ(prompts.shown()[0].style, Prompts::YesNo | Prompts::Question);
    EXPECT_EQ(prompts.shown()[0].text,
              "A connection to your Kelvo database cannot be opened.\r\n"
              "The connection error is: file is not a database\r\n"
              "This program cannot continue without access to the Kelvo database. If you\r\n"
              "have made a backup of your database at any stage then you may be able to\r\n"
              "use this to restore your data. Would you like to try this now?");
}

// Files that are no database of this program in three ways: not SQLite's at all, empty, and
// damaged past their first page.
static void MakeUnusable(const std::string& kind, const std::string& path) {
    if (kind == "not a database") {
        FileSystem::WriteAll(path, "garbage that is no database at all, not even close......");
    } else if (kind == "empty") {
        FileSystem::WriteAll(path, "");
    } else if (kind == "cut") {  // a copy that stopped part way, its first pages whole
        DatabaseBuilder::CreateAtVersion(path, "1.0.4");
        DatabaseBuilder::Run(path,
                             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<3000) "
                             "INSERT INTO Animals (TagNumber) SELECT 'UK0123456 ' || i FROM n");
        const std::string bytes = FileSystem::ReadAll(path);
        FileSystem::WriteAll(path, bytes.substr(0, bytes.size() * 3 / 4 / 4096 * 4096));
    } else {
        DatabaseBuilder::CreateAtVersion(path, "1.0.4");
        DatabaseBuilder::DamagePastFirstPage(path);
    }
}

// An empty or damaged file "opens" (only its first page is read); it is taken for what it is,
// a file that cannot be opened, and left byte for byte as it was, through the program's end.
TEST(GatewayStart, EmptyOrDamagedFileOffersTheRestoreAndIsLeftAsItWas) {
    const std::pair<std::string, std::string> cases[] = {{"empty", "no such table: KelvoData"},
                                                         {"damaged", "database disk image is malformed"},
                                                         {"cut", "database disk image is malformed"}};
    for (const auto& [kind, error] : cases) {
        SCOPED_TRACE(kind);
        TempHome home;
        ScriptedPrompts prompts;
        FileSystem::CreateDirectories(home.DataFolder());
        MakeUnusable(kind, home.DatabasePath());
        std::string bytes = FileSystem::ReadAll(home.DatabasePath());
        prompts.Answer(Prompts::No);
        EXPECT_THROW(modCommon::Database(), Program::Ended);
        ASSERT_EQ(prompts.shown().size(), 1u);
        EXPECT_EQ(prompts.shown()[0].title, "Cannot Open Your Database");
        EXPECT_NE(prompts.shown()[0].text.find("\r\nThe connection error is: " + error + "\r\n"), std::string::npos)
            << prompts.shown()[0].text;
        modCommon::ReleaseDatabase();
        EXPECT_TRUE(FileSystem::ReadAll(home.DatabasePath()) == bytes);
    }
}

// A file that is no backup is refused with the reason and the choice comes again; the restore
// says where the file that would not open is kept.
TEST(GatewayStart, LocalRestoreAtStartUpWritesTheBackupIntoTheFileThatWouldNotOpen) {
    for (const char* kind : {"not a database", "empty", "damaged"}) {
        SCOPED_TRACE(kind);
        TempHome home;
        ScriptedPrompts prompts;
        FileSystem::CreateDirectories(home.DataFolder());
        MakeUnusable(kind, home.DatabasePath());
        const std::string bytes = FileSystem::ReadAll(home.DatabasePath());
        std::string backup = home.root() + "/good.mdb", notes = home.root() + "/notes.mdb";
        DatabaseBuilder::CreateAtVersion(backup, "1.0.4");
        DatabaseBuilder::Run(backup, "INSERT INTO Animals (TagNumber) VALUES ('back')");
        FileSystem::WriteAll(notes, "these are notes, not a backup, written at length to fill a page");
        prompts.Answer(Prompts::Yes).Answer(Prompts::Yes).ChooseFile(notes).Answer(Prompts::OK).ChooseFile(backup);
        prompts.Answer(Prompts::OK);
        ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
        EXPECT_EQ(prompts.shown()[1].title, "Restore from Local Backup?");
        EXPECT_EQ(prompts.shown()[1].text,
                  "You can restore from a database you have backed up locally or, if you have backed\r\n"
                  "up to the RVBS, from a backup stored on the RVBS.\r\nDo you want to restore from a local backup?");
        EXPECT_EQ(prompts.shown()[2].text, "Database (*.mdb)|*.mdb");
        EXPECT_EQ(prompts.shown()[2].places, std::vector<std::string>{home.DataFolder()});
        EXPECT_EQ(prompts.shown()[3].title + "/" + std::to_string(prompts.shown()[3].style), "Not a Backup/48");
        EXPECT_EQ(prompts.shown()[3].text, "The file " + notes +
                                               " was not restored, as it is not a backup of your Kelvo data:\r\n"
                                               "file is not a database\r\nChoose another backup, or Cancel to quit.");
        EXPECT_TRUE(modCommon::VersionCheck());
        EXPECT_EQ(modCommon::Database().OpenRecordset("SELECT TagNumber FROM Animals").Field(0).ToString(), "back");
        ASSERT_EQ(home.KeptCopies().size(), 1u);
        EXPECT_TRUE(FileSystem::ReadAll(home.KeptCopies()[0]) == bytes) << "the file replaced is kept";
        EXPECT_EQ(prompts.shown().back().title, "Restored OK");
        EXPECT_EQ(prompts.LastText(),
                  "Your data was restored successfully.\r\nThe data it replaced is kept in " + home.KeptCopies()[0]);
    }
}

TEST(GatewayStart, AReadOnlyTemplateGivesAWritableDatabase) {
    TempHome home;
    ASSERT_EQ(chmod((home.ProgramFolder() + "/Kelvo.mdb").c_str(), 0444), 0);
    ASSERT_TRUE(modCommon::VersionCheck());
    struct stat live {};
    ASSERT_EQ(stat(home.DatabasePath().c_str(), &live), 0);
    EXPECT_TRUE(live.st_mode & S_IWUSR);
    EXPECT_EQ(modCommon::Database().Execute("INSERT INTO Animals (TagNumber) VALUES ('new')"), 1);
    auto files = std::filesystem::directory_iterator(home.DataFolder());
    EXPECT_EQ(std::distance(begin(files), end(files)), 1) << "no copy stays beside the database";
}

// A first start killed in the middle of copying the template leaves its copy; the next start
// removes it and makes its own.
TEST(GatewayStart, TheCopyOfAFirstStartCutShortGoesAtTheNext) {
    TempHome home;
    PeerProcess cut({"compact", home.ProgramFolder()}, {"KELVO_PEER_FILE_LIMIT=8192"});
    const int status = cut.Wait();
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    ASSERT_FALSE(FileSystem::Exists(home.DatabasePath()));
    ASSERT_TRUE(modCommon::VersionCheck());
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(home.DataFolder()))
        names.push_back(entry.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"Kelvo.mdb"});
}

TEST(GatewayStart, CancelledFileChoiceEndsAndOnlineRoadUsesTheHook) {
    TempHome home;
    FileSystem::CreateDirectories(home.DataFolder());
    FileSystem::WriteAll(home.DatabasePath(), "garbage that is no database at all, not even close......");
    {
        ScriptedPrompts prompts;
        prompts.Answer(Prompts::Yes).Answer(Prompts::Yes).ChooseFile("");
        EXPECT_THROW(modCommon::Database(), Program::Ended);
    }
    ScriptedPrompts prompts;
    int shown = 0;
    clsDatabase::RegisterOnlineRestore([&] { ++shown; });
    prompts.Answer(Prompts::Yes).Answer(Prompts::No);
    EXPECT_FALSE(modCommon::Database().DatabaseAvailable());
    clsDatabase::RegisterOnlineRestore({});
    EXPECT_EQ(shown, 1);
}
