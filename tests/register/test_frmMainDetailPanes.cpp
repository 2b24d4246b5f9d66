// The selected animals' tag changes, movement history and treatments, with the treatment dialog
// driven from the keyboard: the checks, all-or-nothing writes, the panes' order and deleting.
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextEdit>

#include "fixtures/PeerProcess.h"
#include "fixtures/RegisterFixture.h"
#include "register/frmTreatment.h"

namespace {

using Lines = std::vector<std::string>;

class DetailPaneTest : public RegisterTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
        setenv("KELVO_TIME_SCALE", "0.02", 1);  // a locked database gives up at once
        RegisterTest::SetUp();
        Open();
        Select({"UK0123456 00001"});
        prompts.AcceptAllOK();  // the texts are read from the record of what was shown
    }
    void TearDown() override {
        RegisterTest::TearDown();
        unsetenv("KELVO_TIME_SCALE");
        QLocale::setDefault(QLocale::c());
    }
    // What the grid shows in its visible columns, each cell followed by "|".
    static Lines Shown(DataGrid& grid) {
        Lines rows(grid.Model().rowCount());
        for (int row = 0; row < grid.Model().rowCount(); ++row)
            for (int column = 0; column < grid.Model().columnCount(); ++column)
                if (!grid.View().isColumnHidden(column))
                    rows[row] += grid.Model().index(row, column).data().toString().toStdString() + "|";
        return rows;
    }
    // Records a tag change with these answers typed in turn.
    void RecordTag(const Lines& typed) {
        for (const std::string& text : typed) prompts.Type(text);
        Form().cmdRecordTagChange_Click();
        EXPECT_TRUE(prompts.Done());
    }
    std::string History() {
        return Rows("SELECT AnimalID || ':' || OldTag || '@' || substr(EventDate,1,10) FROM TagChanges", "|");
    }
    std::string Treated() {
        return Scalar(
            "SELECT (SELECT group_concat(EventDate || '/' || MedicineName || '/' || Amount || '/' || Unit || "
            "'/' || TreatedBy || '/' || Reason) FROM Treatments) || ' ' || (SELECT group_concat(AnimalID) "
            "FROM TreatmentLink)");
    }
    std::function<void()> recordTreatment = [this] { Form().cmdRecordTreatment_Click(); };
};

}  // namespace

TEST_F(DetailPaneTest, TagChecksAskAgainAndLatestOrBackDatedChangesFillTheHistoryInOrder) {
    ShowTab(frmMain::kTagChangesTab);
    RecordTag({"uk0123456 0009-", "UK0123456/1", "ABCDEF", "  uk0123456 00099 ", "31/02/2005", "tomorrow", "16/06/2024",
               "0000-01-01", "01/01/10000", "2024-05-01"});
    EXPECT_EQ(prompts.shown()[0].text, "Enter the new tag as Flock Number and Tag Number separated by a single space");
    const std::string badTag = "Invalid tag - please try again.", badDate = "Invalid date - please try again.",
                      future = "You cannot record tag chages in the future - please try again.";
    EXPECT_EQ(prompts.Messages(), (Lines{badTag, badTag, badTag, badDate, badDate, future, badDate, badDate}));
    EXPECT_EQ(Scalar("SELECT TagNumber || '/' || TagSort FROM Animals WHERE AnimalID=1"), "UK0123456 00099/99");

    RecordTag({"UK0123456 00050", "01/03/2024"});  // earlier: the typed tag enters the history
    RecordTag({"UK0123456 00077", "2024-05-01"});  // at the latest date: the latest
    RecordTag({"UK0123456 00088", "15/06/2024"});  // today's sorts above "Current"
    EXPECT_EQ(History(),
              "1:UK0123456 00001@2024-05-01|1:UK0123456 00050@2024-03-01|1:UK0123456 00099@2024-05-01|"
              "1:UK0123456 00077@2024-06-15");
    Db().Execute("INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (2, 'X2', '2024-01-01 10:30:00')");
    Select({"UK0123456 00002", "UK0123456 00003", "UK0123456 00088"});
    EXPECT_TRUE(Form().cmdRecordTagChange->isHidden()) << "only for the one animal shown";
    EXPECT_EQ(Shown(*Form().grdTagChanges),
              (Lines{"    UK0123456 00077|15/06/2024|", "UK0123456 00088|Current|", "    UK0123456 00099|01/05/2024|",
                     "    UK0123456 00001|01/05/2024|", "    UK0123456 00050|01/03/2024|", "UK0123456 00002|Current|",
                     "    X2|01/01/2024 10:30:00|"}));
    // Both columns show whole, without scrolling sideways: the help beside the grid gives way.
    DataGrid& grid = *Form().grdTagChanges;
    Form().show();
    WaitUntil([&] { return grid.View().horizontalScrollBar()->maximum() == 0; });
    EXPECT_GE(Form().rtbHelp->x(), grid.x() + grid.width());
    SaveScreenshot(Form(), "tag-changes-pane");
}

