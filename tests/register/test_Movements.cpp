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

// Every script run for many animals at once leaves the rows, keys included, that running it for one
// animal after another leaves: on moves of one date told apart by their keys, animals already where
// they go (before, on and after the date), dead ones, moves to a location without a row, moves,
// tag changes and treatments after the date (a treatment shared, one left without animals), a
// parent removed with its young, an animal with no moves, and animals in an order other than their
// keys'.
TEST_F(RegisterDataTest, MovementsOfManyAnimalsAtOnceLeaveTheRowsOfOneAfterAnother) {
    Db().Execute(R"SQL(
INSERT INTO Animals (AnimalID, AnimalType, TagNumber, TagSort, DeathReason, DamID, SireID, Species) VALUES
  (10, 1, 'UK0123456 00020', 20, NULL, 0, 0, 2), (11, 1, 'UK0123456 00021', 21, NULL, 0, 0, 2),
  (12, 1, 'UK0123456 00022', 22, 'Bloat', 0, 0, 2), (13, 1, 'UK0123456 00023', 23, NULL, 12, 1, 2),
  (14, 1, 'UK0123456 00024', 24, NULL, 0, 0, 2), (15, 1, 'UK0123456 00025', 25, NULL, 0, 12, 2);
INSERT INTO LocationLink (LocationLinkID, LocationID, AnimalID, EventDate, Details) VALUES
  (20, 4, 10, '2024-06-01 00:00:00', 'a'), (21, 3, 10, '2024-06-01 00:00:00', 'b'), (22, 4, 10, '2024-06-01 00:00:00', 'c'),
  (23, 4, 11, '2024-04-01 00:00:00', ''), (24, 4, 11, '2024-07-01 00:00:00', ''), (25, 3, 11, '2024-06-01 00:00:00', ''),
  (26, 3, 12, '2024-01-01 00:00:00', ''), (27, 2, 12, '2024-02-01 00:00:00', ''), (28, 4, 12, '2024-08-01 00:00:00', ''),
  (29, 3, 13, '2024-01-01 00:00:00', ''), (30, 5, 13, '2024-02-01 00:00:00', ''), (31, 3, 13, '2024-03-01 00:00:00', ''),
  (32, 5, 13, '2024-03-01 00:00:00', ''), (33, 6, 15, '2024-01-01 00:00:00', ''), (34, 99, 15, '2024-05-01 00:00:00', '');
INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (12, 'OLD', '2024-07-01 00:00:00'), (12, 'OLDER', '2024-01-01 00:00:00'),
  (13, 'X', '2024-09-01 00:00:00');
INSERT INTO Treatments (TreatmentID, EventDate, MedicineName) VALUES (1, '2024-07-01 00:00:00', 'Shared'),
  (2, '2024-07-01 00:00:00', 'Own'), (3, '2024-01-01 00:00:00', 'Before'), (4, '2024-01-01 00:00:00', 'Orphan');
INSERT INTO TreatmentLink (TreatmentID, AnimalID) VALUES (1, 12), (1, 13), (2, 12), (3, 12), (1, 2);
INSERT INTO Notes (AnimalID, Note) VALUES (12, 'n');
INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (13, '0123456789ABCDE0');
INSERT INTO GroupLink (GroupID, AnimalID) VALUES (3, 12), (3, 13);
)SQL");
    const std::vector<long long> animals{13, 7, 3, 1, 12, 2, 11, 5, 10, 14, 15};
    const DateTime june{2024, 6, 1, 0, 0, 0};
    const auto everything = [] {
        std::string rows;
        for (const char* table : {"Animals", "EIDs", "GroupLink", "LocationLink", "Notes", "TagChanges", "Treatments",
                                  "TreatmentLink", "sqlite_sequence"})
            rows +=
                std::string(table) + ":\n" +
                Db().Query(std::string("SELECT * FROM ") + table + " ORDER BY rowid").GetString("|", "\n", "<null>");
        return rows;
    };
    const std::string before = everything();
    const std::pair<bool, long> moves[] = {{true, kTopField}, {true, kHolding}, {true, kMarket},    {true, 6},
                                           {true, 2},         {true, 1},        {false, kTopField}, {false, kMarket},
                                           {false, kHolding}, {false, 2}};
    for (const auto& [assign, location] : moves) {
        SCOPED_TRACE(Movements::MovementType(Movements::LocationType(Db(), location), assign));
        Movements::Script script(Db(), assign, location);
        std::string oneByOne, atOnce;
        {
            Connection::Transaction undone(Db());
            for (long long animal : animals) script.Run(static_cast<long>(animal), june, "It's", "O'Neill's");
            oneByOne = everything();
        }
        {
            Connection::Transaction undone(Db());
            ASSERT_TRUE(script.RunForMany(animals, june, "It's", "O'Neill's"));
            atOnce = everything();
        }
        EXPECT_NE(oneByOne, before);
        EXPECT_EQ(atOnce, oneByOne);
    }
    EXPECT_EQ(everything(), before);
    EXPECT_FALSE(Movements::Script(Db(), true, kTopField).RunForMany({1, 2, 1}, june, "", ""))
        << "an animal twice goes one at a time";
    Db().Execute("UPDATE SQLTable SET SQLStatement=SQLStatement || ' ' WHERE RecordID=25");
    EXPECT_FALSE(Movements::Script(Db(), true, kTopField).RunForMany(animals, june, "", ""))
        << "a script the program did not ship goes one animal at a time";
    EXPECT_EQ(everything(), before);
}
