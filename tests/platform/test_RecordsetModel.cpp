#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QColor>
#include <QSignalSpy>

#include <filesystem>

#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/RecordsetModel.h"
#include "platform/RuntimeError.h"

namespace {

class RecordsetModelTest : public ::testing::Test {
protected:
    std::string folder = FileSystem::MakeTempFolder();
    Connection db;
    RecordsetModel model;
    // Checks the model's consistency after every change it announces; aborts on a breach.
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

    void SetUp() override {
        db.Open(folder + "/test.db", true);
        db.Execute(
            "CREATE TABLE Animals (AnimalID INTEGER PRIMARY KEY AUTOINCREMENT, TagNumber TEXT, "
            "Weight REAL, Dead INTEGER)");
        db.Execute(
            "INSERT INTO Animals (TagNumber, Weight, Dead) VALUES ('UK 3', 410.5, 0), ('UK 1', NULL, 1), "
            "('UK 2', 388, 0)");
        model.SetRecordset(db.Query("SELECT * FROM Animals ORDER BY AnimalID"));
    }
    void TearDown() override {
        db.Close();
        std::filesystem::remove_all(folder);
    }
    QVariant At(int row, int column, int role = Qt::DisplayRole) { return model.data(model.index(row, column), role); }
    std::string Tags() {
        std::string out;
        for (int r = 0; r < model.rowCount(); ++r) out += (r ? "," : "") + At(r, 1).toString().toStdString();
        return out;
    }
    std::string Stored(const std::string& sql) { return db.Query(sql).Field(0).ToStringOr("<null>"); }
};

}  // namespace

TEST_F(RecordsetModelTest, ShowsFieldsAndAnnouncesEveryChangeItMakes) {
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "TagNumber");
    model.setHeaderData(1, Qt::Horizontal, "Tag Number");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Tag Number");
    EXPECT_EQ(At(0, 2).toDouble(), 410.5);
    EXPECT_FALSE(At(1, 2).isValid()) << "a null shows nothing";
    EXPECT_EQ(At(2, 0, Qt::EditRole).toLongLong(), 3);
    EXPECT_FALSE(At(0, 3, Qt::CheckStateRole).isValid()) << "not a check column";

    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.Sort("TagNumber");
    EXPECT_EQ(Tags(), "UK 1,UK 2,UK 3");
    const Recordset::Bookmark uk3 = model.BookmarkAt(2);
    model.Filter([](const Recordset& r) { return r["Dead"].ToLong() == 0; });
    EXPECT_EQ(Tags(), "UK 2,UK 3");
    EXPECT_EQ(model.RowOf(uk3), 1);
    db.Execute("INSERT INTO Animals (TagNumber, Dead) VALUES ('UK 0', 0)");
    model.Requery();
    EXPECT_EQ(Tags(), "UK 0,UK 2,UK 3") << "sort and filter stay";
    EXPECT_EQ(resets.count(), 3);

    model.DeleteRow(1);
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 1);
    EXPECT_EQ(Tags(), "UK 0,UK 3");
    EXPECT_EQ(Stored("SELECT group_concat(TagNumber) FROM Animals"), "UK 3,UK 1,UK 0");

    // A delete the database refuses changes nothing the views can see.
    db.Execute("CREATE TRIGGER Keep BEFORE DELETE ON Animals BEGIN SELECT RAISE(ABORT, 'kept'); END");
    EXPECT_THROW(model.DeleteRow(0), RuntimeError);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(Tags(), "UK 0,UK 3");
    db.Execute("DROP TABLE Animals");
    EXPECT_THROW(model.Requery(), RuntimeError);
    EXPECT_EQ(resets.count(), 4) << "a failed requery still ends its reset";
}