TEST_F(DetailPaneTest, TagRefusalsAndCancelWriteNothingAFailureUndoesTheWholeChangeAndDeletingSkipsCurrent) {
    ShowTab(frmMain::kTagChangesTab);
    Db().Execute("UPDATE Animals SET TagNumber='O''NEIL 1' WHERE AnimalID=1");
    modCommon::HerdFlockRequired = false;
    RecordTag({"UK0123456 00002", "2024-05-01"});
    EXPECT_EQ(prompts.shown()[0].text, "Enter the new tag");
    EXPECT_EQ(prompts.LastText(),
              "The tag UK0123456 00002is already in current use. The change has not been recorded.");
    prompts.CancelInput().Type("NEW1").CancelInput();  // at the tag, then at the date
    for (int i = 0; i < 2; ++i) Form().cmdRecordTagChange_Click();
    Db().Execute("CREATE TRIGGER no BEFORE UPDATE OF TagNumber ON Animals BEGIN SELECT RAISE(ABORT, 'no'); END");
    RecordTag({"NEW1", "2024-05-01"});
    EXPECT_EQ(prompts.LastText().rfind("An error occurred in procedure cmdRecordTagChange_Click", 0), 0u);
    EXPECT_EQ(History(), "<null>") << "no history row without the animal's new tag";
    Db().Execute("DROP TRIGGER no");
    RecordTag({"NEW1", "2024-05-01"});
    EXPECT_EQ(History(), "1:O'NEIL 1@2024-05-01") << "the old tag with its quote, as it was";

    DataGrid& grid = *Form().grdTagChanges;
    grid.SelAdd(grid.Rows().BookmarkAt(0));
    Form().grdTagChanges_Click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(Form().cmdDeleteTagChange->isHidden());
    Form().cmdDeleteTagChange_Click();
    EXPECT_EQ(History(), "1:O'NEIL 1@2024-05-01") << "the current row alone deletes nothing";
    for (long row : {0, 1}) grid.SelAdd(grid.Rows().BookmarkAt(row));
    Form().cmdDeleteTagChange_Click();
    EXPECT_EQ(History() + Scalar("SELECT TagNumber FROM Animals WHERE AnimalID=1"), "<null>NEW1");
}

TEST_F(DetailPaneTest, MovementsOfAllSelectedAnimalsNewestFirstWithTheCauseOfDeathAndEachPanePrints) {
    Db().Execute(
        "UPDATE Animals SET DeathReason='Bloat' WHERE AnimalID=3; INSERT INTO TreatmentLink VALUES (1, 1, 5);"
        "UPDATE LocationLink SET Details='lorry', EventDate='2024-03-01 09:15:00' WHERE LocationLinkID=4;"
        "INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (5, 'OLD', '2024-01-01');"
        "INSERT INTO Treatments (TreatmentID, EventDate, MedicineName) VALUES (1, '2024-02-01', 'Dip');");
    Select({"UK0123456 00003", "UK0123456 00004", "UK0123456 00005", "UK0123456 00010"});
    EXPECT_EQ(Shown(*Form().grdMovements), Lines{}) << "a pane not on show waits for its tab";
    ShowTab(frmMain::kMovementHistoryTab);
    EXPECT_EQ(Shown(*Form().grdMovements),
              (Lines{"UK0123456 00004|01/05/2024|Top Field|North||", "UK0123456 00004|01/05/2024|Market|||",
                     "UK0123456 00003|01/03/2024 09:15:00|Dead|Bloat|lorry|"}));
    const std::tuple<DataGrid*, std::string, int> panes[] = {
        {Form().grdTagChanges, "Tag Changes", frmMain::kTagChangesTab},
        {Form().grdMovements, "Movements", frmMain::kMovementHistoryTab},
        {Form().grdTreatments, "Treatments", frmMain::kTreatmentsTab}};
    for (const auto& [grid, what, tab] : panes) {
        ShowTab(tab);
        NextPopup("Print " + what + " to an HTML file");
        prompts.ChooseFile(Path(what + ".html"));
        QTest::mouseClick(grid->View().viewport(), Qt::RightButton);
        EXPECT_EQ(popupShown, (Lines{"Print " + what + " to the Printer", "Print " + what + " to an HTML file"}));
        EXPECT_NE(Bytes(Path(what + ".html")).find(Shown(*grid)[0].substr(0, 15)), std::string::npos) << what;
    }
}

