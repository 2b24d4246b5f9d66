// The animal grid: filters with their SQL and captions, the refresh and its selection, cell
// edits, type changes, counts and the window's captions per species.
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <optional>
#include <set>

#include "core/modMainWindowServices.h"
#include "fixtures/RegisterFixture.h"
#include "widgets/DesignGeometry.h"
#include "widgets/TabControl.h"

namespace {

using Tags = std::vector<std::string>;

// What the fixture register holds of each sheep, written out apart from any SQL: the groups,
// the location of its latest movement of all, gender and breed (0 = none), and the type of
// the location it is at now (none when it has never been moved or only moves later).
struct Sheep {
    std::string tag;
    std::set<long> groups;
    long latestLocation;
    long gender, breed;
    std::optional<long> nowAt;
    bool moved;
};
const Sheep kSheep[] = {
    {"ABC", {}, 4, 2, 1, 1, true},
    {"UK0123456 00001", {3}, 3, 1, 1, 0, true},
    {"UK0123456 00002", {}, 5, 2, 0, 0, true},
    {"UK0123456 00003", {}, 2, 0, 2, -1, true},
    {"UK0123456 00004", {}, 4, 0, 0, 1, true},
    {"UK0123456 00005", {3}, 0, 0, 0, std::nullopt, false},
    {"UK0123456 00010", {}, 0, 1, 2, std::nullopt, false},
};

class GridTest : public RegisterTest {};

}  // namespace

// A large register's grid is read in parts at once, divided by TagSort: its rows are the whole
// query's in the same order, across bounds that fall within a run of one TagSort, with animals
// without a TagSort or with text in it, ties of one tag told apart by their keys, and a filter.
TEST_F(GridTest, ALargeRegisterReadInPartsShowsTheRowsOfTheWholeQuery) {
    Db().Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<120000) "
        "INSERT INTO Animals (AnimalType, TagNumber, TagSort, Species) SELECT 1, CASE WHEN i % 7 = 0 THEN 'uk9 ' ELSE "
        "'UK9 ' END || (i % 50000), CASE WHEN i % 1000 = 0 THEN NULL WHEN i % 999 = 0 THEN 'x' || i WHEN i > 40000 AND "
        "i < 80000 THEN 45000 ELSE i % 50000 END, 2 FROM n");
    Db().Execute(
        "INSERT INTO LocationLink (LocationID, AnimalID, EventDate) SELECT 4, AnimalID, '2024-01-01 00:00:00' "
        "FROM Animals WHERE AnimalID % 3 = 0");
    frmMain& form = Open();
    for (QRadioButton* option : {form.optAllAnimals, form.optCurrent}) {
        option->setChecked(true);
        std::string shown, whole;
        for (long row = 0; row < form.mrsAnimalEID().Rows(); ++row)
            shown += form.mrsAnimalEID().At(row, 0).ToString() + ",";
        Recordset rows = Db().Query(form.GetGridSQL());
        for (; !rows.Eof(); rows.MoveNext()) whole += rows.Field(0).ToString() + ",";
        EXPECT_GT(form.mrsAnimalEID().Rows(), 40000);
        EXPECT_TRUE(shown == whole);
    }
}

