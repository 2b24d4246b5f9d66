// The animal import file: what a file puts into the register, the files refused, a failure
// part-way, and the help on the layout.
#include <QAction>
#include <QPlainTextEdit>

#include <fstream>

#include "core/modEID.h"
#include "fixtures/RegisterFixture.h"
#include "widgets/TextWindow.h"

namespace {

class ImportTest : public RegisterTest {
protected:
    const QLocale before;
    void TearDown() override {
        QLocale::setDefault(before);
        for (TextWindow* window : TextWindow::OpenWindows()) delete window;
        RegisterTest::TearDown();
    }
    // The sheep of a tag as the register holds them: type, date of birth, gender and breed, the
    // tags of dam and sire, moves (place@date) and groups.
    std::string Sheep(const std::string& tag) {
        auto parent = [](const char* link) {
            return std::string("ifnull((SELECT TagNumber FROM Animals p WHERE p.AnimalID=a.") + link + "),'-')";
        };
        return Rows(
            "SELECT AnimalType || '|' || ifnull(substr(DateOfBirth, 1, 10), '-') || '|' || ifnull(GenderID, '-') "
            "|| ifnull(BreedID, '-') || '|' || " +
                parent("DamID") + " || '|' || " + parent("SireID") +
                " || '|' || ifnull((SELECT group_concat(LocationID || '@' || substr(EventDate, 1, 10) || ifnull(Details, '')) "
                "FROM LocationLink l WHERE l.AnimalID=a.AnimalID), '-') || '|' || ifnull((SELECT "
                "group_concat(GroupID) FROM GroupLink g WHERE g.AnimalID=a.AnimalID), '-') AS x FROM Animals a "
                "WHERE Species=2 AND TagNumber='" +
                tag + "'",
            " / ");
    }
    // Every row an import may write, to see that a refused or failed one wrote nothing.
    std::string Register() {
        return Rows(
            "SELECT AnimalID || TagNumber || ifnull(GenderID, '') AS x FROM Animals UNION ALL SELECT GroupID || ':' || "
            "AnimalID FROM GroupLink UNION ALL SELECT EIDNumber FROM EIDs UNION ALL SELECT LocationLinkID FROM LocationLink",
            " / ");
    }
};

}  // namespace

TEST_F(ImportTest, AnimalsDamsAndSiresLandInTheirGroupsPlacesAndLinks) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    frmMain& form = Open();
    Db().Execute("UPDATE Animals SET SireID=2, DamID=4 WHERE AnimalID=1");
    const std::string file = home.root() + "/herd.txt";
    std::ofstream(file, std::ios::binary)
        << "UK0123456 00020,01/04/2024,Ewe,Texel,826 000123456789,UK0123456 00001,,,,,UK0123456 00030,01/01/2020,Ram,"
           "M\xe9rinos\n"  // a file in Windows-1252, as older spreadsheets save it
           "UK0123456 00001,31/02/2023,,,8000000000000abc, \n"
           "UK0123456 00020,,,,12345\n"
           "UK0123456,,,,,UK0123456 00040\n"
           "\n"
           "UK0123456,,,,,,,,,,,,,,,extra\n"
           "uk0123456 00005,,Ram\n"
           "UK123456 100001\n";
    prompts.ChooseFile(file).Answer(Prompts::Yes).Answer(Prompts::No).Answer(Prompts::OK);
    form.mnuImportAnimalFromFile->trigger();

    const auto& shown = prompts.shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0].title, "Select an Import Animals File containing sheep details:");
    EXPECT_NE(shown[0].text.find("*.csv"), std::string::npos) << "spreadsheets save animal lists as CSV";
    EXPECT_EQ(shown[1].title, "Dam animal type for currently unrecorded dams");
    EXPECT_EQ(shown[2].text.substr(0, 80),
              "When sires are defined for progeny, if the sires are not already recorded then\r\n");
    EXPECT_EQ(shown[3].text,
              "The file has been imported. Please check these lines:\r\n"
              "Line 6: the fields after the fifteenth were left out.\r\n"
              "Line 2: the date \"31/02/2023\" is not a date and was left out.\r\n"
              "Line 3: the EID \"12345\" is neither a decimal nor a hexadecimal EID and was left out.\r\n"
              "Line 3: the tag UK0123456 00020 is also on line 1, so this line updated that animal.");

    const std::string imported = "3@2024-06-15Imported from file";
    EXPECT_EQ(Sheep("UK0123456 00020"),
              "1|2024-04-01|11|UK0123456 00001|UK0123456 00030|3@2024-04-01Imported from file|2,1");
    EXPECT_EQ(Sheep("UK0123456 00030"), "1|2020-01-01|24|-|-|3@2020-01-01Imported from file|-");
    EXPECT_EQ(Sheep("UK0123456 00040"), "2|-|--|-|-|-|-");
    EXPECT_EQ(Sheep("UK0123456"), "1|-|--|UK0123456 00040|-|" + imported + "|2,1 / 1|-|--|-|-|" + imported + "|2,1");
    EXPECT_EQ(Sheep("UK123456 100001"), "1|-|--|-|-|" + imported + "|2,1");
    // Existing animals keep their type, places and the parents no line names; the tag-only one
    // takes the gender given, and the cow of the same tag is left as it was.
    EXPECT_EQ(Sheep("UK0123456 00001"), "1|2023-03-01|11|UK0123456 00010|UK0123456 00002|3@2024-01-01|3,1");
    EXPECT_EQ(Sheep("UK0123456 00005"), "0|-|2-|-|-|-|3,1");
    EXPECT_EQ(Scalar("SELECT Species || AnimalType FROM Animals WHERE AnimalID=8"), "11");
    EXPECT_EQ(Rows("SELECT EIDNumber AS x FROM EIDs WHERE AnimalID IN (1, " + std::to_string(IDOf("UK0123456 00020")) +
                       ") ORDER BY EIDID",
                   " / "),
              "0123456789ABCDEF / " + modEID::DecimalEIDToHexEID("826000123456789") + " / 8000000000000ABC");
    EXPECT_FALSE(form.lstBreeds->findItems(QString::fromUtf8("M\u00e9rinos"), Qt::MatchExactly).isEmpty());
    EXPECT_TRUE(form.fraProgress->isHidden());
    EXPECT_TRUE(form.isEnabled());
}

