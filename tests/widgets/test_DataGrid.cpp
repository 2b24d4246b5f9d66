#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <filesystem>

#include "fixtures/ScratchHome.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "widgets/DataGrid.h"

namespace {

class DataGridTest : public ::testing::Test {
protected:
    std::string folder = FileSystem::MakeTempFolder();
    Connection db;
    DataGrid* grid = nullptr;

    void SetUp() override {
        EnsureTestApplication();
        db.Open(folder + "/test.db", true);
        db.Execute("CREATE TABLE Animals (AnimalID INTEGER PRIMARY KEY, TagNumber TEXT, GenderID INTEGER)");
        db.Execute("INSERT INTO Animals VALUES (1, 'A', 1), (2, 'B', 2), (3, 'C', NULL), (4, 'D', 1), (5, 'E', 2)");
        grid = new DataGrid;
        grid->resize(400, 300);
        grid->show();
        Bind();
    }
    void TearDown() override {
        delete grid;
        db.Close();
        std::filesystem::remove_all(folder);
    }
    void Bind() { grid->SetRecordset(db.Query("SELECT * FROM Animals ORDER BY AnimalID")); }
    // Clicks the record selector of a row.
    void ClickSelector(int row, Qt::KeyboardModifiers keys = {}) {
        QHeaderView* selectors = grid->View().verticalHeader();
        const QPoint at(selectors->width() / 2,
                        selectors->sectionViewportPosition(row) + selectors->sectionSize(row) / 2);
        QTest::mouseClick(selectors->viewport(), Qt::LeftButton, keys, at);
    }
    std::vector<long> Selected() { return {grid->SelBookmarks().begin(), grid->SelBookmarks().end()}; }
};

}  // namespace

TEST_F(DataGridTest, RecordSelectorsSelectRowsInTheOrderPicked) {
    QSignalSpy mouseUps(grid, &DataGrid::MouseUp);
    ClickSelector(3);
    EXPECT_EQ(Selected(), std::vector<long>{3});
    ClickSelector(1, Qt::ControlModifier);
    ClickSelector(4, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (std::vector<long>{3, 1, 4}));
    ClickSelector(3, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (std::vector<long>{1, 4}));
    ClickSelector(1);
    ClickSelector(3, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<long>{1, 2, 3}));
    ClickSelector(0, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), (std::vector<long>{1, 0})) << "a range runs from the last row clicked";
    EXPECT_EQ(grid->CurrentRow(), 0);
    EXPECT_EQ(mouseUps.count(), 7);

    grid->SetSelectionColours(QColor(175, 255, 175), Qt::black);
    EXPECT_EQ(grid->Model().index(1, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(175, 255, 175));
    EXPECT_FALSE(grid->Model().index(2, 1).data(Qt::BackgroundRole).isValid());

    // A click in a cell moves the current cell and leaves the selection.
    const QTableView& view = grid->View();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(grid->Model().index(4, 1)).center());
    EXPECT_EQ(Selected(), (std::vector<long>{1, 0}));
    EXPECT_EQ(grid->CurrentRow(), 4);

    QSignalSpy posted(grid, &DataGrid::PostEvent);
    grid->PostMsg(1);
    EXPECT_EQ(posted.count(), 0) << "posted messages come from the event loop";
    QCoreApplication::processEvents();
    ASSERT_EQ(posted.count(), 1);
    EXPECT_EQ(posted[0][0].toInt(), 1);

    Bind();
    EXPECT_EQ(grid->SelCount(), 0) << "a new recordset has new bookmarks";
}

TEST_F(DataGridTest, HeldLayoutUnboundColumnsAndValueItemsSurviveANewRecordset) {
    RecordsetModel& model = grid->Model();
    model.SetUnboundColumns(1);
    model.SetShown(3, Qt::DisplayRole, [](const Recordset& rows, long row) {
        return QVariant(QString::fromStdString(rows.At(row, 1).ToString() + "!"));
    });
    model.setHeaderData(3, Qt::Horizontal, "Shout");
    grid->SetValueItems(2, {{Value(1), "Ewe"}, {Value(2), "Ram"}});
    QHeaderView* header = grid->View().horizontalHeader();
    header->setSectionHidden(0, true);
    header->resizeSection(1, 77);
    grid->MoveColumn(3, 1);
    grid->HoldLayout();

    db.Execute("INSERT INTO Animals VALUES (6, 'F', 9)");
    Bind();
    EXPECT_EQ(model.columnCount(), 4);
    EXPECT_TRUE(header->isSectionHidden(0));
    EXPECT_EQ(header->sectionSize(1), 77);
    EXPECT_EQ(header->visualIndex(3), 1);
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "Shout");
    EXPECT_EQ(model.index(5, 3).data().toString(), "F!");
    EXPECT_EQ(model.index(1, 2).data().toString(), "Ram");
    EXPECT_EQ(model.index(5, 2).data().toString(), "9") << "a value no item names shows itself";
    EXPECT_EQ(model.index(2, 2).data().toString(), "");
    EXPECT_FALSE(model.flags(model.index(0, 3)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.setData(model.index(0, 3), "x"));
}

TEST_F(DataGridTest, KeysSelectAsTheRecordSelectorsDo) {
    QSignalSpy byKeys(grid, &DataGrid::SelectedByKeys);
    QTableView& view = grid->View();
    grid->SetCurrentRow(1);
    // Space, Shift+Down twice and back up, then Ctrl moving alone and Ctrl+Space adding row 4
    // and taking row 1 out.
    const std::pair<Qt::Key, Qt::KeyboardModifier> keys[] = {
        {Qt::Key_Space, Qt::NoModifier},      {Qt::Key_Down, Qt::ShiftModifier},   {Qt::Key_Down, Qt::ShiftModifier},
        {Qt::Key_Up, Qt::ShiftModifier},      {Qt::Key_Down, Qt::ControlModifier}, {Qt::Key_Down, Qt::ControlModifier},
        {Qt::Key_Space, Qt::ControlModifier}, {Qt::Key_Up, Qt::ControlModifier},   {Qt::Key_Up, Qt::ControlModifier},
        {Qt::Key_Up, Qt::ControlModifier},    {Qt::Key_Space, Qt::ControlModifier}};
    for (const auto& [key, modifier] : keys) QTest::keyClick(&view, key, modifier);
    EXPECT_EQ(Selected(), (std::vector<long>{2, 4}));
    QTest::keyClick(&view, Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), std::vector<long>{1});
    EXPECT_EQ(byKeys.count(), 7);
    EXPECT_FALSE(view.indexWidget(view.currentIndex())) << "Space starts no edit";
}
