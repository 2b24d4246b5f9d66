// Movements through the locations list (real file, shipped scripts), from the keyboard too, date
// changes, moves before birth.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <fstream>

#include "fixtures/PeerProcess.h"
#include "fixtures/RegisterFixture.h"
#include "fixtures/RestrictedFile.h"
#include "platform/FileSystem.h"
#include "register/frmLocation.h"

namespace {

using Texts = std::vector<std::string>;

class MovementsTest : public RegisterTest {
protected:
    MovementsTest() {
        setenv("KELVO_TIME_SCALE", "0.1", 0);  // a locked file is given up on soon
        QLocale::setDefault(QLocale("en_GB"));
    }
    ~MovementsTest() override { QLocale::setDefault(QLocale::c()); }
    // An animal's moves, oldest first, as "location@date".
    static std::string Moves(long animal) {
        return "(SELECT ifnull(group_concat(LocationID || '@' || EventDate, ' '), '') FROM (SELECT * FROM LocationLink "
               "WHERE AnimalID=" +
               std::to_string(animal) + " ORDER BY EventDate, LocationLinkID))";
    }
};

const std::string kDatePrompt = "You must enter a date when this action occurred.";
const std::string kCancelNote = "If you do not want to enter a date click 'Cancel' and the action will not be recorded";
const std::string kNote = "\r\nNote that the date will apply to ALL the animals you have selected.";

}  // namespace

TEST_F(MovementsTest, DeathAsksInOrderSkipsTagsAndStoresTextsAsTyped) {
    frmMain& form = Open();
    Select({"UK0123456 00005", "ABC"});
    prompts.Type("31/02/2024").Answer(Prompts::OK).Type("16/06/2024").Answer(Prompts::No).Type("15/06/2024 12:30");
    prompts.Answer(Prompts::No).Type("14/06/2024").CancelInput().Type("it's @Details").Type("O'Neill '@LocationID'");
    prompts.Answer(Prompts::Yes);  // ABC's later move goes
    form.Assign(form.lstLocations, 2, "Dead");
    Texts shown;  // each prompt with its default
    for (const auto& s : prompts.shown()) shown.push_back(s.title + ": " + s.text + " [" + s.proposed + "]");
    const std::string ask = "Enter Date: " + kDatePrompt + kNote + kCancelNote + " [";
    const std::string cause = "Cause of Death: You must enter the cause of death []";
    auto future = [](std::string d) {
        return "Date/Time in the Future: " + d +
               " is in the future. Are you sure you "
               "want to use " +
               d + "? []";
    };
    EXPECT_EQ(shown, (Texts{ask + "15/06/2024]", "Invalid Date: Invalid date - please try again. []",
                            ask + "31/02/2024]", future("16/06/2024"), ask + "16/06/2024]",
                            future("15/06/2024 12:30:00"), ask + "15/06/2024 12:30]", cause, cause,
                            "Details: You may enter any comments about the move here. You should enter transporter "
                            "details here if relevant. []",
                            "Confirm Deletion of Later Records: This will also delete what is recorded for the "
                            "selected animals after 14/06/2024: 1 movement. Taking the animals out of the location "
                            "again will not bring these records back.\r\n\r\nDo you want to go on? []"}));
    EXPECT_EQ(Scalar("SELECT group_concat(ifnull(DeathReason, '-'), '|') || (SELECT group_concat(LocationID || "
                     "EventDate || Details) FROM LocationLink WHERE AnimalID=7) FROM Animals WHERE AnimalID IN (6, 7)"),
              "-|it's @Details22024-06-14 00:00:00O'Neill '@LocationID'")
        << "a tag only does not die; later moves go";
    EXPECT_EQ(form.lblProgress->text() + QString::number(form.pbrProgress->value()), "Recording deaths...2");
}