TEST_F(ImportTest, SemicolonsBareLineEndsRefusedFilesStopsPartWayAndTheHelp) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    frmMain& form = Open();
    prompts.Answer(Prompts::No);
    // A stray tab after a tag makes no file of tabs.
    form.ImportAnimals("UK0123456 00050;01.04.24\rUK0123456 00051;;;Suffolk;;UK0123456 00052\rUK0123456 00053\t\r");
    EXPECT_EQ(Sheep("UK0123456 00050"), "1|2024-04-01|--|-|-|3@2024-04-01Imported from file|2,1");
    EXPECT_EQ(Sheep("UK0123456 00053"), "1|-|--|-|-|3@2024-06-15Imported from file|2,1");
    EXPECT_EQ(Sheep("UK0123456 00051"), "1|-|-2|UK0123456 00052|-|3@2024-06-15Imported from file|2,1");

    const std::string before = Register();
    const std::pair<std::string, std::string> refused[] = {
        {"", "The file holds no animal data, so nothing has been imported."},
        {"UK1\nUK2;\x01\x02\x7f\x00",
         "The file cannot be read as animal data, so nothing has been imported:\r\nLine 2 holds characters that are not text."},
        {"UK1;;;;;" + std::string(300, '7'),
         "The file cannot be read as animal data, so nothing has been imported:\r\n"
         "Line 1: the tag \"77777777777777777777...\" is longer than 50 characters."},
        {"UK0123456 00060,01.04.24,Ewe\r\n\r\nUK0123456 00061,,,Texel; Mule",
         "The file cannot be read as animal data, so nothing has been imported:\r\nIts fields are separated by "
         "commas (,), but on this computer the fields of an animal file are separated by semicolons (;)."},
        {"UK0123456 00062;01.04.24\nUK0123456 00063\t01.04.24\tEwe\nUK0123456 00064\t\tTexel",
         "The file cannot be read as animal data, so nothing has been imported:\r\nLine 2 (and 1 more): the fields "
         "are separated by tabs, but on this computer the fields of an animal file are separated by semicolons (;)."}};
    for (const auto& [text, message] : refused) {
        prompts.Answer(Prompts::OK);
        form.ImportAnimals(text);
        EXPECT_EQ(prompts.LastText(), message);
    }
    // A statement refused on line 3 takes back lines 1 and 2 and the emptied groups.
    Db().Execute(
        "CREATE TRIGGER refuse BEFORE INSERT ON Animals WHEN NEW.TagNumber='UK0123456 00099' "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    prompts.Answer(Prompts::OK);
    form.ImportAnimals("UK0123456 00097\r\nUK0123456 00098\r\nUK0123456 00099\r\n");
    EXPECT_NE(prompts.LastText().find("Line 3 of the file could not be imported (refused). Nothing has been imported"),
              std::string::npos)
        << prompts.LastText();
    EXPECT_EQ(Register(), before);
    EXPECT_TRUE(form.isEnabled());

    // The help names the separator and, for a flock, tells of batches.
    form.mnuImportAnimalHelp->trigger();
    ASSERT_EQ(TextWindow::OpenWindows().size(), 1u);
    const std::string help = TextWindow::OpenWindows()[0]->Text();
    EXPECT_TRUE(help.starts_with("The instructions given below will help you to create a semicolon separated file"));
    EXPECT_NE(help.find("\r\n\tUK123456 989898;01/03/08;Wether;Texel;;UK123456 989897;01/03/05;Ewe;Texel\r\n"),
              std::string::npos);
    EXPECT_NE(help.find("You can add \"batch\" sheep"), std::string::npos);
    EXPECT_NE(help.find("enter semicolons where an earlier"), std::string::npos);
    EXPECT_NE(help.find("you can use a text window like this one"), std::string::npos);
    EXPECT_EQ(help.find("Windows"), std::string::npos);
    EXPECT_TRUE(help.ends_with("\r\nwhose details you are importing."));
}
