#include <gtest/gtest.h>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modSchema.h"
#include "fixtures/TempHome.h"

namespace {

const DateTime d1{2024, 3, 1, 0, 0, 0}, d2{2024, 4, 1, 0, 0, 0}, d3{2024, 5, 1, 0, 0, 0};
constexpr long kHolding = 3, kDead = 2, kField = 4, kMarket = 5;

class MovementScripts : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(modCommon::VersionCheck());
        Exec("INSERT INTO Locations (LocationID, LocationName, LocationType) VALUES (4, 'Field', 0)");
        Exec("INSERT INTO Locations (LocationID, LocationName, LocationType) VALUES (5, 'Market', -3)");
        Exec("INSERT INTO Animals (AnimalID, TagNumber) VALUES (1, 'UK 1')");
        Exec("INSERT INTO Animals (AnimalID, TagNumber, DamID, SireID) VALUES (2, 'UK 2', 1, 1)");
    }
    static void Exec(const std::string& sql) { modCommon::Database().Execute(sql); }
    static std::string Text(const std::string& sql) {
        Recordset rs = modCommon::Database().OpenRecordset(sql);
        return rs.Eof() ? "<none>" : rs.Field(0).ToStringOr("<null>");
    }
    // Runs a movement type's script for animal 1, as the register does.
    static void Move(const std::string& type, long location, const DateTime& date, const std::string& reason = "",
                     const std::string& details = "") {
        Recordset rs = modCommon::Database().OpenRecordset("SELECT * FROM SQLTable WHERE MovementType='" + type +
                                                           "' ORDER BY RecordID");
        ASSERT_FALSE(rs.Eof()) << type;
        for (; !rs.Eof(); rs.MoveNext())
            modCommon::Database().GetConnection().Execute(
                modSchema::MovementStatementWithParameters(rs["SQLStatement"].ToString()),
                modSchema::MovementParameters(1, date, reason, details, location));
    }
    // The animal's moves, oldest first, as "location@month".
    static std::string Moves() {
        return Text(
            "SELECT group_concat(LocationID || '@' || substr(EventDate, 6, 2), ' ') FROM "
            "(SELECT * FROM LocationLink WHERE AnimalID=1 ORDER BY EventDate, LocationLinkID)");
    }
    TempHome home;
};

}  // namespace

TEST_F(MovementScripts, PlaceholdersBecomeParametersInOnePass) {
    EXPECT_EQ(modSchema::MovementStatementWithParameters("(@LocationID,'@Details','by @DeathReason''s @Date')"),
              "(?5,'' || ?4 || '','by ' || ?3 || '''s ' || ?2 || '')");
}

TEST_F(MovementScripts, InReplacesAMoveToTheSameLocationAndKeepsDetailsExact) {
    Move("In", kHolding, d1);
    Move("In", kField, d2, "", "Bought at O'Neill's @Date sale");
    EXPECT_EQ(Moves(), "3@03 4@04");
    Move("In", kField, d3, "", "second");
    EXPECT_EQ(Moves(), "3@03 4@05");
    EXPECT_EQ(Text("SELECT Details FROM LocationLink WHERE LocationID=4"), "second");
    Move("In", kHolding, d2, "", "It's @LocationID");
    EXPECT_EQ(Text("SELECT Details FROM LocationLink WHERE LocationID=3 AND EventDate LIKE '2024-04%'"),
              "It's @LocationID");
}

