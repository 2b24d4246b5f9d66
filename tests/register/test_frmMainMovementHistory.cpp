// The movement history of the selected animals, and the detail panes' print menus.
#include <QLocale>
#include <QTableView>

#include "fixtures/RegisterFixture.h"

namespace {

using Lines = std::vector<std::string>;

class MovementHistoryTest : public RegisterTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        RegisterTest::SetUp();
        Db().Execute("UPDATE Animals SET DeathReason='Bloat' WHERE AnimalID=3;"
                     "UPDATE LocationLink SET Details='by lorry', EventDate='2024-03-01 09:15:00' WHERE LocationLinkID=4");
        Open();
    }
    void TearDown() override {
        RegisterTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }
    // The shown cells of the grid's visible columns, row by row.
    static Lines Shown(DataGrid& grid) {
        Lines rows;
        for (int row = 0; row < grid.Model().rowCount(); ++row) {
            std::string line;
            for (int column = 0; column < grid.Model().columnCount(); ++column)
                if (!grid.View().isColumnHidden(column))
                    line += grid.Model().index(row, column).data().toString().toStdString() + "|";
            rows.push_back(line);
        }
        return rows;
    }
};

}  // namespace

TEST_F(MovementHistoryTest, EventsOfAllSelectedAnimalsNewestFirstWithTheCauseOfDeath) {
    EXPECT_TRUE(Form().grdMovements->isHidden());
    Select({"UK0123456 00003", "UK0123456 00004", "UK0123456 00005", "UK0123456 00010"});
    EXPECT_EQ(Shown(*Form().grdMovements),
              (Lines{"UK0123456 00004|01/05/2024|Top Field|North||", "UK0123456 00004|01/05/2024|Market|||",
                     "UK0123456 00003|01/03/2024 09:15:00|Dead|Bloat|by lorry|"}));
    EXPECT_EQ(Form().grdMovements->Model().headerData(4, Qt::Horizontal).toString().toStdString(), "Description");
    Select({"UK0123456 00010"});
    EXPECT_FALSE(Form().grdMovements->isHidden()) << "shown also without rows";
    EXPECT_EQ(Form().grdMovements->Model().rowCount(), 0);
}

TEST_F(MovementHistoryTest, EachPanePrintsOrSavesItsRows) {
    Db().Execute("INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (5, 'OLD', '2024-01-01 00:00:00');"
                 "INSERT INTO Treatments (TreatmentID, EventDate, MedicineName, Amount, Unit) "
                 "VALUES (1, '2024-02-01 00:00:00', 'Dip', 1, 'l');"
                 "INSERT INTO TreatmentLink (TreatmentID, AnimalID) VALUES (1, 5)");
    Select({"UK0123456 00004"});
    struct Pane {
        DataGrid* grid;
        void (frmMain::*mouseUp)(Qt::MouseButton, Qt::KeyboardModifiers);
        std::string what, shown;
    };
    const Pane panes[] = {{Form().grdTagChanges, &frmMain::grdTagChanges_MouseUp, "Tag Changes", "OLD"},
                          {Form().grdMovements, &frmMain::grdMovements_MouseUp, "Movements", "Top Field"},
                          {Form().grdTreatments, &frmMain::grdTreatments_MouseUp, "Treatments", "Dip"}};
    for (const Pane& pane : panes) {
        (Form().*pane.mouseUp)(Qt::LeftButton, Qt::NoModifier);  // no menu
        NextPopup("Print " + pane.what + " to an HTML file");
        prompts.ChooseFile(Path("pane.html"));
        (Form().*pane.mouseUp)(Qt::RightButton, Qt::NoModifier);
        EXPECT_EQ(popupShown, (Lines{"Print " + pane.what + " to the Printer", "Print " + pane.what + " to an HTML file"}));
        EXPECT_NE(Bytes(Path("pane.html")).find(pane.shown), std::string::npos) << pane.what;
    }
}