TEST_F(GridTest, EveryFilterCombinationShowsItsAnimalsAndSaysHow) {
    frmMain& form = Open();
    QRadioButton* options[] = {form.optAllAnimals, form.optCurrent, form.optGone, form.optNoLocation};
    const char* labels[] = {" (All Animals", " (Current Animals", " (Gone Animals", " (Animals with No Location"};
    const char* words[] = {"management groups", "locations", "genders", "breeds"};
    for (int option = 0; option < 4; ++option) {
        options[option]->setChecked(true);
        for (int lists = 0; lists < 16; ++lists) {
            Tick(form.lstGroups, "Flock A", lists & 1);
            Tick(form.lstLocations, "Top Field", lists & 2);
            Tick(form.lstGenders, "Unknown", lists & 4);
            Tick(form.lstBreeds, "Suffolk", lists & 8);
            form.tmrSetGridRecords_Timer();

            Tags expected;
            for (const Sheep& s : kSheep) {
                const bool shown = (!(lists & 1) || s.groups.count(kFlockA)) &&
                                   (!(lists & 2) || s.latestLocation == kTopField) && (!(lists & 4) || s.gender == 0) &&
                                   (!(lists & 8) || s.breed == kSuffolk) &&
                                   (option != 1 || (s.nowAt && *s.nowAt >= 0)) &&
                                   (option != 2 || (s.nowAt && *s.nowAt < 0)) && (option != 3 || !s.moved);
                if (shown) expected.push_back(s.tag);
            }
            std::vector<std::string> used;
            for (int list = 0; list < 4; ++list)
                if (lists & (1 << list)) used.push_back(words[list]);
            std::string filtered;
            for (std::size_t i = 0; i < used.size(); ++i)
                filtered += (i == 0 ? " filtered by " : i + 1 < used.size() ? ", " : " and ") + used[i];
            SCOPED_TRACE(form.GetGridSQL());
            EXPECT_EQ(GridTags(), expected);
            EXPECT_EQ(form.mvntGridFilterCaption, labels[option] + filtered + ")");
        }
    }
}

TEST_F(GridTest, FilterTextIsTheWhereClauseOfTheGridQuery) {
    frmMain& form = Open();
    EXPECT_EQ(form.GridFilterSQL(), " WHERE Species=2");
    EXPECT_EQ(form.mvntGridFilterCaption, " (All Animals)");
    // Answered in the tag order of an index and each location from an index alone: no sort.
    std::string plan;
    for (Recordset rs = Db().Query("EXPLAIN QUERY PLAN " + form.GetGridSQL()); !rs.Eof(); rs.MoveNext())
        plan += rs.Field("detail").ToString() + "\n";
    EXPECT_NE(plan.find("INDEX AnimalsSpeciesTag"), std::string::npos) << plan;
    EXPECT_NE(plan.find("COVERING INDEX LocationLinkAnimalLocation"), std::string::npos) << plan;
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;

    Tick(form.lstGroups, "Flock A");
    Tick(form.lstBreeds, "Texel");
    Tick(form.lstBreeds, "Suffolk");
    form.optCurrent->setChecked(true);
    EXPECT_EQ(
        form.GridFilterSQL(),
        " WHERE Species=2 AND  (Animals.AnimalID IN (SELECT AnimalID FROM GroupLink WHERE GroupID IN (3))) AND "
        " (COALESCE(Animals.BreedID,0) IN (2,1)) AND (SELECT LocationType FROM Locations INNER JOIN LocationLink ON "
        "Locations.LocationID=LocationLink.LocationID WHERE       LocationLink.AnimalID=Animals.AnimalID   AND    "
        "   EventDate<=Now() ORDER BY EventDate DESC, LocationLinkID DESC LIMIT 1)>=0");
    EXPECT_EQ(form.mvntGridFilterCaption, " (Current Animals filtered by management groups and breeds)");
    EXPECT_EQ(form.GetGridSQL().find(" SELECT Animals.AnimalID, AnimalType, TagNumber, iif( EXISTS"), 0u);
    EXPECT_NE(form.GetGridSQL().find(" ORDER BY Animals.TagSort, Animals.TagNumber"), std::string::npos);

    // The device windows read the same query and counts through core.
    EXPECT_EQ(modMainWindowServices::GetGridSQL(), form.GetGridSQL());
    EXPECT_EQ(modMainWindowServices::MainWindowOwner(), &form);
}

