// Animal import files imported without the main window.
#include "fixtures/RegisterFixture.h"
#include "register/AnimalImport.h"

using AnimalImportTest = RegisterTest;

TEST_F(AnimalImportTest, ResultNotesTheLinesAndAFailedLineNamesItselfAndKeepsNothing) {
    modCommon::Species = modCommon::Sheep;
    Db().Execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1, 2), (2, 2)");
    const auto read = [](const std::string& text) { return AnimalImportFile::Read(text, ","); };
    const std::string groups = Rows("SELECT GroupID || ':' || AnimalID FROM GroupLink ORDER BY GroupID, AnimalID");
    Db().Execute("CREATE TRIGGER NoEIDs BEFORE INSERT ON EIDs BEGIN SELECT RAISE(ABORT, 'no'); END");
    try {
        AnimalImport::ImportFile(Db(), read("UK0123456 00500\nUK0123456 00501,,,,8000F9C5B4A3D201\n"), 1, 1,
                                 [](int) {});
        ADD_FAILURE() << "the second line's EID cannot be written";
    } catch (const RuntimeError& failure) {
        EXPECT_EQ(failure.description.rfind("Line 2 of the file could not be imported (", 0), 0u)
            << failure.description;
    }
    EXPECT_EQ(Rows("SELECT GroupID || ':' || AnimalID FROM GroupLink ORDER BY GroupID, AnimalID"), groups);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Animals"), "9");

    std::vector<int> progress;
    const AnimalImport::Result result =
        AnimalImport::ImportFile(Db(), read("UK0123456 00500,31/02/2024,Wether\nUK0123456 00500\n"), 1, 1,
                                 [&](int percent) { progress.push_back(percent); });
    EXPECT_EQ(progress, (std::vector<int>{50, 100}));
    EXPECT_TRUE(result.gendersAdded && !result.breedsAdded);
    ASSERT_EQ(result.notes.size(), 2u);
    EXPECT_EQ(result.notes[1], "Line 2: the tag UK0123456 00500 is also on line 1, so this line updated that animal.");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM GroupLink WHERE AnimalID=2"), "0") << "the groups hold this import's alone";
}

// A file imported again after a tag change: the old tag, of an animal of the working species,
// makes no second animal; the closing message names the animal by its tag now.
TEST_F(AnimalImportTest, ATagAnAnimalWoreBeforeMakesNoNewAnimalAndIsListed) {
    modCommon::Species = modCommon::Sheep;
    Db().Execute(
        "UPDATE Animals SET TagNumber='UK0123456 00020' WHERE AnimalID=1; INSERT INTO TagChanges (AnimalID, OldTag) "
        "VALUES (1, 'UK0123456 00001'), (8, 'UK0123456 00030')");
    const AnimalImport::Result result = AnimalImport::ImportFile(
        Db(), AnimalImportFile::Read("uk0123456 00001\nUK0123456 00030\nUK0123456 00500,,,,,UK0123456 00001\n", ","), 1,
        1, [](int) {});
    const std::string worn =
        ": the tag UK0123456 00001 was worn before by the animal now tagged UK0123456 00020, so "
        "no new animal was made for it.";
    EXPECT_EQ(result.notes, (std::vector<std::string>{"Line 1" + worn, "Line 3" + worn}));
    EXPECT_EQ(Rows("SELECT TagNumber || '/' || DamID FROM Animals NATURAL JOIN GroupLink WHERE GroupID=2"),
              "UK0123456 00030/0,UK0123456 00500/0")
        << "a cattle tag's history is not the sheep's";
}
