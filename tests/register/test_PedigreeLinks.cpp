// Parent links set one at a time without the main window.
#include "fixtures/RegisterFixture.h"
#include "register/PedigreeLinks.h"

using PedigreeLinksTest = RegisterTest;

TEST_F(PedigreeLinksTest, AParentIsFoundMadeOwnedOrAddedAsAReferenceAndCleared) {
    modCommon::Species = modCommon::Sheep;
    const auto links = [] {
        return Scalar("SELECT ifnull(DamID,'-') || '/' || ifnull(SireID,'-') FROM Animals WHERE AnimalID=1");
    };
    EXPECT_EQ(PedigreeLinks::AddParent(Db(), 1, "uk0123456 00005", false).parent, 6) << "found without case";
    EXPECT_EQ(Scalar("SELECT AnimalType FROM Animals WHERE AnimalID=6"), "1") << "a tag alone becomes an animal";

    const long sire = PedigreeLinks::AddParent(Db(), 1, "UK0123456 00777", true).parent;
    EXPECT_EQ(links(), "6/" + std::to_string(sire));
    EXPECT_EQ(Scalar("SELECT AnimalType || Species FROM Animals WHERE AnimalID=" + std::to_string(sire)), "22");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM GroupLink WHERE AnimalID=" + std::to_string(sire)) +
                  Scalar("SELECT COUNT(*) FROM LocationLink WHERE AnimalID=" + std::to_string(sire)),
              "00");

    EXPECT_EQ(PedigreeLinks::AddParent(Db(), 1, "   ", true).parent, 0) << "blanks name no parent";
    EXPECT_EQ(links(), "6/" + std::to_string(sire));
    PedigreeLinks::ClearParent(Db(), 1, true);
    EXPECT_EQ(links(), "6/0");
}