TEST_F(RecordsetModelTest, EditsAndChecksAreWrittenAtOnceAndARefusedOneIsUndone) {
    model.SetEditable(1);
    model.SetCheckable(3);
    EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, 2)) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.flags(model.index(0, 3)) & Qt::ItemIsUserCheckable);
    EXPECT_EQ(At(1, 3, Qt::CheckStateRole).toInt(), Qt::Checked);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    EXPECT_TRUE(model.setData(model.index(0, 1), "UK 33"));
    EXPECT_TRUE(model.setData(model.index(0, 3), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(model.setData(model.index(0, 2), 1.0)) << "not editable";
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(Stored("SELECT TagNumber || '/' || Dead FROM Animals WHERE AnimalID=1"), "UK 33/1");

    std::vector<std::string> failures;
    model.SetWriteFailed([&](const std::exception& e) { failures.push_back(e.what()); });
    db.Execute("CREATE TRIGGER Refuse BEFORE UPDATE ON Animals BEGIN SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_FALSE(model.setData(model.index(1, 1), "UK 11"));
    EXPECT_EQ(failures, std::vector<std::string>{"refused"});
    EXPECT_EQ(At(1, 1).toString(), "UK 1") << "the row shows what the database holds";
    EXPECT_EQ(changed.count(), 2);
}

TEST_F(RecordsetModelTest, ShownFunctionsReplaceWhatAColumnShows) {
    model.SetShown(2, Qt::DisplayRole, [](const Recordset& rows, long row) {
        const Value& w = rows.At(row, 2);
        return w.IsNull() ? QVariant("-") : QVariant(QString::number(w.ToDouble(), 'f', 1) + " kg");
    });
    model.SetShown(-1, Qt::BackgroundRole, [](const Recordset& rows, long row) {
        return rows.At(row, 3).ToBool() ? QVariant(QColor(Qt::gray)) : QVariant();
    });
    model.SetShown(1, Qt::BackgroundRole, [](const Recordset&, long) { return QVariant(QColor(Qt::green)); });
    EXPECT_EQ(At(0, 2).toString(), "410.5 kg");
    EXPECT_EQ(At(1, 2).toString(), "-");
    EXPECT_EQ(At(2, 2, Qt::EditRole).toDouble(), 388.0) << "editing sees the value";
    EXPECT_EQ(At(1, 0, Qt::BackgroundRole).value<QColor>(), QColor(Qt::gray));
    EXPECT_FALSE(At(0, 0, Qt::BackgroundRole).isValid());
    EXPECT_EQ(At(1, 1, Qt::BackgroundRole).value<QColor>(), QColor(Qt::green)) << "the column's own wins";
    model.SetShown(2, Qt::DisplayRole, {});
    EXPECT_EQ(At(0, 2).toDouble(), 410.5);
    model.SetShown(0, Qt::DecorationRole, [](const Recordset&, long) -> QVariant { throw RuntimeError(13, "x"); });
    EXPECT_FALSE(At(0, 0, Qt::DecorationRole).isValid()) << "a failing picture shows none";
}

// The texts a column fitter reads without a QVariant a row are the texts the column shows: a field's
// own (numbers as Qt writes them, nothing for a null) and a part of a field's text.
TEST_F(RecordsetModelTest, TextsReadForFittingAreTheTextsShown) {
    model.SetUnboundColumns(1);
    model.SetShownPart(4, 1, [](std::string_view tag) { return tag.substr(tag.rfind(' ') + 1); });
    for (int column : {0, 1, 2, 3, 4}) {
        std::vector<std::string> read;
        ASSERT_TRUE(model.ForEachText(column, 0, 2, [&](std::string_view text) { read.emplace_back(text); }));
        for (int row = 0; row < 3; ++row) EXPECT_EQ(read[row], At(row, column).toString().toStdString());
    }
    model.SetShown(2, Qt::DisplayRole, [](const Recordset&, long) { return QVariant("kg"); });
    EXPECT_FALSE(model.ForEachText(2, 0, 2, [](std::string_view) {})) << "a text of its own is read as shown";
    model.SetShown(4, Qt::DisplayRole, [](const Recordset&, long) { return QVariant("x"); });
    EXPECT_FALSE(model.ForEachText(4, 0, 2, [](std::string_view) {})) << "the part is replaced";
}

// Ten rows read three at a time: each fetch reads as many as are shown, a filter applies to them,
// everything is read for printing, and a failing fetch is reported once and stops the fetching.
TEST_F(RecordsetModelTest, RowsReadInPagesArriveAsTheViewsFetchThem) {
    db.Execute(
        "WITH RECURSIVE n(i) AS (SELECT 4 UNION ALL SELECT i+1 FROM n WHERE i<10) "
        "INSERT INTO Animals (TagNumber, Dead) SELECT 'UK ' || i, i % 4 = 0 FROM n");
    const std::string sql = "SELECT * FROM Animals ORDER BY AnimalID DESC";
    RecordsetModel model;  // the tester's own fetches would come inside the resets it watches
    model.SetRecordset(db.Query(sql, 3));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    std::vector<int> shown;
    for (; model.canFetchMore({}); model.fetchMore({})) shown.push_back(model.rowCount());
    EXPECT_EQ(shown, (std::vector<int>{3, 6})) << "the third fetch finds fewer rows than it asked for: the last";
    auto tags = [&] {
        std::string out;
        for (int r = 0; r < model.rowCount(); ++r)
            out += (r ? "," : "") + model.index(r, 1).data().toString().toStdString();
        return out;
    };
    EXPECT_EQ(tags(), "UK 10,UK 9,UK 8,UK 7,UK 6,UK 5,UK 4,UK 2,UK 1,UK 3");
    EXPECT_EQ(inserted.count(), 2);

    model.SetRecordset(db.Query(sql, 3));
    model.Filter([](const Recordset& r) { return r["Dead"].ToLong() == 0; });
    model.fetchMore({});
    EXPECT_EQ(tags(), "UK 10,UK 9,UK 7,UK 6,UK 5");
    model.FetchAll();
    EXPECT_EQ(model.rowCount(), 7);
    EXPECT_FALSE(model.canFetchMore({}));

    std::vector<std::string> failures;
    model.SetFetchFailed([&](const std::exception& e) { failures.push_back(e.what()); });
    model.SetRecordset(db.Query(sql, 3));
    db.Execute("DROP TABLE Animals");
    model.fetchMore({});
    EXPECT_EQ(failures, std::vector<std::string>{"no such table: Animals"});
    EXPECT_FALSE(model.canFetchMore({}));
    EXPECT_EQ(model.rowCount(), 3) << "the rows read stay";
}
