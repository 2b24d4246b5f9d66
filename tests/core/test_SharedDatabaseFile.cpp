// The database file under more than one program: another copy of Kelvo or another program
// writes while this one compacts or restores, and a copy killed at any point of its work
// leaves a whole database behind.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "fixtures/DatabaseBuilder.h"
#include "fixtures/PeerProcess.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"

using DatabaseBuilder::Scalar;

namespace {

class SharedDatabaseFile : public ::testing::Test {
protected:
    TempHome home;
    const std::string log = home.root() + "/peer.log";
    const std::string stop = home.root() + "/peer.stop";

    void SetUp() override { ASSERT_TRUE(modCommon::VersionCheck()); }

    static void Run(const std::string& sql) { modCommon::Database().GetConnection().Execute(sql); }

    // Rows of about `kilobytes` in all, then most of them deleted again: the file holds free
    // pages, so a compaction has real work to do.
    static void AddFreePages(int kilobytes) {
        Connection& db = modCommon::Database().GetConnection();
        db.Execute("CREATE TABLE IF NOT EXISTS Filler (X TEXT)");
        db.Begin();
        for (int i = 0; i < kilobytes; ++i) db.Execute("INSERT INTO Filler VALUES (hex(randomblob(512)))");
        db.Commit();
        db.Execute("DELETE FROM Filler WHERE rowid % 10 <> 0");
    }

    // The numbers of the "PEER n" rows in the live file.
    std::set<long> PeerRows() const {
        std::set<long> rows;
        Connection db;
        db.Open(home.DatabasePath());
        Recordset rs = db.Query("SELECT substr(TagNumber, 6) FROM Animals WHERE TagNumber LIKE 'PEER %'");
        for (; !rs.Eof(); rs.MoveNext()) rows.insert(rs.Field(0).ToLong());
        return rows;
    }

    // Waits until the peer has logged at least `count` rows.
    void WaitForRows(std::size_t count) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (PeerLog(log).size() < count) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the peer writes no rows";
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Lets a writing peer go on for a few rows more, then stops it and waits for its end.
    void StopAfterMoreRows(PeerProcess& peer) {
        WaitForRows(PeerLog(log).size() + 5);
        FileSystem::WriteAll(stop, "");
        int status = peer.Wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    // Every row the peer logged as written is in the file, and none failed.
    void ExpectEveryLoggedRow() const {
        std::vector<long> failed;
        std::vector<long> written = PeerLog(log, &failed);
        EXPECT_TRUE(failed.empty()) << failed.size() << " writes failed, the first " << failed.front();
        std::set<long> rows = PeerRows();
        long missing = 0;
        for (long n : written) missing += rows.count(n) ? 0 : 1;
        EXPECT_EQ(missing, 0) << "of " << written.size() << " rows reported written";
    }
};

TEST_F(SharedDatabaseFile, AnotherCopyWritingWhileThisOneCompactsAtItsEndKeepsEveryRow) {
    AddFreePages(20000);
    PeerProcess peer({"write", home.ProgramFolder(), log, stop});
    WaitForRows(5);
    long long before = FileSystem::Size(home.DatabasePath());
    modCommon::ReleaseDatabase();
    EXPECT_LT(FileSystem::Size(home.DatabasePath()), before / 2) << "compacted";
    StopAfterMoreRows(peer);
    ExpectEveryLoggedRow();
    EXPECT_EQ(Scalar(home.DatabasePath(), "PRAGMA quick_check"), "ok");
}

TEST_F(SharedDatabaseFile, AProgramCommittingThroughSqliteWhileThisOneCompactsKeepsItsCommits) {
    AddFreePages(20000);
    PeerProcess peer({"sqlite", home.DatabasePath(), log, stop});
    WaitForRows(5);
    modCommon::ReleaseDatabase();
    StopAfterMoreRows(peer);
    ExpectEveryLoggedRow();
}

// The restore replaces what the other copy wrote before it; everything it writes afterwards
// stays, through its own connection, with no failure and no gap.
TEST_F(SharedDatabaseFile, AnotherCopyWritingWhileThisOneRestoresKeepsEveryRowAfterTheRestore) {
    std::string backup = home.root() + "/backup.mdb";
    DatabaseBuilder::CreateAtVersion(backup, "1.0.4");
    DatabaseBuilder::Run(backup, "INSERT INTO KelvoData (ItemName, ItemData) VALUES ('Marker','restored')");
    DatabaseBuilder::Run(backup, "INSERT INTO Animals (TagNumber) VALUES ('PEER 0')");
    PeerProcess peer({"write", home.ProgramFolder(), log, stop});
    WaitForRows(5);
    ASSERT_EQ(modCommon::Database().Restore(backup), 0);
    std::size_t writtenBefore = PeerLog(log).size();
    StopAfterMoreRows(peer);

    EXPECT_EQ(modCommon::GetKelvoData("Marker"), "restored");
    std::vector<long> failed;
    std::vector<long> written = PeerLog(log, &failed);
    EXPECT_TRUE(failed.empty());
    std::set<long> rows = PeerRows();
    ASSERT_TRUE(rows.count(0)) << "the backup's own row";
    rows.erase(0);
    ASSERT_FALSE(rows.empty());
    // The rows in the file are the logged ones from some point on, the later ones included.
    long first = *rows.begin();
    for (std::size_t i = 0; i < written.size(); ++i) {
        bool expected = written[i] >= first || i >= writtenBefore;
        EXPECT_EQ(rows.count(written[i]) == 1, expected) << "row " << written[i];
    }
    EXPECT_EQ(rows.size(), static_cast<std::size_t>(
                               std::count_if(written.begin(), written.end(), [&](long n) { return n >= first; })));
}

// ---- Killed at any point -------------------------------------------------------------------

class KilledPeer : public SharedDatabaseFile {
protected:
    const std::string pristine = home.root() + "/pristine.mdb";
    const std::string operations = home.root() + "/operations.txt";

