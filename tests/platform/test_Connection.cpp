#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <tuple>

#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"

namespace {

class TransactionTest : public ::testing::Test {
protected:
    std::string folder = FileSystem::MakeTempFolder();
    Connection db;
    void SetUp() override {
        db.Open(folder + "/test.db", true);
        db.Execute("CREATE TABLE T (Name TEXT UNIQUE)");
    }
    void TearDown() override {
        db.Close();
        std::filesystem::remove_all(folder);
    }
    std::string Names() {
        Recordset rs = db.Query("SELECT ifnull(group_concat(Name), '') FROM (SELECT Name FROM T ORDER BY rowid)");
        return rs.Field(0).ToString();
    }
    void Add(const std::string& name) { db.Execute("INSERT INTO T (Name) VALUES (?)", {Value(name)}); }
};

}  // namespace

TEST_F(TransactionTest, LeavingWithoutCommitRollsBackWhateverTheWayOut) {
    {
        Connection::Transaction t(db);
        Add("a");
        t.Commit();
    }
    try {
        Connection::Transaction t(db);
        Add("b");
        Add("a");  // a unique name twice: the statement raises
        t.Commit();
        FAIL();
    } catch (const RuntimeError&) {
    }
    try {
        Connection::Transaction t(db);
        Add("c");
        throw std::runtime_error("not a database failure");
    } catch (const std::runtime_error&) {
    }
    {
        Connection::Transaction forgotten(db);
        Add("d");
    }
    EXPECT_EQ(Names(), "a");
    EXPECT_FALSE(db.InTransaction());
}

TEST_F(TransactionTest, PreparedStatementRunsAgainAfterAFailureAndHoldsNoLock) {
    Connection::Prepared insert(db, "INSERT INTO T (Name) VALUES (?)");
    {
        Connection::Transaction t(db);
        EXPECT_EQ(insert.Run({Value("a")}), 1);
        EXPECT_EQ(insert.Run({Value("b")}), 1);
        try {
            insert.Run({Value("a")});
            FAIL();
        } catch (const RuntimeError& e) {
            EXPECT_NE(std::string(e.description).find("UNIQUE"), std::string::npos) << e.description;
        }
        EXPECT_EQ(insert.Run({Value("c")}), 1);
        t.Commit();
    }
    EXPECT_EQ(Names(), "a,b,c");
    Connection other;
    other.Open(folder + "/test.db");
    EXPECT_EQ(other.Execute("DELETE FROM T"), 3);  // no statement of `db` holds the file
    EXPECT_THROW(Connection::Prepared(db, "INSERT INTO Nowhere VALUES (?)"), RuntimeError);
}

TEST_F(TransactionTest, NestedTransactionsAreSavepointsOfTheOuterOne) {
    {
        Connection::Transaction outer(db);
        Add("a");
        {
            Connection::Transaction inner(db);
            Add("b");
        }  // only b goes
        {
            Connection::Transaction inner(db);
            Add("c");
            inner.Commit();
        }
        EXPECT_TRUE(db.InTransaction());
        outer.Commit();
    }
    EXPECT_EQ(Names(), "a,c");
    {
        Connection::Transaction outer(db);
        Add("d");
        Connection::Transaction inner(db);
        Add("e");
        inner.Commit();
    }  // the outer one takes the committed inner work with it
    EXPECT_EQ(Names(), "a,c");

    // Begun by hand (the gateway's Transaction 0), a transaction still nests.
    db.Begin();
    {
        Connection::Transaction inner(db);
        Add("f");
    }
    Add("g");
    db.Commit();
    EXPECT_EQ(Names(), "a,c,g");
}

// The keys go in while another connection holds the file's write lock, replace the last ones, and
// a failure keeps those.
TEST_F(TransactionTest, KeyTableTakesNoLockOnTheFileAndIsReplacedWhole) {
    Connection peer;
    peer.Open(folder + "/test.db");
    peer.Execute("BEGIN IMMEDIATE");
    auto keys = [&] { return db.Query("SELECT group_concat(Id) FROM temp.Picked").Field(0).ToStringOr(""); };
    db.SetKeyTable("Picked", "Id", {5, 2, 5, 9});
    EXPECT_EQ(keys(), "2,5,9");
    db.SetKeyTable("Picked", "Id", {7});
    EXPECT_EQ(keys(), "7");
    db.Execute("CREATE TEMP TRIGGER No BEFORE INSERT ON Picked WHEN NEW.Id=3 BEGIN SELECT RAISE(ABORT, 'no'); END");
    EXPECT_THROW(db.SetKeyTable("Picked", "Id", {1, 3}), RuntimeError);
    EXPECT_EQ(keys(), "7");
    peer.Execute("ROLLBACK");
}

