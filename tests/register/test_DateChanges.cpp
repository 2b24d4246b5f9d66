// Dates of birth and tagging dates without the main window.
#include "fixtures/RegisterData.h"
#include "platform/RuntimeError.h"
#include "register/DateChanges.h"

TEST_F(RegisterDataTest, DatesOfBirthTakeTheBirthMovementAlong) {
    Db().Execute(
        "INSERT INTO LocationLink (LocationID, AnimalID, EventDate) VALUES (3, 1, '2023-03-01 00:00:00'), "
        "(4, 1, '2023-03-01 08:00:00')");
    // As the grid loaded them: 1 born 2023-03-01, 3 unknown, 6 a tag alone.
    const GridAnimals animals{{1, 1, Value("2023-03-01 00:00:00")}, {3, 1, {}}, {6, 0, {}}};
    const DateTime april{2023, 4, 1, 0, 0, 0};
    int steps = 0;
    DateChanges::SetDates(Db(), true, april, animals, [&] { ++steps; });
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(Rows("SELECT ifnull(DateOfBirth,'-') FROM Animals WHERE AnimalID IN (1,3,6) ORDER BY AnimalID"),
              "2023-04-01 00:00:00,2023-04-01 00:00:00,-");
    EXPECT_EQ(Rows("SELECT EventDate FROM LocationLink WHERE AnimalID=1 AND LocationID IN (3,4) AND "
                   "EventDate LIKE '2023%' ORDER BY LocationID"),
              "2023-04-01 00:00:00,2023-03-01 08:00:00")
        << "only the movement at the very moment of birth moves";
    EXPECT_EQ(DateChanges::MovedBeforeBirth(Db(), {{3, 1, {}}, {1, 1, Value("2023-04-01 00:00:00")}}),
              std::vector<std::size_t>{1});

    EXPECT_THROW(DateChanges::SetDates(Db(), false, april, animals,
                                       [] { throw RuntimeError(ErrorNumber::DatabaseFailure, "ended"); }),
                 RuntimeError);
    EXPECT_EQ(Scalar("SELECT ifnull(TaggingDate,'-') FROM Animals WHERE AnimalID=1"), "-") << "all or nothing";
}