    // The live file as the test made it (free pages and all), kept aside so every run starts
    // from it.
    void KeepPristine() {
        FileSystem::Copy(home.DatabasePath(), pristine);
        modCommon::ReleaseDatabase();
    }
    void PutPristineBack() {
        FileSystem::Remove(home.DatabasePath() + "-journal");
        for (const auto& kept : home.KeptCopies()) FileSystem::Remove(kept);
        FileSystem::Copy(pristine, home.DatabasePath());
    }

    // The points to kill a run at (KillPointsOf), from one whole run.
    std::vector<long> KillPoints(const std::vector<std::string>& arguments, std::size_t most) {
        PutPristineBack();
        PeerProcess whole(arguments, {"KELVO_PEER_OPERATIONS=" + operations});
        int status = whole.Wait();
        EXPECT_TRUE(WIFEXITED(status)) << status;
        return KillPointsOf(operations, most);
    }

    // Runs the peer from the pristine file once per kill point, and hands the file each run
    // leaves to `check`, opened as the program opens it at its next start.
    void KillAtEveryPoint(const std::vector<std::string>& arguments, const std::function<void()>& check,
                          std::size_t most = 1000) {
        std::vector<long> points = KillPoints(arguments, most);
        for (long point : points) {
            SCOPED_TRACE("killed before file operation " + std::to_string(point));
            PutPristineBack();
            PeerProcess peer(arguments, {"KELVO_PEER_KILL_AT=" + std::to_string(point)});
            int status = peer.Wait();
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
            ScriptedPrompts noQuestion;  // a file that did not open would ask for a restore
            ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
            EXPECT_EQ(DatabaseBuilder::Scalar(modCommon::Database().GetConnection(), "PRAGMA integrity_check"), "ok");
            check();
            modCommon::ReleaseDatabase();
            if (HasFatalFailure()) return;
        }
    }

    static std::string Content() {
        Recordset rs = modCommon::Database().OpenRecordset(
            "SELECT (SELECT ItemData FROM KelvoData WHERE ItemName='Marker') || ' ' || count(*) || ' ' || "
            "total(length(TagNumber)) FROM Animals");
        return rs.Field(0).ToStringOr("<none>");
    }
};

TEST_F(KilledPeer, ARestoreKilledAnywhereLeavesTheOldOrTheNewDatabase) {
    std::string backup = home.root() + "/backup.mdb";
    DatabaseBuilder::CreateAtVersion(backup, "1.0.4");
    DatabaseBuilder::Run(backup, "INSERT INTO KelvoData (ItemName, ItemData) VALUES ('Marker','new')");
    DatabaseBuilder::Run(backup,
                         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 900) "
                         "INSERT INTO Animals (TagNumber) SELECT 'NEW ' || hex(randomblob(200)) FROM n");
    modCommon::SetKelvoData("Marker", "old");
    Run("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) "
        "INSERT INTO Animals (TagNumber) SELECT 'OLD ' || hex(randomblob(300)) FROM n");
    const std::string oldContent = Content();
    KeepPristine();
    ASSERT_EQ(modCommon::Database().Restore(backup), 0);
    const std::string newContent = Content();
    ASSERT_NE(oldContent, newContent);
    modCommon::ReleaseDatabase();

