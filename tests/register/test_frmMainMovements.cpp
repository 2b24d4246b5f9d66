// Movements through the locations list on a real file with the shipped scripts, the date
// changes and the search for animals moved before birth.
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>

#include "fixtures/RegisterFixture.h"

namespace {

using Texts = std::vector<std::string>;

class MovementsTest : public RegisterTest {
protected:
    // A locked file is given up on soon.
    MovementsTest() : scaled(!getenv("KELVO_TIME_SCALE")) { setenv("KELVO_TIME_SCALE", "0.1", 0); }
    ~MovementsTest() override {
        QLocale::setDefault(before);
        if (scaled) unsetenv("KELVO_TIME_SCALE");
    }
    void Use(const char* locale) { QLocale::setDefault(QLocale(QString::fromLatin1(locale))); }
    // An animal's moves, oldest first, as "location@date".
    static std::string MovesSQL(long animal) {
        return "(SELECT ifnull(group_concat(LocationID || '@' || EventDate, ' '), '') FROM (SELECT * FROM LocationLink "
               "WHERE AnimalID=" + std::to_string(animal) + " ORDER BY EventDate, LocationLinkID))";
    }
    std::string Moves(long animal) { return Scalar("SELECT " + MovesSQL(animal)); }
    Texts Titles() {
        Texts titles;
        for (const auto& shown : prompts.shown()) titles.push_back(shown.title);
        return titles;
    }
    QLocale before;
    bool scaled;
};

const std::string kDatePrompt = "You must enter a date when this action occurred.";
const std::string kCancelNote = "If you do not want to enter a date click 'Cancel' and the action will not be recorded";

}  // namespace

TEST_F(MovementsTest, DeathAsksInOrderSkipsTagsAndStoresTextsAsTyped) {
    Use("en_GB");
    frmMain& form = Open();
    Select({"UK0123456 00005", "ABC"});
    prompts.Type("31/02/2024").Answer(Prompts::OK).Type("16/06/2024").Answer(Prompts::No);
    prompts.Type("15/06/2024 12:30").Answer(Prompts::No).Type("14/06/2024").CancelInput();
    prompts.Type("it's @Details @Date").Type("O'Neill '@LocationID' @AnimalID");
    form.Assign(form.lstLocations, 2, "Dead");
    EXPECT_EQ(Titles(), (Texts{"Enter Date", "Invalid Date", "Enter Date", "Date/Time in the Future", "Enter Date",
                               "Date/Time in the Future", "Enter Date", "Cause of Death", "Cause of Death", "Details"}));
    const auto& shown = prompts.shown();
    EXPECT_EQ(shown[0].text, kDatePrompt + "\r\nNote that the date will apply to ALL the animals you have selected." +
                                 kCancelNote);
    EXPECT_EQ(shown[1].text, "Invalid date - please try again.");
    EXPECT_EQ(shown[3].text, "16/06/2024 is in the future. Are you sure you want to use 16/06/2024?");
    EXPECT_EQ(shown[3].style, Prompts::YesNo | Prompts::Question);
    EXPECT_EQ(shown[5].text, "15/06/2024 12:30:00 is in the future. Are you sure you want to use 15/06/2024 12:30:00?");
    EXPECT_EQ((Texts{shown[0].proposed, shown[2].proposed, shown[4].proposed, shown[6].proposed}),
              (Texts{"15/06/2024", "31/02/2024", "16/06/2024", "15/06/2024 12:30"}));
    EXPECT_EQ(shown[7].text, "You must enter the cause of death");
    EXPECT_EQ(Scalar("SELECT DeathReason FROM Animals WHERE AnimalID=7"), "it's @Details @Date");
    EXPECT_EQ(Moves(7), "2@2024-06-14 00:00:00") << "the later move is gone";
    EXPECT_EQ(Scalar("SELECT Details FROM LocationLink WHERE AnimalID=7"), "O'Neill '@LocationID' @AnimalID");
    EXPECT_EQ(Scalar("SELECT ifnull(DeathReason, 'alive') FROM Animals WHERE AnimalID=6"), "alive");
    EXPECT_EQ(form.lblProgress->text(), "Recording deaths...");
    EXPECT_EQ(form.pbrProgress->value(), 2);
    EXPECT_TRUE(form.isEnabled() && form.fraProgress->isHidden());
}

