#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

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
    { Connection::Transaction forgotten(db); Add("d"); }
    EXPECT_EQ(Names(), "a");
    EXPECT_FALSE(db.InTransaction());
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
