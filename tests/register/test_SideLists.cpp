// The side lists' rules without the main window: animals put in and out of entries, all or
// nothing, and the entries' names, removal and the location dialog's saving.
#include "fixtures/RegisterData.h"
#include "platform/RuntimeError.h"
#include "register/SideLists.h"

namespace {

using SideLists::List;

class SideListsTest : public RegisterDataTest {
protected:
    // Animals 1 (owned, in Flock A), 2 (owned) and 6 (a tag alone, in Flock A).
    const GridAnimals animals{{1, 1, {}}, {2, 1, {}}, {6, 0, {}}};
    int steps = 0;
    ActionStep count = [this] { ++steps; };
};

}  // namespace

TEST_F(SideListsTest, AssignAndDeassignEveryAnimalOnceAndAllOrNothing) {
    SideLists::Assign(Db(), List::Groups, kFlockA, animals, count);
    EXPECT_EQ(Rows("SELECT AnimalID FROM GroupLink WHERE GroupID=3 ORDER BY AnimalID"), "1,2,6");
    SideLists::Assign(Db(), List::Genders, kRam, animals, count);
    EXPECT_EQ(Rows("SELECT ifnull(GenderID,'-') FROM Animals WHERE AnimalID IN (1,2,6) ORDER BY AnimalID"), "2,2,-")
        << "a tag alone gets no gender";
    EXPECT_EQ(steps, 6) << "every animal counts, passed over or not";

    SideLists::Deassign(Db(), List::Breeds, kTexel, animals, count);
    EXPECT_EQ(Rows("SELECT ifnull(BreedID,'-') FROM Animals WHERE AnimalID IN (1,2,6) ORDER BY AnimalID"), "-,-,-");
    SideLists::Deassign(Db(), List::Groups, kFlockA, {{6, 0, {}}}, count);
    EXPECT_EQ(Rows("SELECT AnimalID FROM GroupLink WHERE GroupID=3"), "1,2");

    int failAt = 2;
    EXPECT_THROW(SideLists::Deassign(Db(), List::Groups, kFlockA, animals,
                                     [&] {
                                         if (--failAt == 0) throw RuntimeError(ErrorNumber::DatabaseFailure, "ended");
                                     }),
                 RuntimeError);
    EXPECT_EQ(Rows("SELECT AnimalID FROM GroupLink WHERE GroupID=3"), "1,2") << "an action that ends writes nothing";
}

TEST_F(SideListsTest, EntriesOfTheirListAndSpecies) {
    SideLists::Create(Db(), List::Breeds, "Angus", 2);
    const long sheepAngus = static_cast<long>(Db().LastInsertId());
    EXPECT_EQ(SideLists::OthersNamed(Db(), List::Breeds, "ANGUS", -1, 2), 1) << "names compare without case";
    EXPECT_EQ(SideLists::OthersNamed(Db(), List::Breeds, "Angus", sheepAngus, 2), 0);
    EXPECT_EQ(SideLists::Rename(Db(), List::Groups, kFlockA, "Flock B", 2).rows, 1);
    EXPECT_EQ(SideLists::Rename(Db(), List::Groups, 99, "Gone", 2).rows, 0);
    EXPECT_TRUE(SideLists::IsPermanent(Db(), List::Groups, kZeta));
    EXPECT_FALSE(SideLists::IsPermanent(Db(), List::Groups, 99));
    EXPECT_TRUE(SideLists::IsRemovalLocation(Db(), 1));

    EXPECT_EQ(SideLists::AnimalsIn(Db(), List::Breeds, kSuffolk, 2), 2);
    SideLists::Remove(Db(), List::Breeds, kSuffolk, 2);
    EXPECT_EQ(Scalar("SELECT Count(*) FROM Animals WHERE BreedID=2"), "0");
    SideLists::Remove(Db(), List::Groups, kFlockA, 2);
    EXPECT_EQ(Scalar("SELECT Count(*) FROM GroupLink WHERE GroupID=3"), "0");
    SideLists::Remove(Db(), List::Locations, kTopField, 2);
    EXPECT_EQ(Scalar("SELECT Active || '/' || Count(*) FROM Locations WHERE LocationID=4"), "0/1")
        << "a location stays for its movements";
}

TEST_F(SideListsTest, LocationsSavedOrBroughtBack) {
    EXPECT_FALSE(SideLists::ReactivateIdentical(Db(), 0, "Top field", "North", 0)) << "another type";
    EXPECT_TRUE(SideLists::ReactivateIdentical(Db(), 0, "Old Pen", "", 0));
    EXPECT_EQ(Scalar("SELECT Active FROM Locations WHERE LocationID=7"), "1");
    EXPECT_FALSE(SideLists::ReactivateIdentical(Db(), kTopField, "TOP FIELD", "North", 1)) << "a change of case";
    EXPECT_EQ(SideLists::ActiveLocationsNamed(Db(), "top field", 0), 1);
    EXPECT_EQ(SideLists::ActiveLocationsNamed(Db(), "top field", kTopField), 0);
    SideLists::SaveLocation(Db(), kTopField, "O'Hara's", "", -1);
    SideLists::SaveLocation(Db(), 0, "New", "x", 1);
    EXPECT_EQ(Rows("SELECT LocationName || '/' || LocationType FROM Locations WHERE LocationID>=4 AND Active "
                   "AND LocationName IN ('O''Hara''s','New')"),
              "O'Hara's/-1,New/1");
    EXPECT_EQ(SideLists::ReadLocation(Db(), kTopField)->name, "O'Hara's");
    EXPECT_FALSE(SideLists::ReadLocation(Db(), 99));
}