TEST_F(DetailPaneTest, TreatmentChecksInOrderFromTheKeyboardThenOneTreatmentForEverySelectedAnimal) {
    ShowTab(frmMain::kTreatmentsTab);
    Select({"UK0123456 00001", "UK0123456 00002", "UK0123456 00005"});
    const char* const amount = "The amount is not valid. Please re-enter it.";
    const std::array<const char*, 3> steps[] = {
        {"31/02/2005", "The treatment date is not valid. Please re-enter it.", "Invalid Date"},
        {"16/06/2024", "The treatment date is in the future. Please re-enter it.", "Invalid Date"},
        {"15/06/2024", "Please enter or select a medicine.", "Medicine Required"},
        {"Pen 'LA'", amount, "Invalid Amount"},
        {"0", amount, "Invalid Amount"},
        {"-1", amount, "Invalid Amount"},
        {"2.5", "Please enter or select a unit.", "Invalid Unit"},
        {"ml", "Please enter or select the name of the person doing the treatment.", "Invalid Name"},
        {" ", "Please enter or select the reason for the treatment.", "Invalid Reason"},
        {"Lame", nullptr, nullptr}};
    RunModal<frmTreatment>(recordTreatment, [&](frmTreatment& dialog) {
        EXPECT_EQ(dialog.txbEventDate->text(), "15/06/2024");
        dialog.txbEventDate->setFocus();
        for (const auto& [typed, message, title] : steps) {
            QWidget* field = dialog.focusWidget();  // where the last refusal put the focus
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(field, typed);
            QTest::keyClick(field, Qt::Key_Return);  // presses OK
            if (!message) break;
            const auto& shown = prompts.shown().back();
            EXPECT_EQ(shown.text + shown.title + std::to_string(shown.style), std::string(message) + title + "0");
        }
    });
    EXPECT_EQ(Treated(), "2024-06-15 00:00:00/Pen 'LA'/2.5/ml/ /Lame 1,2,6");
    EXPECT_EQ(Shown(*Form().grdTreatments), (Lines{"UK0123456 00001|15/06/2024|Pen 'LA'|2.5 ml| |Lame|",
                                                   "UK0123456 00002|15/06/2024|Pen 'LA'|2.5 ml| |Lame|"}))
        << "the tag-only row is linked but never listed";
}

TEST_F(DetailPaneTest, AFailedTreatmentWriteLeavesNothingIsReportedAndTheDialogStaysUsable) {
    Select({"UK0123456 00001", "UK0123456 00002"});
    Connection peer;
    peer.Open(modCommon::Database().GetDatabaseFilespec());
    const std::string failed = "An error occurred in procedure OKButton_Click in frmTreatment";
    const std::array<std::string, 4> failures[] = {
        {"CREATE TRIGGER no BEFORE INSERT ON TreatmentLink WHEN NEW.AnimalID=2 BEGIN SELECT RAISE(ABORT,'no'); END",
         "DROP TRIGGER no", "l", failed},
        {"BEGIN IMMEDIATE", "ROLLBACK", "l", kDatabaseInUse},
        {"", "", std::string(51, 'm'), failed}};
    RunModal<frmTreatment>(recordTreatment, [&](frmTreatment& dialog) {
        for (QComboBox* field : {dialog.cboMedicine, dialog.cboName, dialog.cboReason}) field->setEditText("Dip");
        dialog.txbAmount->setText("5");
        for (const auto& [make, undo, unit, message] : failures) {
            if (!make.empty()) peer.Execute(make);
            dialog.cboUnit->setEditText(QString::fromStdString(unit));
            dialog.OKButton->click();
            EXPECT_EQ(prompts.LastText().rfind(message, 0), 0u) << prompts.LastText();
            EXPECT_EQ(Treated(), "<null>") << make;
            if (!undo.empty()) peer.Execute(undo);
        }
        EXPECT_TRUE(dialog.isVisible() && dialog.cboReason->currentText() == "Dip") << "the entries stay";
        dialog.CancelButton->click();
    });
}