// Each location type and direction runs its own script (what the scripts do is their own test).
TEST_F(MovementsTest, EachScriptThroughTheList) {
    frmMain& form = Open();
    Db().Execute("UPDATE Animals SET DamID=1, SireID=1, DeathReason='Bloat' WHERE AnimalID IN (2, 3)");
    const std::tuple<Texts, bool, long, std::string, std::string> cases[] = {
        {{"UK0123456 00001"}, true, 3, Moves(1), "3@2024-02-01 00:00:00"},  // an earlier move replaced
        {{"ABC"}, true, 4, Moves(7), "4@2024-02-01 00:00:00"},              // a later one replaced
        {{"UK0123456 00002"}, true, 6, Moves(2), "3@2024-01-01 00:00:00 6@2024-02-01 00:00:00"},
        {{"UK0123456 00003"}, false, 2, "ifnull(DeathReason,'')||" + Moves(3) + " FROM Animals WHERE AnimalID=3", ""},
        {{"UK0123456 00002"}, false, 6, Moves(2), "3@2024-01-01 00:00:00"},
        {{"ABC"}, false, 4, Moves(7), ""},
        {{"UK0123456 00001", "UK0123456 00005"},
         true,
         1,
         "group_concat(AnimalID||DamID||SireID) FROM Animals",
         "200,300,400,500,700,800,900"},  // a tag only is removed too
    };
    for (const auto& [tags, in, location, check, expected] : cases) {
        Select(tags);
        if (location == 1) prompts.Answer(Prompts::Yes);
        else if (in) prompts.Type("01/02/2024").Type("");
        if (location == kAbattoir) prompts.Answer(Prompts::Yes);  // the move to Market tomorrow goes
        in ? form.Assign(form.lstLocations, location, "x") : form.Deassign(form.lstLocations, location, "x");
        EXPECT_EQ(Scalar("SELECT " + check), expected) << tags[0] << " " << location;
    }
    EXPECT_EQ(prompts.shown()[0].text, kDatePrompt + kCancelNote) << "one animal: no note line";
}

// A death or a move off the holding deletes the animals' later records: the keeper is told
// what goes first, and No (the default) records nothing.
TEST_F(MovementsTest, ADeathOrAMoveOffBeforeLaterRecordsSaysWhatGoesAndNoKeepsThem) {
    frmMain& form = Open();
    Db().Execute(
        "INSERT INTO Treatments (TreatmentID, EventDate) VALUES (1, '2024-06-01 00:00:00');"
        "INSERT INTO TreatmentLink (TreatmentID, AnimalID) VALUES (1, 1), (1, 2);"
        "INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (1, '1', '2024-05-01 00:00:00')");
    const std::string records =
                          "SELECT group_concat(LocationLinkID || EventDate) || (SELECT count(*) FROM "
                          "TreatmentLink) || (SELECT count(*) FROM TagChanges) FROM LocationLink",
                      before = Scalar(records);
    Select({"UK0123456 00001", "UK0123456 00002", "ABC"});
    prompts.Type("14/04/2024").Type("Bloat").Type("").Answer(Prompts::No);
    form.Assign(form.lstLocations, 2, "Dead");
    prompts.Type("14/04/2024").Type("").Answer(Prompts::No);
    form.Assign(form.lstLocations, kMarket, "Market");
    EXPECT_EQ(Scalar(records) + Scalar("SELECT count(*) FROM Animals WHERE DeathReason>''"), before + "0");
    EXPECT_EQ(prompts.Messages(),
              Texts(2,
                    "This will also delete what is recorded for the selected animals after 14/04/2024: 2 "
                    "movements, 2 treatments and 1 tag change. Taking the animals out of the location again will "
                    "not bring these records back.\r\n\r\nDo you want to go on?"));
    EXPECT_EQ(prompts.shown().back().style, Prompts::YesNo | Prompts::Question | Prompts::DefaultButton2);
}

// The keeper is asked about the later records outside the write: another copy of the program may
// record more before it runs. The move then writes nothing and asks again with what now goes.
TEST_F(MovementsTest, LaterRecordsAddedAfterTheQuestionAreAskedAboutAgainBeforeAnythingGoes) {
    frmMain& form = Open();
    const auto anotherCopyTreats = [&] {
        Connection other;
        other.Open(Db().Path());
        other.Execute(
            "INSERT INTO Treatments (TreatmentID, EventDate) VALUES (9, '2024-06-01 00:00:00');"
            "INSERT INTO TreatmentLink (TreatmentID, AnimalID) VALUES (9, 1)");
    };
    const std::string records =
        "SELECT (SELECT count(*) FROM LocationLink) || '/' || (SELECT count(*) FROM "
        "TreatmentLink) || '/' || (SELECT count(*) FROM Animals WHERE DeathReason>'')";
    Select({"UK0123456 00001", "ABC"});
    prompts.Type("14/04/2024").Type("Bloat").Type("").Answer(Prompts::Yes, anotherCopyTreats).Answer(Prompts::No);
    ASSERT_EQ(Scalar(records), "8/0/0");
    form.Assign(form.lstLocations, 2, "Dead");
    const std::vector<std::string> asked = prompts.Messages();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].rfind("More has been recorded for the selected animals since you were asked. This will also "
                             "delete what is recorded for the selected animals after 14/04/2024: 1 movement and 1 "
                             "treatment.",
                             0),
              0u)
        << asked[1];
    EXPECT_EQ(Scalar(records), "8/1/0") << "nothing goes on No; the other copy's treatment stays";

    prompts.Type("14/04/2024").Type("Bloat").Type("").Answer(Prompts::Yes);
    form.Assign(form.lstLocations, 2, "Dead");
    EXPECT_EQ(Scalar(records), "9/0/2") << "asked about all of it, the deaths go in and the later records go";
}

