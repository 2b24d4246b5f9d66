#include <gtest/gtest.h>

#include "fixtures/TempHome.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Recordset.h"
#include "platform/RuntimeError.h"

namespace {

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        db.Open(home.root() + "/test.db", true);
        db.Execute("CREATE TABLE Animals (AnimalID INTEGER PRIMARY KEY AUTOINCREMENT, TagNumber TEXT COLLATE NOCASE, TagSort INTEGER, Note TEXT)");
        db.Execute("INSERT INTO Animals (TagNumber, TagSort, Note) VALUES ('UK 30', 30, NULL), ('uk 10', 10, 'x'), ('UK 20', 20, 'O''Neill')");
    }
    static std::string Tags(Recordset rs) {
        std::string out;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out += (out.empty() ? "" : ",") + rs["TagNumber"].ToString();
        return out;
    }
    TempHome home;
    Connection db;
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
    EXPECT_TRUE(rs.Find("AnimalID=2"));  // from the current row, inclusive
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

TEST(ValueTest, ConversionsRaiseTheOldErrorNumbers) {
    EXPECT_EQ(Value("  42 ").ToLong(), 42);
    EXPECT_EQ(Value(2.5).ToString(), "2.5");
    EXPECT_EQ(Value(3.0).ToString(), "3");
    EXPECT_TRUE(Value("True").ToBool());
    EXPECT_TRUE(Value(-1).ToBool());
    EXPECT_FALSE(Value(0).ToBool());
    try {
        Value().ToString();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number, 94);
    }
    try {
        Value("abc").ToLong();
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number, 13);
    }
}

TEST(IniFileTest, ReadsBothLineEndsAndRewritesOnlyTheKey) {
    TempHome home;
    std::string path = home.root() + "/settings.ini";
    FileSystem::WriteAll(path, "; comment\r\nFlavour = Full\r\n\r\n[SerialComm]\r\n/dev/ttyUSB0=COM5\r\n[Other]\nKey=1\n");
    EXPECT_EQ(IniFile::Read(path, "", "flavour").value_or(""), "Full");
    EXPECT_EQ(IniFile::Section(path, "serialcomm").size(), 1u);
    ASSERT_TRUE(IniFile::Write(path, "SerialComm", "/dev/ttyS1", "COM2"));
    ASSERT_TRUE(IniFile::Write(path, "", "Flavour", "Simple"));
    ASSERT_TRUE(IniFile::Write(path, "New", "A", "b"));
    EXPECT_EQ(FileSystem::ReadAll(path),
              "; comment\nFlavour=Simple\n\n[SerialComm]\n/dev/ttyUSB0=COM5\n/dev/ttyS1=COM2\n[Other]\nKey=1\n\n[New]\nA=b\n");
    EXPECT_FALSE(IniFile::Read(home.root() + "/missing.ini", "", "Flavour"));
}