TEST_F(MovementScripts, OutDropsLaterRecordsAndOrphanTreatments) {
    Move("In", kHolding, d1);
    Exec("INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (1, 'OLD', '2024-05-01 00:00:00')");
    Exec("INSERT INTO Treatments (TreatmentID, EventDate, MedicineName) VALUES (9, '2024-05-01 00:00:00', 'Drench')");
    Exec("INSERT INTO TreatmentLink (TreatmentID, AnimalID) VALUES (9, 1)");
    Exec("INSERT INTO LocationLink (LocationID, AnimalID, EventDate) VALUES (4, 1, '2024-05-01 00:00:00')");
    Move("Out", kMarket, d2, "", "Sold");
    EXPECT_EQ(Moves(), "3@03 5@04");
    EXPECT_EQ(Text("SELECT count(*) FROM TagChanges"), "0");
    EXPECT_EQ(Text("SELECT count(*) FROM TreatmentLink"), "0");
    EXPECT_EQ(Text("SELECT count(*) FROM Treatments"), "0");
    // A second move off straight after replaces the first.
    Move("Out", kMarket, d3);
    EXPECT_EQ(Moves(), "3@03 5@05");
}

TEST_F(MovementScripts, DeadAndUnDead) {
    Move("In", kHolding, d1);
    Move("Dead", kDead, d2, "Bloat 'sudden' @Details", "@AnimalID");
    EXPECT_EQ(Text("SELECT DeathReason FROM Animals WHERE AnimalID=1"), "Bloat 'sudden' @Details");
    EXPECT_EQ(Text("SELECT Details FROM LocationLink WHERE LocationID=2"), "@AnimalID");
    Move("UnDead", kDead, d2);
    EXPECT_EQ(Text("SELECT DeathReason FROM Animals WHERE AnimalID=1"), "<null>");
    EXPECT_EQ(Moves(), "3@03");
}

TEST_F(MovementScripts, UnOutTakesBackTheMoveOffAndTheReturn) {
    Move("In", kHolding, d1);
    Move("Out", kMarket, d2);
    Exec("INSERT INTO LocationLink (LocationID, AnimalID, EventDate) VALUES (3, 1, '2024-05-01 00:00:00')");
    Move("UnOut", kMarket, d2);
    EXPECT_EQ(Moves(), "3@03");
}

TEST_F(MovementScripts, UnInTakesBackTheLatestMoveInOnly) {
    Move("In", kHolding, d1);
    Move("In", kField, d2);
    Move("UnIn", kField, d2);
    EXPECT_EQ(Moves(), "3@03");
}

TEST_F(MovementScripts, TwoMovesOnOneDateAreToldApartByTheirOrder) {
    // Two moves to the field on one date: taking one back removes the later one only.
    Exec(
        "INSERT INTO LocationLink (LocationLinkID, LocationID, AnimalID, EventDate, Details) VALUES (10, 4, 1, '2024-03-01 00:00:00', 'first')");
    Exec(
        "INSERT INTO LocationLink (LocationLinkID, LocationID, AnimalID, EventDate, Details) VALUES (11, 4, 1, '2024-03-01 00:00:00', 'second')");
    Move("UnIn", kField, d1);
    EXPECT_EQ(Text("SELECT group_concat(Details) FROM LocationLink"), "first");
    // The later of two moves on a date is where the animal is.
    Exec("INSERT INTO LocationLink (LocationID, AnimalID, EventDate) VALUES (3, 1, '2024-03-01 00:00:00')");
    Move("In", kHolding, d1);
    EXPECT_EQ(Text("SELECT count(*) FROM LocationLink WHERE LocationID=3"), "1");
}

TEST_F(MovementScripts, RemoveDeletesTheAnimalAndClearsItAsParent) {
    Move("In", kHolding, d1);
    Exec("INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (1, '0123456789ABCDEF')");
    Exec("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1, 1)");
    Exec("INSERT INTO Notes (AnimalID, Note) VALUES (1, 'x')");
    Move("Remove", 1, d2);
    EXPECT_EQ(Text("SELECT count(*) FROM Animals WHERE AnimalID=1"), "0");
    EXPECT_EQ(Text("SELECT DamID || ',' || SireID FROM Animals WHERE AnimalID=2"), "0,0");
    EXPECT_EQ(Text("SELECT (SELECT count(*) FROM EIDs) + (SELECT count(*) FROM GroupLink) + "
                   "(SELECT count(*) FROM Notes) + (SELECT count(*) FROM LocationLink)"),
              "0");
}