TEST_F(MovementsTest, AFailingAnimalIsLeftAsItWasAndALockedFileMovesNone) {
    frmMain& form = Open();
    const std::string abc = "SELECT ifnull(DeathReason, '-') || " + Moves(7) + " FROM Animals WHERE AnimalID=7",
                      before = Scalar(abc);
    Db().Execute("CREATE TRIGGER No7 INSERT ON LocationLink WHEN NEW.AnimalID=7 BEGIN SELECT RAISE(ABORT, 'no'); END");
    Select({"UK0123456 00001", "ABC", "UK0123456 00002"});
    prompts.Type("14/06/2024").Type("B").Type("").Answer(Prompts::Yes).Answer(Prompts::OK);
    form.Assign(form.lstLocations, 2, "Dead");
    EXPECT_EQ(Scalar(abc) + Scalar("SELECT group_concat(AnimalID) FROM Animals WHERE DeathReason='B'"), before + "1,2");
    EXPECT_NE(prompts.LastText().find("in procedure AssignToORRemoveFromLocation in frmMain"), std::string::npos);

    const std::string moves = "SELECT count(*) || max(LocationLinkID) FROM LocationLink", movesBefore = Scalar(moves);
    Db().Execute(
        "DROP TRIGGER No7; CREATE TRIGGER All7 BEFORE INSERT ON LocationLink WHEN NEW.AnimalID=7 BEGIN "
        "SELECT RAISE(ROLLBACK, 'disk full'); END");
    Select({"ABC", "UK0123456 00010"});
    prompts.Type("14/06/2024").Type("").Answer(Prompts::OK).Answer(Prompts::OK);
    form.Assign(form.lstLocations, 3, "Holding");
    EXPECT_EQ(Scalar(moves), movesBefore) << "an animal that undoes the whole action ends it";
    Connection other;
    other.Open(Db().Path());
    other.Execute("BEGIN IMMEDIATE");
    prompts.Type("14/06/2024").Type("").Answer(Prompts::OK);
    form.Assign(form.lstLocations, 3, "Holding");
    EXPECT_EQ(prompts.LastText(), kDatabaseInUse) << "one message in all";
    EXPECT_EQ(Scalar(moves), movesBefore);
}

// A database that comes to refuse every write, or that another program holds locked, ends each
// action (a restore and a backup too) at its first failure with one message in plain words; a
// refresh that cannot read leaves the lists and grid as they were.
TEST_F(MovementsTest, AFailureOfTheWholeDatabaseEndsTheActionWithOneMessage) {
    const std::string file = home.root() + "/herd.txt",
                      moves = "SELECT count(*) || max(LocationLinkID) FROM LocationLink";
    std::ofstream(file) << "UK0123456 00020\n";
    const std::string backup = home.root() + "/backup.mdb";
    DatabaseBuilder::CreateAtVersion(backup, "1.0.4");
    const std::string before = Scalar(moves) + Scalar("SELECT count(*) FROM GroupLink");
    auto messages = [&](const std::function<void(frmMain&)>& action) {
        frmMain& form = Form();
        const std::size_t shown = prompts.Messages().size();
        action(form);
        EXPECT_TRUE(form.isEnabled());
        EXPECT_EQ(form.lstLocations->count(), 6) << "the list keeps its entries";
        EXPECT_EQ(form.mrsAnimalEID().Rows(), 7) << "the grid keeps its rows";
        return prompts.Messages().size() - shown;
    };
    const std::function<void(frmMain&)> actions[] = {
        [&](frmMain& form) { form.Assign(form.lstLocations, kTopField, "Top Field"); },
        [&](frmMain& form) { form.Assign(form.lstGroups, kFlockA, "Flock A"); },
        [&](frmMain& form) { form.UpdateAfterImport(); },
        [&](frmMain& form) { form.mnuImportAnimalFromFile_Click(); },
        [&](frmMain& form) {
            prompts.ChooseFile(backup);
            form.mnuRestoreLocal->trigger();
        },
        [&](frmMain& form) {
            prompts.ChooseFile(backup + "2");
            form.mnuBackupLocal->trigger();
        },
    };
    {
        Open();
        Select({"UK0123456 00001", "ABC", "UK0123456 00002", "UK0123456 00010"});
        RestrictedFile readOnly(home.DataFolder(), 0555);  // no journal, so no write
        prompts.AcceptAllOK().Type("14/06/2024").Type("").ChooseFile(file);
        for (int a : {0, 1, 3}) {  // one box, not one an animal
            EXPECT_EQ(messages(actions[a]), 1u) << a;
            EXPECT_EQ(prompts.shown().back().title + ": " + prompts.LastText(),
                      "Database Cannot Be Written: Your Kelvo database cannot be written, so Kelvo cannot do this "
                      "now.\r\nCheck that its file and folder are not read-only and that the disk is not "
                      "write-protected, then try again.")
                << a;
        }
        DefaultInstance<frmMain>::Unload();
    }
    Open();
    Select({"UK0123456 00001", "ABC"});
    {
        LockingPeer locked(home.DatabasePath(), home.root());
        prompts.ChooseFile(file);  // the location's type cannot be read: no date is asked
        for (const auto& action : actions) {
            EXPECT_EQ(messages(action), 1u) << &action - actions;
            EXPECT_EQ(prompts.LastText(), kDatabaseInUse);
        }
    }
    EXPECT_EQ(Scalar(moves) + Scalar("SELECT count(*) FROM GroupLink"), before);
    EXPECT_FALSE(FileSystem::Exists(home.DatabasePath() + ".bak") || FileSystem::Exists(backup + "2"));
}

