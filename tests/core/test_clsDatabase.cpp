#include <gtest/gtest.h>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "fixtures/DatabaseBuilder.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"

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

TEST_F(Gateway, RestoreRefusesFilesThatAreNotDatabasesOfThisProgram) {
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
    std::string newer = MakeBackupFile("newer", "2.0.0");
    EXPECT_EQ(Db().Restore(newer), 1);
    EXPECT_TRUE(Db().DatabaseAvailable());
    EXPECT_EQ(Text("SELECT TagNumber FROM Animals"), "live");
}

TEST_F(Gateway, RestoreOfAGoodBackupSwapsAndUpgradesIt) {
    Db().Execute("INSERT INTO Animals (TagNumber) VALUES ('live')");
    std::string backup = MakeBackupFile("restored", "1.0.2");
    EXPECT_EQ(Db().Restore(backup), 0);
    EXPECT_EQ(Text("SELECT TagNumber FROM Animals"), "restored");
    EXPECT_EQ(Text("SELECT ItemData FROM KelvoData WHERE ItemName='Version'"), "1.0.4");
    for (const char* leftover : {".restoring", ".previous", ".previous-journal", "-journal"})
        EXPECT_FALSE(FileSystem::Exists(home.DatabasePath() + leftover)) << leftover;
    EXPECT_EQ(Scalar(backup, "SELECT ItemData FROM KelvoData WHERE ItemName='Version'"), "1.0.2");
}

TEST_F(Gateway, ReleaseCompactsTheFileUnlessAnotherProgramHasItOpen) {
    Db().Execute("CREATE TABLE Filler (X TEXT)");
    for (int i = 0; i < 200; ++i) Db().Execute("INSERT INTO Filler VALUES (hex(randomblob(500)))");
    Db().Execute("DELETE FROM Filler");
    modCommon::ReleaseDatabase();
    long long compacted = FileSystem::Size(home.DatabasePath());
    EXPECT_FALSE(FileSystem::Exists(home.DataFolder() + "/CompactedKelvo.mdb"));
    EXPECT_LT(compacted, 150000);
    EXPECT_EQ(Scalar(home.DatabasePath(), "SELECT ItemData FROM KelvoData WHERE ItemName='Version'"), "1.0.4");

    Db().Execute("INSERT INTO Filler VALUES (hex(randomblob(50000)))");
    Db().Execute("DELETE FROM Filler");
    std::string before = FileSystem::ReadAll(home.DatabasePath());
    FileLock otherProgram;
    ASSERT_TRUE(otherProgram.LockShared(home.DatabasePath()));
    modCommon::ReleaseDatabase();
    EXPECT_EQ(FileSystem::ReadAll(home.DatabasePath()), before);
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

TEST(GatewayStart, LocalRestoreAtStartUpReopensTheRestoredFile) {
    TempHome home;
    ScriptedPrompts prompts;
    FileSystem::CreateDirectories(home.DataFolder());
    FileSystem::WriteAll(home.DatabasePath(), "garbage that is no database at all, not even close......");
    std::string backup = home.root() + "/good.mdb";
    DatabaseBuilder::CreateAtVersion(backup, "1.0.4");
    DatabaseBuilder::Run(backup, "INSERT INTO Animals (TagNumber) VALUES ('back')");
    prompts.Answer(Prompts::Yes).Answer(Prompts::Yes).ChooseFile(backup);
    ASSERT_TRUE(modCommon::Database().DatabaseAvailable());
    EXPECT_EQ(prompts.shown()[1].title, "Restore from Local Backup?");
    EXPECT_EQ(prompts.shown()[1].text,
              "You can restore from a database you have backed up locally or, if you have backed\r\n"
              "up to the RVBS, from a backup stored on the RVBS.\r\nDo you want to restore from a local backup?");
    EXPECT_EQ(prompts.shown()[2].text, "Database (*.mdb)|*.mdb");
    EXPECT_TRUE(modCommon::VersionCheck());
    EXPECT_EQ(modCommon::Database().OpenRecordset("SELECT TagNumber FROM Animals").Field(0).ToString(), "back");
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