// A phone import may bring a gender the register had not: the list and the grid name it.
TEST_F(GridTest, AGenderAnImportMadeIsListedAndNamedInTheGrid) {
    frmMain& form = Open();
    Db().Execute(
        "INSERT INTO Genders (GenderName, Species) VALUES ('Teaser', 2);"
        "UPDATE Animals SET GenderID=last_insert_rowid() WHERE AnimalID=1");
    form.UpdateAfterImport();
    EXPECT_NE(Entry(form.lstGenders, "Teaser"), nullptr);
    const Recordset& rows = form.grdAnimals->Rows();
    long row = 0;
    while (row < rows.Rows() && rows.At(row, 2).ToString() != "UK0123456 00001") ++row;
    EXPECT_EQ(form.grdAnimals->Model().index(row, form.grdAnimals->ColumnOf("GenderID")).data().toString(), "Teaser");
}

TEST_F(GridTest, AMoveDatedTomorrowCountsFromTomorrowButTheLocationFilterSeesItToday) {
    frmMain& form = Open();
    auto locationOf = [&](const std::string& tag) {
        const Recordset& rows = form.mrsAnimalEID();
        for (long row = 0; row < rows.Rows(); ++row)
            if (rows.At(row, 2).ToString() == tag) return rows.At(row, rows.FieldIndex("LocationName")).ToStringOr("");
        return std::string("<not shown>");
    };
    EXPECT_EQ(locationOf("UK0123456 00002"), "Holding");
    EXPECT_EQ(locationOf("UK0123456 00004"), "Top Field") << "a tie on one date goes to the later link";
    form.optCurrent->setChecked(true);
    EXPECT_EQ(locationOf("UK0123456 00002"), "Holding");
    Tick(form.lstLocations, "Market");
    form.tmrSetGridRecords_Timer();
    EXPECT_EQ(GridTags(), Tags{"UK0123456 00002"});

    DateTime::PinClock({2024, 6, 16, 0, 0, 0});
    form.optGone->setChecked(true);
    EXPECT_EQ(GridTags(), Tags{"UK0123456 00002"});
    EXPECT_EQ(locationOf("UK0123456 00002"), "Market");
}

TEST_F(GridTest, RefreshKeepsTheSelectedAnimalsInTheirOrderAndSetsTheSingleAnimal) {
    frmMain& form = Open();
    Select({"ABC", "UK0123456 00005", "UK0123456 00001"});
    EXPECT_EQ(modMainWindowServices::SelectedAnimalIDs(), (std::vector<long>{7, 6, 1}));
    Tick(form.lstGroups, "Flock A");
    form.tmrSetGridRecords_Timer();
    EXPECT_EQ(form.SelectedAnimalIDs(), (std::vector<long>{6, 1}));
    EXPECT_EQ(modCommon::GetSingleAnimalID(), 0);
    EXPECT_EQ(form.grdAnimals->Caption().toStdString(),
              "2 animals out of 2 selected in the grid (All Animals filtered by management groups)");

    Tick(form.lstGenders, "Unknown");
    form.UpdateAfterImport();  // refills the group list, so its tick goes
    Tick(form.lstGroups, "Flock A");
    form.tmrSetGridRecords_Timer();
    EXPECT_EQ(form.SelectedAnimalIDs(), std::vector<long>{6});
    EXPECT_EQ(modCommon::GetSingleAnimalID(), 6);

    // A refresh that leaves nothing selected leaves no single animal either.
    Tick(form.lstBreeds, "Suffolk");
    form.tmrSetGridRecords_Timer();
    EXPECT_EQ(form.grdAnimals->SelCount(), 0);
    EXPECT_EQ(modCommon::GetSingleAnimalID(), 0);

    // Everything, then nothing.
    Tick(form.lstGenders, "Unknown", false);
    Tick(form.lstBreeds, "Suffolk", false);
    Tick(form.lstGroups, "Flock A", false);
    form.tmrSetGridRecords_Timer();
    form.cmdSelectAll_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.glngSelectedAnimalsAndTags, 7);
    EXPECT_EQ(modMainWindowServices::SelectedAnimalsAndTags(), 7);
    form.cmdDeSelectAll_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.glngSelectedAnimalsAndTags, 0);
}