// A new date of birth takes only the moves at the old one along; moves at the very birth are no moves before it.
// Without a mouse: a location made from its list's menu (its name holding "&"), animals picked
// in the grid by keys and moved there from the menu, the grid's own menu.
TEST_F(MovementsTest, TheKeyboardAloneCreatesALocationAndMovesAnimalsThere) {
    frmMain& form = Open();
    form.show();
    NextPopup("", {Qt::Key_Down, Qt::Key_Return}, [] {
        frmLocation* dialog = frmLocation::Loaded();
        ASSERT_NE(dialog, nullptr);
        dialog->optLocationType[0]->setChecked(true);
        QTest::keyClicks(dialog->txbName, "Hill & Vale");
        QTest::keyClick(dialog->txbName, Qt::Key_Return);
        if (dialog->isVisible()) dialog->reject();
    });
    QTest::keyClick(form.lstLocations, Qt::Key_Menu);  // no entry has the focus yet
    EXPECT_EQ(popupShown, Texts{"Create a New Location"});
    const std::string hill = Scalar("SELECT LocationID FROM Locations WHERE LocationName='Hill & Vale'");
    ASSERT_NE(hill, "<none>");

    QTableView& grid = form.grdAnimals->View();
    QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Space);
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    NextPopup("", {Qt::Key_Escape});
    QTest::keyClick(&grid, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(popupShown, (Texts{"Print Selected Animals to the Printer", "Print Selected Animals to an HTML file",
                                 "Print All Animals to the Printer", "Print All Animals to an HTML file"}));

    QTest::keyClicks(form.lstLocations, "Hill");
    prompts.Type("14/06/2024").Type("by road");
    NextPopup("", {Qt::Key_Down, Qt::Key_Return});
    QTest::keyClick(form.lstLocations, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(popupShown.front(), "Assign Selected Animals to the Location 'Hill & Vale'");
    EXPECT_EQ(Rows("SELECT AnimalID || Details FROM LocationLink WHERE LocationID=" + hill), "1by road,2by road");
}

TEST_F(MovementsTest, DateChangesAndMovesBeforeBirth) {
    QLocale::setDefault(QLocale("en_US"));
    frmMain& form = Open();
    Db().Execute(
        "INSERT INTO LocationLink (LocationID, AnimalID, EventDate) VALUES (3, 1, '2023-03-01 00:00:00'), "
        "(4, 1, '2023-03-01 08:00:00'), (4, 2, '2023-03-02 00:00:00'), (4, 4, '2000-01-01 00:00:00')");
    Select({"UK0123456 00001", "UK0123456 00005", "UK0123456 00003"});
    prompts.Type("31/02/2005").Answer(Prompts::OK).Type("4/5/23").Type("4/6/23");
    for (QPushButton* button : {form.cmdChangeDoBs, form.cmdChangeDoBs, form.cmdChangeTaggingDates}) button->click();
    EXPECT_EQ(prompts.shown()[1].text, "'31/02/2005' is not a valid date - please try again.") << "and not asked again";
    EXPECT_EQ(prompts.shown()[2].text, "Please enter the new date of birth for the selected animals");
    EXPECT_EQ(Scalar("SELECT " + Moves(1)), "4@2023-03-01 08:00:00 3@2023-04-05 00:00:00 3@2024-01-01 00:00:00");
    EXPECT_EQ(Scalar("SELECT group_concat(ifnull(DateOfBirth||TaggingDate,'-')) FROM Animals WHERE AnimalID<7"),
              "2023-04-05 00:00:002023-04-06 00:00:00,-,2023-04-05 00:00:002023-04-06 00:00:00,-,-,-");
    form.cmdCheckMovements->click();
    EXPECT_EQ(form.SelectedAnimalIDs(), (std::vector<long>{1}));
}
