// Movements without the main window: the script of the location's type for each animal that
// goes, in one transaction.
#include "fixtures/RegisterData.h"
#include "platform/RuntimeError.h"
#include "register/Movements.h"

TEST_F(RegisterDataTest, MovementsRunTheScriptOfTheLocationTypeForTheAnimalsThatGo) {
    EXPECT_EQ(Movements::MovementType(Movements::LocationType(Db(), kMarket), false), "UnOut");
    EXPECT_THROW(Movements::LocationType(Db(), 99), RuntimeError) << "no script for a location without a row";

    // Animal 6 is a tag alone, 2 owned (to Market tomorrow).
    const GridAnimals animals{{6, 0, {}}, {2, 1, {}}};
    const DateTime june{2024, 6, 10, 0, 0, 0};
    Movements::Script in(Db(), true, kTopField);
    int steps = 0;
    const auto move = [&](const GridAnimal& animal) {
        if (Movements::Moves(1, animal)) in.Run(static_cast<long>(animal.id), june, "O'Neill's", "");
    };
    Movements::MoveEach(Db(), animals, kTopField, move, [&] { ++steps; });
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(Rows("SELECT AnimalID || '@' || Details FROM LocationLink WHERE LocationID=4 AND AnimalID IN (2,6)"),
              "2@O'Neill's");

    EXPECT_THROW(Movements::MoveEach(Db(), {{2, 1, {}}, {1, 1, {}}}, 0, move,
                                     [&] {
                                         if (++steps == 4) throw RuntimeError(ErrorNumber::DatabaseFailure, "ended");
                                     }),
                 RuntimeError);
    EXPECT_EQ(Scalar("SELECT Count(*) FROM LocationLink WHERE LocationID=4 AND AnimalID=1"), "0")
        << "an action that ends leaves every animal as it was";

    Movements::Script(Db(), false, kTopField).Run(2, june, "", "");
    EXPECT_EQ(Scalar("SELECT Count(*) FROM LocationLink WHERE LocationID=4 AND AnimalID=2"), "0");
    EXPECT_TRUE(Movements::Moves(Movements::kRemoval, {6, 0, {}}));
}