TEST_F(DetailPaneTest, DeletingATreatmentLinkKeepsItForTheOthersAndClearsUnlinkedOnes) {
    ShowTab(frmMain::kTreatmentsTab);
    Db().Execute(
        "INSERT INTO Treatments VALUES (1, '2024-06-01', 'Dip', 5, 'l', 'Jo', ''), (2, '2024-06-01', "
        "'Wormer of Closantel and Levamisole', 0.1, 'ml', 'Jo', ''), (3, '2024-01-01', 'Old', 2.5, 'g', '', '');"
        "INSERT INTO TreatmentLink (TreatmentID, AnimalID) VALUES (1, 1), (1, 2), (2, 1)");
    Select({"UK0123456 00002", "UK0123456 00001"});
    EXPECT_EQ(Shown(*Form().grdTreatments),
              (Lines{"UK0123456 00001|01/06/2024|Wormer of Closantel and Levamisole|0.1 ml|Jo||",
                     "UK0123456 00001|01/06/2024|Dip|5 l|Jo||", "UK0123456 00002|01/06/2024|Dip|5 l|Jo||"}));
    // The medicine shows whole, as the tags do.
    QTableView& view = Form().grdTreatments->View();
    const QModelIndex longest = view.model()->index(0, Form().grdTreatments->ColumnOf("MedicineName"));
    EXPECT_LE(view.sizeHintForIndex(longest).width(), view.columnWidth(longest.column()) - 1);
    RunModal<frmTreatment>(recordTreatment, [](frmTreatment& dialog) {
        EXPECT_EQ(dialog.cboName->count(), 3) << "one entry per treatment";
        QTest::keyClick(dialog.cboMedicine, Qt::Key_Escape);
    });
    DataGrid& grid = *Form().grdTreatments;
    grid.SelAdd(grid.Rows().BookmarkAt(2));
    Form().cmdDeleteTreatments_Click();
    const std::string left =
        "SELECT (SELECT group_concat(TreatmentID || ':' || AnimalID) FROM TreatmentLink) || ' ' "
        "|| (SELECT group_concat(TreatmentID) FROM Treatments)";
    EXPECT_EQ(Scalar(left), "1:1,2:1 1,2") << "the unlinked treatment goes too";
    grid.SelAdd(grid.Rows().BookmarkAt(1));
    Form().cmdDeleteTreatments_Click();
    EXPECT_EQ(Scalar(left), "2:1 2");
}

// Thousands of selected animals: the movements come newest first a page at a time as the keeper
// scrolls, in the order one query of them all gives, and the HTML file holds every one.
TEST_F(DetailPaneTest, ManyMovementsArriveAsTheKeeperScrollsAndAreAllSavedAsHTML) {
    Db().Execute(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<2500) INSERT INTO Animals "
        "(AnimalType, TagNumber, TagSort, Species) SELECT 1, 'UK0999999 ' || i, i, 2 FROM n;"
        "INSERT INTO LocationLink (LocationID, AnimalID, EventDate) SELECT 4, AnimalID, date('2023-01-01', "
        "'+' || (AnimalID % 300) || ' days') || ' 00:00:00' FROM Animals WHERE TagNumber LIKE 'UK0999999 %'");
    Form().tmrSetGridRecords_Timer();
    ShowTab(frmMain::kMovementHistoryTab);
    Form().cmdSelectAll_Click();
    QCoreApplication::processEvents();
    DataGrid& grid = *Form().grdMovements;
    grid.resize(400, 300);
    EXPECT_TRUE(grid.Model().rowCount() < 2500 && grid.Model().canFetchMore({}));
    const int first = grid.Model().rowCount();
    grid.View().scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_GT(grid.Model().rowCount(), first);

    NextPopup("Print Movements to an HTML file");
    prompts.ChooseFile(Path("all.html"));
    QTest::mouseClick(grid.View().viewport(), Qt::RightButton);
    const std::string html = Bytes(Path("all.html"));
    std::string shown;
    for (long row = 0; row < grid.Rows().Rows(); ++row)
        shown += (row ? "," : "") + grid.Rows().At(row, grid.ColumnOf("LocationLinkID")).ToString();
    EXPECT_EQ(shown, Scalar("SELECT group_concat(LocationLinkID) FROM (SELECT LocationLinkID FROM LocationLink INNER "
                            "JOIN Animals USING (AnimalID) WHERE AnimalType<>0 AND Species=2 ORDER BY EventDate DESC, "
                            "LocationLinkID DESC)"));
    long rows = 0;
    for (auto at = html.find("<tr>"); at != std::string::npos; at = html.find("<tr>", at + 1)) ++rows;
    EXPECT_EQ(rows, grid.Rows().Rows() + 1) << "the header and every movement";
}
