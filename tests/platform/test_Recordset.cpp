#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/Recordset.h"
#include "platform/RuntimeError.h"

namespace {

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.Open(folder + "/test.db", true);
        db.Execute(
            "CREATE TABLE Animals (AnimalID INTEGER PRIMARY KEY AUTOINCREMENT, TagNumber TEXT COLLATE NOCASE, TagSort INTEGER, Note TEXT)");
        db.Execute(
            "INSERT INTO Animals (TagNumber, TagSort, Note) VALUES ('UK 30', 30, NULL), ('uk 10', 10, 'x'), ('UK 20', 20, 'O''Neill')");
    }
    static std::string Tags(Recordset rs) {
        std::string out;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out += (out.empty() ? "" : ",") + rs["TagNumber"].ToString();
        return out;
    }
    std::string folder = FileSystem::MakeTempFolder();
    Connection db;
    void TearDown() override {
        db.Close();
        std::filesystem::remove_all(folder);
    }
};

}  // namespace

TEST_F(RecordsetTest, WalksSortsFiltersAndKeepsBookmarksAcrossClones) {
    Recordset rs = db.Query("SELECT * FROM Animals ORDER BY AnimalID");
    EXPECT_EQ(rs.RecordCount(), 3);
    EXPECT_FALSE(rs.Bof());
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    rs.MoveLast();
    Recordset::Bookmark third = rs.GetBookmark();
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(rs.Field("TagNumber"), RuntimeError);
    EXPECT_THROW(rs.MoveNext(), RuntimeError);

    rs.Sort("TagSort DESC");
    EXPECT_EQ(Tags(rs), "UK 30,UK 20,uk 10");
    rs.Sort("TagNumber");
    EXPECT_EQ(Tags(rs), "uk 10,UK 20,UK 30");

    Recordset clone = rs.Clone();
    clone.SetBookmark(third);
    EXPECT_EQ(clone["TagNumber"].ToString(), "UK 20");
    clone.Filter([](const Recordset& r) { return r["TagSort"].ToLong() > 15; });
    EXPECT_EQ(clone.RecordCount(), 2);
    EXPECT_EQ(rs.RecordCount(), 3);
    clone.Filter({});
    EXPECT_EQ(clone.RecordCount(), 3);
}

TEST_F(RecordsetTest, FindsByCriterionTextAndReadsOutAsText) {
    Recordset rs = db.Query("SELECT AnimalID, TagNumber, Note FROM Animals ORDER BY AnimalID");
    EXPECT_TRUE(rs.Find("AnimalID=2"));
    EXPECT_EQ(rs["TagNumber"].ToString(), "uk 10");
    EXPECT_TRUE(rs.Find("AnimalID=2"));   // from the current row, inclusive
    EXPECT_FALSE(rs.Find("AnimalID=1"));  // only forward
    EXPECT_TRUE(rs.Eof());
    rs.MoveFirst();
    EXPECT_TRUE(rs.Find("Note='o''neill'"));
    EXPECT_EQ(rs["AnimalID"].ToLong(), 3);
    rs.MoveFirst();
    EXPECT_TRUE(rs.Find("TagNumber LIKE 'UK 2*'"));
    rs.MoveFirst();
    EXPECT_EQ(rs.GetString("|", "#", "-"), "1|UK 30|-#2|uk 10|x#3|UK 20|O'Neill#");
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(rs.Find("NoSuchField=1"), RuntimeError);
}

TEST_F(RecordsetTest, WritesBackThroughTheKeyAndRequeries) {
    Recordset rs = db.Query("SELECT AnimalID, TagNumber FROM Animals WHERE TagSort > 15 ORDER BY AnimalID");
    rs.SetField("TagNumber", "UK 31");
    rs.MoveNext();  // moving on saves the edit, as an open edit always did
    rs.AddNew();
    rs.SetField("TagNumber", "UK 40");
    rs.Update();
    EXPECT_EQ(rs["AnimalID"].ToLong(), 4);
    rs.MoveFirst();
    rs.MoveNext();
    rs.Delete();
    Recordset check = db.Query("SELECT group_concat(TagNumber) FROM (SELECT TagNumber FROM Animals ORDER BY AnimalID)");
    EXPECT_EQ(check.Field(0).ToString(), "UK 31,uk 10,UK 40");
    db.Execute("INSERT INTO Animals (TagNumber, TagSort) VALUES ('UK 50', 50)");
    rs.Requery();  // UK 31 and the new UK 50; UK 40 has no sort key
    EXPECT_EQ(Tags(rs), "UK 31,UK 50");
    // A join without the key cannot be written back.
    Recordset sum = db.Query("SELECT count(*) AS N FROM Animals");
    sum.SetField("N", 9);
    EXPECT_THROW(sum.Update(), RuntimeError);
}

TEST_F(RecordsetTest, RowsOutliveTheirConnectionButAreNoLongerWritten) {
    Recordset rs = db.Query("SELECT AnimalID, TagNumber FROM Animals ORDER BY AnimalID");
    db.Close();
    EXPECT_EQ(rs["TagNumber"].ToString(), "UK 30");
    rs.SetField("TagNumber", "UK 99");
    EXPECT_THROW(rs.Update(), RuntimeError);
    EXPECT_THROW(rs.Requery(), RuntimeError);
}

TEST_F(RecordsetTest, InMemoryRecordsetsHoldAppendedColumns) {
    Recordset rs;
    rs.AppendField("Tag");
    rs.AppendField("Group");
    rs.Open();
    EXPECT_TRUE(rs.Eof() && rs.Bof());
    for (const char* tag : {"B", "A", "C"}) {
        rs.AddNew();
        rs.SetField("Tag", tag);
        rs.SetField("group", 1);
        rs.Update();
    }
    rs.Sort("[Tag] ASC");
    EXPECT_EQ(rs.GetString(",", ";"), "A,1;B,1;C,1;");
    EXPECT_THROW(rs.AppendField("Late"), RuntimeError);
}