    std::set<std::string> seen;
    KillAtEveryPoint({"restore", home.ProgramFolder(), backup}, [&] {
        std::string content = Content();
        EXPECT_TRUE(content == oldContent || content == newContent) << content;
        seen.insert(content);
        // No scratch copy is left (SQLite's own journal aside), and a kept copy is a whole one.
        for (const auto& file : std::filesystem::directory_iterator(home.DataFolder())) {
            const std::string name = file.path().filename();
            EXPECT_TRUE(name == "Kelvo.mdb" || name == "Kelvo.mdb-journal" ||
                        name.rfind("Kelvo before restore ", 0) == 0)
                << name;
        }
        for (const auto& kept : home.KeptCopies()) EXPECT_EQ(Scalar(kept, "SELECT count(*) FROM Animals"), "600");
    });
    EXPECT_EQ(seen.size(), 2u) << "runs were killed before and after the restored content was in";
}

// A copy that starts while another restores leaves what the other holds (its copy of the data it
// replaces, under way): the restore goes on to its end and keeps that data.
TEST_F(KilledPeer, ACopyStartingWhileAnotherRestoresLeavesItsWork) {
    std::string backup = home.root() + "/backup.mdb";
    DatabaseBuilder::CreateAtVersion(backup, "1.0.4");
    DatabaseBuilder::Run(backup, "INSERT INTO KelvoData (ItemName, ItemData) VALUES ('Marker','new')");
    modCommon::SetKelvoData("Marker", "old");
    KeepPristine();
    const std::vector<std::string> arguments = {"restore", home.ProgramFolder(), backup};
    KillPoints(arguments, 1);  // a whole run, which lists its file operations
    std::ifstream listed(operations);
    long firstWrite = 1;
    for (char kind; listed >> kind && kind != 'w';) ++firstWrite;
    PutPristineBack();
    PeerProcess peer(arguments, {"KELVO_PEER_STOP_AT=" + std::to_string(firstWrite)});
    ASSERT_TRUE(peer.WaitStopped());
    const auto Tree = [&] {
        std::set<std::string> tree;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(home.DataFolder()))
            tree.insert(entry.path().string() + " " + std::to_string(entry.is_directory() ? 0 : entry.file_size()));
        return tree;
    };
    const std::set<std::string> held = Tree();
    ASSERT_GT(held.size(), 1u) << "the restore has begun its copy";
    {
        ScriptedPrompts noQuestion;
        ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
    }
    EXPECT_EQ(Tree(), held);
    kill(peer.Pid(), SIGCONT);
    const int status = peer.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(modCommon::GetKelvoData("Marker"), "new");
    ASSERT_EQ(home.KeptCopies().size(), 1u);
    EXPECT_EQ(Scalar(home.KeptCopies()[0], "SELECT ItemData FROM KelvoData WHERE ItemName='Marker'"), "old");
}

// The earlier backup stays whole, and the next start leaves no scratch beside it or in the data
// folder.
TEST_F(KilledPeer, ALocalBackupKilledAnywhereLeavesNoScratchAfterTheNextStart) {
    modCommon::SetKelvoData("Marker", "kept");
    Run("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 900) "
        "INSERT INTO Animals (TagNumber) SELECT 'A ' || hex(randomblob(200)) FROM n");
    const std::string content = Content(), stick = home.root() + "/stick", backup = stick + "/backup.mdb";
    ASSERT_TRUE(FileSystem::CreateDirectories(stick) && modCommon::Database().Backup(backup));
    KeepPristine();
    KillAtEveryPoint(
        {"backup", home.ProgramFolder(), backup},
        [&] {
            EXPECT_EQ(Content(), content);
            for (const auto& file : {home.DatabasePath(), backup})
                EXPECT_EQ(Scalar(file, "PRAGMA integrity_check"), "ok");
            for (const auto& folder : {stick, home.DataFolder()})
                for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                    const std::string name = entry.path().filename().string();
                    EXPECT_TRUE(name == "backup.mdb" || name.rfind("Kelvo", 0) == 0) << name;
                }
        },
        12);
}

TEST_F(KilledPeer, ACompactionKilledAnywhereLeavesTheDatabaseAsItWas) {
    modCommon::SetKelvoData("Marker", "kept");
    Run("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 900) "
        "INSERT INTO Animals (TagNumber) SELECT 'A ' || hex(randomblob(200)) FROM n");
    Run("DELETE FROM Animals WHERE AnimalID % 3 = 0");
    const std::string content = Content();
    KeepPristine();
    KillAtEveryPoint({"compact", home.ProgramFolder()}, [&] { EXPECT_EQ(Content(), content); });
}

}  // namespace