TEST_F(GridTest, CountTextsSayAnimalOrAnimals) {
    for (int i = 0; i < 193; ++i)
        Db().Execute("INSERT INTO Animals (AnimalType, TagNumber, TagSort, Species) VALUES (1, 'UK0123456 " +
                     std::to_string(100 + i) + "', " + std::to_string(100 + i) + ", 2)");
    frmMain& form = Open();
    EXPECT_EQ(form.grdAnimals->Caption().toStdString(), "0 animals out of 200 selected in the grid (All Animals)");
    Select({"ABC"});
    EXPECT_EQ(form.grdAnimals->Caption().toStdString(), "1 animal out of 200 selected in the grid (All Animals)");
    EXPECT_EQ(modCommon::GetSingleAnimalID(), 7);
    EXPECT_EQ(modMainWindowServices::GridAnimalsAndTags(), 200);
    form.show();
    QCoreApplication::processEvents();
    SaveScreenshot(form, "issue10-main-200-sheep");

    // Selecting everything in an empty grid does nothing.
    form.optNoLocation->setChecked(true);
    Tick(form.lstBreeds, "Texel");
    form.tmrSetGridRecords_Timer();
    form.cmdSelectAll_Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.grdAnimals->Caption().toStdString(),
              "0 animals out of 0 selected in the grid (Animals with No Location filtered by breeds)");
}

namespace {

// Lets the grid store what its editor gives and the editor go.
void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Opens the editor of a cell, as the keeper's double click does; nullptr when none opens.
template <class Editor>
Editor* OpenEditor(DataGrid& grid, long row, const std::string& field) {
    QTableView& view = grid.View();
    const QModelIndex cell = grid.Model().index(static_cast<int>(row), grid.ColumnOf(field));
    view.setCurrentIndex(cell);
    view.edit(cell);
    return view.viewport()->findChild<Editor*>();
}

// Types `text` into a cell and presses Enter.
void TypeInto(DataGrid& grid, long row, const std::string& field, const std::string& text) {
    auto* editor = OpenEditor<QLineEdit>(grid, row, field);
    ASSERT_NE(editor, nullptr);
    editor->setText(QString::fromStdString(text));
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
}

// Picks `text` from a cell's drop-down list.
void PickInto(DataGrid& grid, long row, const std::string& field, const QString& text) {
    auto* combo = OpenEditor<QComboBox>(grid, row, field);
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(combo->findText(text));
    emit combo->activated(combo->currentIndex());
    Settle();
}

}  // namespace

TEST_F(GridTest, CellEditsFollowTheRules) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    frmMain& form = Open();
    DataGrid& grid = *form.grdAnimals;
    const long owned = 1, tagOnly = 5;  // rows of UK0123456 00001 and 00005
    TypeInto(grid, tagOnly, "DateOfBirth", "01/02/2005");
    EXPECT_EQ(Scalar("SELECT DateOfBirth FROM Animals WHERE AnimalID=6"), "<null>") << "a tag only keeps its cells";

    prompts.Answer(Prompts::OK);
    form.show();
    form.activateWindow();
    TypeInto(grid, owned, "DateOfBirth", "31/02/2005");
    EXPECT_EQ(prompts.LastText(), "31/02/2005 isn't a valid date");
    EXPECT_EQ(Scalar("SELECT DateOfBirth FROM Animals WHERE AnimalID=1"), "2023-03-01 00:00:00");
    // The keyboard is back in the cell, with the text typed, for the keeper to put right: what
    // is typed then replaces it.
    Settle();
    const QModelIndex birth = grid.Model().index(owned, grid.ColumnOf("DateOfBirth"));
    auto* again = qobject_cast<QLineEdit*>(grid.View().indexWidget(birth));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->text(), "31/02/2005");
    EXPECT_EQ(QApplication::focusWidget(), again);
    QTest::keyClicks(again, "28/02/2005");
    QTest::keyClick(again, Qt::Key_Return);
    Settle();
    EXPECT_EQ(Scalar("SELECT DateOfBirth FROM Animals WHERE AnimalID=1"), "2005-02-28 00:00:00");

    TypeInto(grid, owned, "TaggingDate", "01/02/2005");
    EXPECT_EQ(Scalar("SELECT TaggingDate FROM Animals WHERE AnimalID=1"), "2005-02-01 00:00:00");
    EXPECT_EQ(grid.Model().index(owned, grid.ColumnOf("TaggingDate")).data().toString(), "01/02/2005");
    TypeInto(grid, owned, "DateOfBirth", "");
    EXPECT_EQ(Scalar("SELECT DateOfBirth FROM Animals WHERE AnimalID=1"), "<null>");

    PickInto(grid, owned, "GenderID", "Ram");
    EXPECT_EQ(Scalar("SELECT GenderID FROM Animals WHERE AnimalID=1"), "2");
    PickInto(grid, owned, "BreedID", "Unknown");
    EXPECT_EQ(Scalar("SELECT BreedID FROM Animals WHERE AnimalID=1"), "0");
    EXPECT_EQ(grid.Model().index(owned, grid.ColumnOf("BreedID")).data().toString(), "Unknown");
    EXPECT_EQ(grid.Model().index(2, grid.ColumnOf("BreedID")).data().toString(), "") << "no breed at all";
    QLocale::setDefault(before);
}