TEST_F(MovementsTest, EachScriptThroughTheList) {
    Use("en_GB");
    frmMain& form = Open();
    Db().Execute(
        "UPDATE Animals SET DamID=1, SireID=1 WHERE AnimalID=2; UPDATE Animals SET DeathReason='Bloat' WHERE "
        "AnimalID=3; INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (2, 'X', '2024-06-10 00:00:00');"
        "INSERT INTO Treatments (TreatmentID, EventDate) VALUES (1, '2024-06-10 00:00:00'), (2, '2024-06-10 00:00:00');"
        "INSERT INTO TreatmentLink (TreatmentID, AnimalID) VALUES (1, 2), (2, 2), (2, 1)");
    const std::string links = " || '|' || (SELECT count(*) FROM TagChanges) || '|' || (SELECT ifnull(group_concat("
                              "TreatmentID || ':' || AnimalID), '') FROM TreatmentLink) || '|' || (SELECT "
                              "ifnull(group_concat(TreatmentID), '') FROM Treatments)";
    struct Case {
        Texts tags;
        bool in;
        long location;
        std::string date, check, expected;
    } cases[] = {
        {{"UK0123456 00001"}, true, 3, "01/02/2024", "1", "3@2024-02-01 00:00:00"},  // an earlier move replaced
        {{"ABC"}, true, 4, "01/06/2024", "7", "4@2024-06-01 00:00:00"},              // and a later one
        {{"UK0123456 00002"}, true, 6, "01/06/2024", "2" + links, "3@2024-01-01 00:00:00 6@2024-06-01 00:00:00|0|2:1|2"},
        {{"UK0123456 00003"}, false, 2, "", "3 || (SELECT ifnull(DeathReason, 'alive') FROM Animals WHERE AnimalID=3)",
         "alive"},
        {{"UK0123456 00002"}, false, 6, "", "2", "3@2024-01-01 00:00:00"},
        {{"ABC"}, false, 4, "", "7", ""},
        {{"UK0123456 00001", "UK0123456 00005"}, true, 1, "",
         "4 || (SELECT group_concat(AnimalID || DamID || SireID) FROM Animals WHERE Species=2) || (SELECT count(*) FROM "
         "EIDs) || (SELECT count(*) FROM GroupLink)" + links,
         "200,300,400,500,70000|0||"},
    };
    for (const Case& c : cases) {
        Select(c.tags);
        if (c.location == 1) prompts.Answer(Prompts::Yes);
        else if (c.in) prompts.Type(c.date).Type("");
        c.in ? form.Assign(form.lstLocations, c.location, "x") : form.Deassign(form.lstLocations, c.location, "x");
        const std::size_t id = c.check.find_first_not_of("0123456789");
        EXPECT_EQ(Scalar("SELECT " + MovesSQL(std::stol(c.check)) + c.check.substr(std::min(id, c.check.size()))),
                  c.expected)
            << c.tags[0] << " " << c.location;
        EXPECT_TRUE(prompts.Done());
    }
    EXPECT_EQ(prompts.shown()[0].text, kDatePrompt + kCancelNote) << "one animal: no note line";
}