// A failure of the database as a whole is told apart from a failure of one statement.
TEST_F(TransactionTest, FailuresOfTheWholeDatabaseAreToldApart) {
    setenv("KELVO_TIME_SCALE", "0.01", 1);  // a lock is given up on soon
    db.Open(folder + "/test.db");
    Connection other;
    other.Open(folder + "/test.db");
    const std::string row(5000, 'x');  // more than a page
    const std::tuple<const char*, std::function<void()>, std::function<void()>, RuntimeError::Kind> cases[] = {
        {"refuses writes", [&] { db.Execute("PRAGMA query_only=1"); }, [&] { db.Execute("PRAGMA query_only=0"); },
         RuntimeError::Kind::ReadOnly},
        {"locked", [&] { other.Execute("BEGIN EXCLUSIVE"); }, [&] { other.Rollback(); }, RuntimeError::Kind::InUse},
        {"a row refused", [&] { Add(row + "a row refused"); }, [] {}, RuntimeError::Kind::Step},
        {"full", [&] { db.Execute("PRAGMA max_page_count=1"); }, [] {}, RuntimeError::Kind::WholeDatabase},
    };
    for (const auto& [what, before, after, kind] : cases) {
        before();
        try {
            Add(row + what);
            ADD_FAILURE() << what;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.kind, kind) << what << ": " << e.description;
        }
        after();
    }
    unsetenv("KELVO_TIME_SCALE");
}

TEST_F(TransactionTest, ACopyGoesIntoAnotherProgramsDatabaseInWalModeOfAnotherPageSize) {
    Add("kept");
    Connection other;
    other.Open(folder + "/other.db", true);
    other.Execute("PRAGMA page_size=512; PRAGMA journal_mode=WAL; CREATE TABLE Other (x)");
    other.CopyFrom(db);
    EXPECT_EQ(other.Query("SELECT Name FROM T").Field(0).ToString(), "kept");
    EXPECT_EQ(other.Query("PRAGMA journal_mode").Field(0).ToString(), "delete");
}

// A query read in parts at once gives the whole query's rows, written back through this connection,
// with one answer of a function for all the parts; inside a transaction (whose row the parts would
// not see) or where a part fails, the whole query runs here.
TEST_F(TransactionTest, AQueryReadInPartsGivesTheWholeQuerysRows) {
    for (int i = 1; i <= 9; ++i) Add("n" + std::to_string(i));
    int asked = 0;
    db.RegisterFunction(
        "Clock", 0, [&](const std::vector<Value>&) { return Value(++asked); }, true);
    const auto query = [](const std::string& where) {
        return "SELECT rowid, Name, Clock() FROM T" + where + " ORDER BY rowid";
    };
    const std::vector<std::string> parts{query(" WHERE rowid<4"), query(" WHERE rowid>=4 AND rowid<8"),
                                         query(" WHERE rowid>=8")};
    Recordset rows = db.QueryInParts(query(""), parts);
    EXPECT_EQ(rows.GetString(",", " "), "1,n1,1 2,n2,1 3,n3,1 4,n4,1 5,n5,1 6,n6,1 7,n7,1 8,n8,1 9,n9,1 ");
    EXPECT_EQ(asked, 1);
    rows.MoveLast();
    rows.SetField("Name", Value("nine"));
    rows.Update();
    EXPECT_EQ(Names(), "n1,n2,n3,n4,n5,n6,n7,n8,nine");

    db.Begin();
    Add("n10");
    EXPECT_EQ(db.QueryInParts(query(""), parts).Rows(), 10);
    db.Rollback();
    EXPECT_EQ(db.QueryInParts(query(""), {parts[0], "SELECT nothing"}).Rows(), 9);
}