// One animal selected, a click on another's cell: what the keeper types lands on the row clicked.
TEST_F(GridTest, WhatIsTypedAfterAClickOnACellLandsOnThatRow) {
    frmMain& form = Open();
    form.show();
    form.activateWindow();
    QTableView& view = form.grdAnimals->View();
    Select({"UK0123456 00001"});  // row 1; row 2 holds UK0123456 00002
    const QModelIndex cell = form.grdAnimals->Model().index(2, form.grdAnimals->ColumnOf("DateOfBirth"));
    view.scrollTo(cell);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(cell).center());
    Settle();
    QTest::keyClick(&view, Qt::Key_2);
    QTest::keyClicks(QApplication::focusWidget(), "005-02-01\r");
    Settle();
    EXPECT_EQ(Rows("SELECT DateOfBirth FROM Animals WHERE AnimalID IN (1,2) ORDER BY AnimalID"),
              "2023-03-01 00:00:00,2005-02-01 00:00:00");
}

TEST_F(GridTest, TagsAreSplitAtTheirLastBlankAndTypesShowPictures) {
    frmMain& form = Open();
    RecordsetModel& model = form.grdAnimals->Model();
    const int herd = form.grdAnimals->ColumnOf("TagNumber"), tag = form.mrsAnimalEID().FieldCount();
    EXPECT_EQ(model.index(1, herd).data().toString(), "UK0123456");
    EXPECT_EQ(model.index(1, tag).data().toString(), "00001");
    EXPECT_EQ(model.index(0, herd).data().toString(), "ABC");
    EXPECT_EQ(model.index(0, tag).data().toString(), "");
    const int type = form.grdAnimals->ColumnOf("AnimalType");
    EXPECT_EQ(model.index(5, type).data(Qt::ToolTipRole).toString(), "Tag only");
    EXPECT_EQ(model.index(4, type).data(Qt::ToolTipRole).toString(), "Borrowed");
    EXPECT_FALSE(model.index(5, type).data(Qt::DecorationRole).isNull());
    EXPECT_EQ(model.headerData(herd, Qt::Horizontal).toString(), "Flock");
    EXPECT_EQ(model.headerData(tag, Qt::Horizontal).toString(), "Tag");
    EXPECT_EQ(form.grdAnimals->View().horizontalHeader()->visualIndex(tag), 2) << "the third column shown";

    // Ctrl+End scrolls a little sideways to show the last column whole: the pictures stay drawn.
    form.show();
    QTableView& view = form.grdAnimals->View();
    QCoreApplication::processEvents();
    QHeaderView& header = *view.horizontalHeader();
    int last = header.logicalIndex(header.count() - 1);
    for (int place = header.count() - 1; header.isSectionHidden(last); last = header.logicalIndex(--place)) {
    }
    view.setColumnWidth(last, view.columnWidth(last) + view.viewport()->width() + 20 - header.length());
    QCoreApplication::processEvents();
    auto owned = [&] {  // pixels of the owned animals' green
        const QImage cells = view.viewport()->grab().toImage();
        int green = 0;
        for (int y = 0; y < cells.height(); ++y)
            for (int x = 0; x < cells.width(); ++x) green += cells.pixelColor(x, y) == QColor(60, 150, 60);
        return green;
    };
    const int pictured = owned();
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    ASSERT_GT(view.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(owned(), pictured);
}

TEST_F(GridTest, ShiftRightClickChangesTheTypesOfTheSelectedAnimalsItNames) {
    frmMain& form = Open();
    Db().Execute(
        "INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (4, 'UK0123456 00099', '2024-02-01 00:00:00'),"
        " (4, 'UK0123456 00050', '2024-01-01 00:00:00')");
    Db().Execute(
        "INSERT INTO GroupLink (GroupID, AnimalID) VALUES (3, 4); INSERT INTO LocationLink (LocationID, AnimalID, "
        "EventDate) VALUES (3, 4, '2024-01-01 00:00:00'); INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (4, 'AB')");
    auto types = [&] { return Rows("SELECT AnimalType FROM Animals ORDER BY AnimalID", ""); };
    auto change = [&](const Tags& selected, const std::string& item) {
        form.tmrSetGridRecords_Timer();
        Select(selected);
        NextPopup(item);
        form.grdAnimals_MouseUp(Qt::RightButton, Qt::ShiftModifier);
    };
    change({"UK0123456 00005", "UK0123456 00001"}, "Change All SELECTED Tags to be Owned Animals");
    EXPECT_EQ(popupShown, (Tags{"Change All SELECTED Tags to be Owned Animals",
                                "Change All SELECTED Owned Animals to be Reference Animals",
                                "Change All SELECTED Reference Animals to be Owned Animals",
                                "Change All SELECTED Reference Animals to be Tags",
                                "Change All SELECTED Reference Animals to be Borrowed Animals",
                                "Change All SELECTED Borrowed Animals to be Reference Animals"}));
    EXPECT_EQ(types(), "111231110");
    EXPECT_EQ(form.SelectedAnimalIDs(), (std::vector<long>{6, 1})) << "the selection stays";
    change({"UK0123456 00001", "UK0123456 00004"}, "Change All SELECTED Owned Animals to be Reference Animals");
    EXPECT_EQ(types(), "211231110");
    change({"UK0123456 00001", "UK0123456 00004"}, "Change All SELECTED Borrowed Animals to be Reference Animals");
    EXPECT_EQ(types(), "211221110");
    change({"UK0123456 00001"}, "Change All SELECTED Reference Animals to be Borrowed Animals");
    change({"UK0123456 00004"}, "Change All SELECTED Reference Animals to be Owned Animals");
    EXPECT_EQ(types(), "311211110");

    change({"UK0123456 00010", "UK0123456 00002"}, "Change All SELECTED Reference Animals to be Tags");
    EXPECT_EQ(types(), "311011110");
    EXPECT_EQ(
        Scalar("SELECT TagNumber || '|' || TagSort || '|' || ifnull(DateOfBirth,'-') || '|' || GenderID || BreedID "
               "FROM Animals WHERE AnimalID=4"),
        "UK0123456 00050|50|-|00");
    EXPECT_EQ(
        Scalar("SELECT (SELECT Count(*) FROM GroupLink WHERE AnimalID=4) || (SELECT Count(*) FROM LocationLink WHERE "
               "AnimalID=4) || (SELECT Count(*) FROM TagChanges WHERE AnimalID=4) || (SELECT Count(*) FROM EIDs WHERE "
               "AnimalID=4)"),
        "0021");
    EXPECT_EQ(GridTags().back(), "UK0123456 00050") << "sorted again by its old tag";

    // Without Shift the menu prints; closing it without a choice still refreshes.
    Select({"ABC"});
    NextPopup("");
    form.grdAnimals_MouseUp(Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(popupShown, (Tags{"Print Selected Animals to the Printer", "Print Selected Animals to an HTML file",
                                "Print All Animals to the Printer", "Print All Animals to an HTML file"}));
    EXPECT_EQ(form.SelectedAnimalIDs(), std::vector<long>{7});
}

TEST_F(GridTest, SpeciesSetUpShowsWhatBelongsToTheSpecies) {
    modCommon::AddKelvoData("HoldingNumber", "12/345/6789");
    modCommon::AddKelvoData("HerdNumber", "123456");
    frmMain& form = Open(1);
    const int fields = form.mrsAnimalEID().FieldCount();
    QHeaderView* header = form.grdAnimals->View().horizontalHeader();
    const int tagging = form.grdAnimals->ColumnOf("TaggingDate");
    EXPECT_TRUE(header->isSectionHidden(tagging));
    EXPECT_FALSE(form.tabDetails->TabVisible(5));
    EXPECT_TRUE(form.mnuChangeHerdNumber->isVisible());
    EXPECT_FALSE(form.mnuChangeFlockNumber->isVisible());
    EXPECT_TRUE(form.mnuChangeHoldingNumber->isVisible());
    EXPECT_EQ(form.windowTitle().toStdString(), "Kelvo Simple v" + modCommon::ProgramVersion() +
                                                    " (c) the Kelvo makers (Cattle)  Holding Number: 12/345/6789  Herd "
                                                    "Number: 123456  Country: England");
    EXPECT_EQ(GridTags(), (Tags{"UK123456 100001", "UK123456 100002"}));
    EXPECT_FALSE(form.grdAnimals->property("Tag").toString().contains("Tagging Date"));

    modCommon::Species = 2;
    modCommon::HoldingNumberRequired = false;
    form.InitialiseForSpecies();
    EXPECT_TRUE(form.grdAnimals->property("Tag").toString().contains("Tagging Date")) << "the grid's help follows";
    EXPECT_FALSE(header->isSectionHidden(tagging));
    EXPECT_GE(header->sectionSize(tagging), DesignGeometry::Pixels(1200));
    EXPECT_EQ(header->sectionSize(tagging), header->sectionSize(form.grdAnimals->ColumnOf("DateOfBirth")));
    EXPECT_TRUE(form.tabDetails->TabVisible(5));
    EXPECT_FALSE(form.mnuChangeHerdNumber->isVisible());
    EXPECT_TRUE(form.mnuChangeFlockNumber->isVisible());
    EXPECT_FALSE(form.mnuChangeHoldingNumber->isVisible());
    EXPECT_EQ(form.windowTitle().toStdString(),
              "Kelvo Simple v" + modCommon::ProgramVersion() + " (c) the Kelvo makers (Sheep)  Country: England");
    EXPECT_EQ(form.grdAnimals->Model().columnCount(), fields + 1) << "one Tag column, however often it is set up";
    EXPECT_TRUE(header->isSectionHidden(form.grdAnimals->ColumnOf("AnimalID")));

    // The layout survives a refresh.
    form.optGone->setChecked(true);
    EXPECT_FALSE(header->isSectionHidden(tagging));
    EXPECT_TRUE(header->isSectionHidden(form.grdAnimals->ColumnOf("Species")));
    EXPECT_EQ(header->visualIndex(fields), 2);
}

TEST_F(GridTest, AFailingQueryLeavesTheGridAsItWas) {
    frmMain& form = Open();
    Db().Execute("ALTER TABLE Animals RENAME TO Beasts");
    prompts.AcceptAllOK();
    form.tmrSetGridRecords_Timer();
    EXPECT_EQ(GridTags().size(), 7u);
    ASSERT_EQ(prompts.Messages().size(), 2u);
    EXPECT_NE(prompts.Messages()[1].find("procedure tmrSetGridRecords_Timer in frmMain"), std::string::npos);
    Db().Execute("ALTER TABLE Beasts RENAME TO Animals");
}