TEST_F(MovementsTest, AFailingAnimalIsLeftAsItWasAndALockedFileMovesNone) {
    Use("en_GB");
    frmMain& form = Open();
    const std::string abc = "SELECT ifnull(DeathReason, '-') || " + MovesSQL(7) + " FROM Animals WHERE AnimalID=7";
    const std::string before = Scalar(abc);
    Db().Execute("CREATE TRIGGER Refuse BEFORE INSERT ON LocationLink WHEN NEW.AnimalID=7 BEGIN SELECT RAISE(ABORT, "
                 "'refused'); END");
    Select({"UK0123456 00001", "ABC", "UK0123456 00002"});
    prompts.Type("14/06/2024").Type("Bloat").Type("").Answer(Prompts::OK);
    form.Assign(form.lstLocations, 2, "Dead");
    EXPECT_EQ(Scalar(abc), before);
    EXPECT_EQ(Scalar("SELECT group_concat(AnimalID) FROM Animals WHERE DeathReason='Bloat'"), "1,2");
    EXPECT_NE(prompts.LastText().find("in procedure AssignToORRemoveFromLocation in frmMain"), std::string::npos);

    const std::string moves = "SELECT count(*) || ',' || max(LocationLinkID) FROM LocationLink";
    const std::string movesBefore = Scalar(moves);
    Connection other;
    other.Open(Db().Path());
    other.Execute("BEGIN IMMEDIATE");
    prompts.Type("14/06/2024").Type("").Answer(Prompts::OK);
    form.Assign(form.lstLocations, 3, "Holding");
    EXPECT_NE(prompts.LastText().find("in procedure Assign in frmMain"), std::string::npos);
    EXPECT_TRUE(prompts.Done()) << "one message for the whole action";
    other.Execute("ROLLBACK");
    EXPECT_EQ(Scalar(moves), movesBefore);
    EXPECT_TRUE(form.isEnabled() && form.fraProgress->isHidden());
}

TEST_F(MovementsTest, DateChangesMoveOnlyEventsAtTheOldBirth) {
    Use("en_US");
    frmMain& form = Open();
    Db().Execute("INSERT INTO LocationLink (LocationID, AnimalID, EventDate) VALUES (3, 1, '2023-03-01 00:00:00'), "
                 "(4, 1, '2023-03-01 08:00:00')");
    prompts.Answer(Prompts::OK);
    form.cmdChangeDoBs->click();
    EXPECT_EQ(prompts.shown()[0].text, "There is nothing selected in the grid.");
    Select({"UK0123456 00001", "UK0123456 00005", "UK0123456 00003"});
    prompts.Type("4/5/23");
    form.cmdChangeDoBs->click();
    EXPECT_EQ(prompts.shown()[1].text, "Please enter the new date of birth for the selected animals");
    EXPECT_EQ(form.lblProgress->text(), "Setting the DoB of the selected animals to 4/5/23");
    EXPECT_EQ(form.pbrProgress->value(), 3);
    EXPECT_EQ(Scalar("SELECT group_concat(ifnull(DateOfBirth, '-')) FROM Animals WHERE AnimalID IN (1, 3, 6)"),
              "2023-04-05 00:00:00,2023-04-05 00:00:00,-");
    EXPECT_EQ(Moves(1), "4@2023-03-01 08:00:00 3@2023-04-05 00:00:00 3@2024-01-01 00:00:00");
    Use("en_GB");
    prompts.Type("04/05/2023").Type("31/02/2005").Answer(Prompts::OK);
    form.cmdChangeTaggingDates->click();
    form.cmdChangeTaggingDates->click();
    EXPECT_EQ(Scalar("SELECT group_concat(ifnull(TaggingDate, '-')) FROM Animals WHERE AnimalID IN (1, 3, 6)"),
              "2023-05-04 00:00:00,2023-05-04 00:00:00,-");
    EXPECT_EQ(prompts.LastText(), "'31/02/2005' is not a valid date - please try again.");
    EXPECT_EQ(prompts.shown().back().title, "Invalid Date");
}

TEST_F(MovementsTest, CheckSelectsExactlyTheAnimalsMovedBeforeBirth) {
    frmMain& form = Open();
    Db().Execute("UPDATE Animals SET DateOfBirth='2024-05-01 00:00:00' WHERE AnimalID IN (5, 6);"
                 "INSERT INTO LocationLink (LocationID, AnimalID, EventDate) VALUES (3, 1, '2023-02-28 23:59:59'), "
                 "(3, 2, '2023-03-02 00:00:00'), (3, 6, '2024-04-30 00:00:00'), (3, 4, '2000-01-01 00:00:00')");
    form.tmrSetGridRecords_Timer();
    Select({"ABC"});
    form.cmdCheckMovements->click();
    EXPECT_EQ(form.SelectedAnimalIDs(), (std::vector<long>{1, 6}));
    EXPECT_TRUE(form.isEnabled());
}
