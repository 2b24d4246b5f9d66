// The animals a typed text names, found without the main window.
#include <algorithm>

#include "core/modEID.h"
#include "fixtures/RegisterFixture.h"
#include "register/TagSearch.h"

using TagSearchTest = RegisterTest;

TEST_F(TagSearchTest, NumberPartThenWholeTagThenEIDOfTheWorkingSpeciesOnly) {
    modCommon::Species = modCommon::Sheep;
    Db().Execute(
        "INSERT INTO Animals (AnimalID, AnimalType, TagNumber, Species) VALUES (20, 1, 'UK0123456 0%001', 2),"
        " (21, 1, 'GB9 00001', 2), (22, 1, 'UK999 00001', 1)");
    auto found = [](const std::string& text) {
        std::vector<long> animals = TagSearch::Find(Db(), text).animals;
        std::sort(animals.begin(), animals.end());
        return animals;
    };
    EXPECT_EQ(found("00001"), (std::vector<long>{1, 21})) << "the number part, never a cattle tag";
    EXPECT_EQ(found("0%001"), (std::vector<long>{20})) << "taken literally";
    EXPECT_EQ(found("ABC"), (std::vector<long>{7})) << "a whole tag";
    EXPECT_TRUE(found("0001").empty());

    Db().Execute("INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (4, '8000F9C5B4A3D201')");
    const TagSearch::Found byHex = TagSearch::Find(Db(), "8000F9C5B4A3D201");
    EXPECT_EQ(byHex.animals, (std::vector<long>{4}));
    EXPECT_TRUE(byHex.byEID);
    // The printed decimal number matches whatever flags the stored EID carries.
    const std::string flagged = modEID::DecimalEIDToHexEID("0826012345600009", 5);
    Db().Execute("INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (2, '" + flagged + "')");
    EXPECT_EQ(found("0826012345600009"), (std::vector<long>{2}));
    EXPECT_FALSE(TagSearch::Find(Db(), "0826").byEID);
}