TEST_F(RecordsetTest, RowsAreReachedByPlaceAndBookmarksFoundAfterSortAndFilter) {
    Recordset rs = db.Query("SELECT AnimalID, TagNumber, TagSort FROM Animals ORDER BY AnimalID");
    ASSERT_EQ(rs.Rows(), 3);
    EXPECT_EQ(rs.At(1, 1).ToString(), "uk 10");
    EXPECT_EQ(rs.FieldIndex("tagsort"), 2);
    EXPECT_EQ(rs.FieldIndex("Missing"), -1);
    rs.MoveLast();
    const Recordset::Bookmark first = rs.BookmarkAt(0), last = rs.GetBookmark();
    EXPECT_EQ(rs.RowOf(last), 2);
    for (auto [row, column] : {std::pair{3L, 0}, {-1L, 0}, {0L, 3}}) try {
            rs.At(row, column);
            ADD_FAILURE() << row << "," << column;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number, ErrorNumber::SubscriptOutOfRange);
        }
    EXPECT_EQ(rs.AbsolutePosition(), 3) << "reading by place leaves the cursor";

    rs.Sort("TagSort DESC");
    EXPECT_EQ(rs.RowOf(first), 0);
    EXPECT_EQ(rs.RowOf(last), 1);
    EXPECT_EQ(rs.At(rs.RowOf(last), 1).ToString(), "UK 20");
    rs.Filter([](const Recordset& r) { return r["TagSort"].ToLong() < 25; });
    EXPECT_EQ(rs.RowOf(first), -1) << "filtered out";
    EXPECT_EQ(rs.RowOf(last), 0);
    EXPECT_EQ(rs.RowOf(99), -1);
    EXPECT_THROW(rs.SetBookmark(first), RuntimeError);
    rs.SetBookmark(last);
    EXPECT_EQ(rs["TagNumber"].ToString(), "UK 20");

    // An in-memory recordset keeps the first of two columns of one name.
    Recordset twice;
    twice.AppendField("Tag");
    twice.AppendField("TAG");
    twice.Open();
    EXPECT_EQ(twice.FieldIndex("tag"), 0);
    EXPECT_EQ(twice.Rows(), 0);
    EXPECT_EQ(Recordset().Rows(), 0) << "a recordset that is not open has no rows";
}

TEST_F(RecordsetTest, DeleteTakesTheRowOutOfTheViewAndTheCursorMovesOnFromIt) {
    Recordset rs = db.Query("SELECT AnimalID, TagNumber FROM Animals ORDER BY AnimalID");
    Recordset clone = rs.Clone();
    const Recordset::Bookmark second = rs.BookmarkAt(1), third = rs.BookmarkAt(2);
    rs.MoveNext();
    rs.Delete();
    EXPECT_THROW(rs.Field("TagNumber"), RuntimeError);
    EXPECT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Rows(), 2);
    EXPECT_EQ(rs.RowOf(second), -1);
    EXPECT_EQ(rs.RowOf(third), 1);
    rs.MoveNext();  // to the row that followed the deleted one, none skipped
    EXPECT_EQ(rs["TagNumber"].ToString(), "UK 20");
    EXPECT_EQ(clone.RowOf(second), -1) << "a clone sees the row gone";
    EXPECT_THROW(clone.SetBookmark(second), RuntimeError);

    // The loop a program writes to empty a recordset deletes every row.
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) rs.Delete();
    EXPECT_EQ(rs.Rows(), 0);
    EXPECT_TRUE(rs.Eof() && rs.Bof());
    EXPECT_EQ(db.Query("SELECT count(*) FROM Animals").Field(0).ToLong(), 0);
}

TEST_F(RecordsetTest, ManyRowsDeletedAtOnceStopAtAFailingOne) {
    db.Execute(
        "CREATE TRIGGER Keep BEFORE DELETE ON Animals WHEN OLD.TagSort=10 BEGIN SELECT RAISE(ABORT, 'kept'); END");
    Recordset rs = db.Query("SELECT AnimalID, TagNumber, TagSort FROM Animals ORDER BY TagSort");
    const Recordset::Bookmark ten = rs.BookmarkAt(0), thirty = rs.BookmarkAt(2);
    rs.Delete(std::vector<Recordset::Bookmark>{thirty, thirty, -1});
    EXPECT_EQ(Tags(rs), "uk 10,UK 20") << "a row named twice or no row at all is passed over";
    EXPECT_THROW(rs.Delete(std::vector<Recordset::Bookmark>{rs.BookmarkAt(1), ten}), RuntimeError);
    EXPECT_EQ(Tags(rs), "uk 10");
    EXPECT_EQ(rs.RowOf(ten), 0);
    EXPECT_EQ(db.Query("SELECT count(*) FROM Animals").Field(0).ToLong(), 1);
}

TEST_F(RecordsetTest, AFailedUpdateIsUndoneByCancelUpdate) {
    db.Execute(
        "CREATE TRIGGER Refuse BEFORE UPDATE ON Animals WHEN NEW.TagNumber='BAD' "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    Recordset rs = db.Query("SELECT AnimalID, TagNumber FROM Animals ORDER BY AnimalID");
    rs.SetField("TagNumber", "BAD");
    EXPECT_THROW(rs.Update(), RuntimeError);
    rs.CancelUpdate();
    EXPECT_EQ(rs["TagNumber"].ToString(), "UK 30");
    EXPECT_EQ(rs.Clone().At(0, 1).ToString(), "UK 30") << "the shared row has its value back";
}
