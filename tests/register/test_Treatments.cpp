// Treatments recorded and removed without the main window.
#include "fixtures/RegisterFixture.h"
#include "register/Treatments.h"

namespace {

using TreatmentsTest = RegisterTest;

Treatments::Treatment Wormer(const std::string& unit = "ml") {
    return {{2024, 6, 1, 0, 0, 0}, "Wormer", 2.5, unit, "Vet", "Worms"};
}

}  // namespace

TEST_F(TreatmentsTest, RecordsAllOrNothingAndRemovesOnlyTreatmentsLeftWithoutAnimals) {
    EXPECT_THROW(Treatments::Record(Db(), Wormer(std::string(51, 'u')), {1, 2}), RuntimeError);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Treatments") + Scalar("SELECT COUNT(*) FROM TreatmentLink"), "00");
    // A link that cannot be written takes the treatment with it.
    Db().Execute(
        "CREATE TRIGGER NoThree BEFORE INSERT ON TreatmentLink WHEN NEW.AnimalID=3 BEGIN SELECT RAISE(ABORT, 'no'); END");
    EXPECT_THROW(Treatments::Record(Db(), Wormer(), {1, 3}), RuntimeError);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM Treatments"), "0");

    const long long both = Treatments::Record(Db(), Wormer(), {1, 2}).treatment,
                    one = Treatments::Record(Db(), Wormer(), {4}).treatment;
    EXPECT_EQ(Rows("SELECT AnimalID FROM TreatmentLink WHERE TreatmentID=" + std::to_string(both)), "1,2");
    EXPECT_EQ(Treatments::RecordedValues(Db()).units, (std::vector<std::string>{"ml", "ml"}));
    const std::string linkOf1 = Scalar("SELECT TreatmentLinkID FROM TreatmentLink WHERE AnimalID=1"),
                      linkOf4 = Scalar("SELECT TreatmentLinkID FROM TreatmentLink WHERE AnimalID=4");
    Treatments::DeleteLinks(Db(), {std::stol(linkOf1), 0, std::stol(linkOf4)});
    EXPECT_EQ(Rows("SELECT TreatmentID || ':' || AnimalID FROM TreatmentLink"), std::to_string(both) + ":2");
    EXPECT_EQ(Rows("SELECT TreatmentID FROM Treatments"), std::to_string(both)) << one << " has no animal left";
}
