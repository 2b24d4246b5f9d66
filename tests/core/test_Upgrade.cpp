#include <gtest/gtest.h>

#include <tuple>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modSchema.h"
#include "fixtures/DatabaseBuilder.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"

using DatabaseBuilder::Scalar;

namespace {

bool HasColumn(const std::string& path, const std::string& table, const std::string& column) {
    return Scalar(path, "SELECT count(*) FROM pragma_table_info('" + table + "') WHERE name='" + column + "'") == "1";
}

std::string ErrorLog(const TempHome& home) {
    std::string path = home.DataFolder() + "/KelvoErrorLog.txt";
    return FileSystem::Exists(path) ? FileSystem::ReadAll(path) : "";
}

}  // namespace

TEST(Upgrade, ScriptHasTheEntriesAndStatementCountsTheProgramShips) {
    EXPECT_EQ(modSchema::ScriptVersions(), (std::vector<std::string>{"1.0.0", "1.0.1", "1.0.2", "1.0.3", "1.0.4"}));
    std::vector<std::size_t> counts;
    std::string script = modSchema::DatabaseUpgradeScript();
    for (std::size_t start = 0;;) {
        auto bar = script.find('|', start);
        counts.push_back(modSchema::EntryStatements(script.substr(start, bar - start)).size());
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{0, 14, 1, 48, 1}));
}

TEST(Upgrade, FirstStartCopiesTheTemplateAndBringsItToTheNewestVersion) {
    TempHome home;
    ASSERT_FALSE(FileSystem::Exists(home.DataFolder()));
    ASSERT_TRUE(modCommon::VersionCheck());
    const std::string db = home.DatabasePath();
    modCommon::ReleaseDatabase();
    EXPECT_EQ(Scalar(db, "SELECT ItemData FROM KelvoData WHERE ItemName='Version'"), "1.0.4");
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM SQLTable"), "31");
    EXPECT_EQ(Scalar(db,
                     "SELECT group_concat(CountryName || ':' || HerdFlockRequired || HoldingNumberRequired, ',') "
                     "FROM (SELECT * FROM Countries ORDER BY CountryID)"),
              "England:11,Scotland:11,Wales:11,Northern Ireland:10,Isle of Man:10,"
              "Other EEC Countries:00,Other Non-EEC Countries:00");
    EXPECT_EQ(Scalar(db, "SELECT group_concat(LocationID || '=' || LocationType) FROM Locations"), "1=-4,2=-1,3=0");
    EXPECT_TRUE(HasColumn(db, "Animals", "TaggingDate"));
    EXPECT_TRUE(HasColumn(db, "Animals", "SireID"));
    EXPECT_FALSE(HasColumn(db, "TagChanges", "NewTag"));
    EXPECT_FALSE(HasColumn(db, "Locations", "ExportToHH"));
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM sqlite_master WHERE name LIKE 'HH%'"), "0");
    EXPECT_EQ(ErrorLog(home), "");
}

TEST(Upgrade, SecondStartKeepsTheDatabaseItFinds) {
    TempHome home;
    ASSERT_TRUE(modCommon::VersionCheck());
    modCommon::Database().Execute("INSERT INTO Animals (TagNumber) VALUES ('UK 123')");
    modCommon::ReleaseDatabase();
    ASSERT_TRUE(modCommon::VersionCheck());
    EXPECT_EQ(modCommon::Database().OpenRecordset("SELECT TagNumber FROM Animals").Field(0).ToString(), "UK 123");
}

TEST(Upgrade, FromOnePointZeroPointTwoRunsOnlyTheLaterEntries) {
    TempHome home;
    FileSystem::CreateDirectories(home.DataFolder());
    DatabaseBuilder::CreateAtVersion(home.DatabasePath(), "1.0.2");
    // Sheep the keeper made cattle stay cattle: the 1.0.1 entry must not run again.
    DatabaseBuilder::Run(home.DatabasePath(), "INSERT INTO Animals (TagNumber, Species) VALUES ('A', 1)");
    ASSERT_TRUE(modCommon::VersionCheck());
    modCommon::ReleaseDatabase();
    EXPECT_EQ(Scalar(home.DatabasePath(), "SELECT Species || ',' || DamID || ',' || SireID FROM Animals"), "1,0,0");
    EXPECT_EQ(Scalar(home.DatabasePath(), "SELECT ItemData FROM KelvoData WHERE ItemName='Version'"), "1.0.4");
    EXPECT_EQ(ErrorLog(home), "");
}

// A database made before the grid's indexes were part of the template gets them once.
TEST(Upgrade, AtTheNewestVersionOnlyMissingQueryIndexesAreWritten) {
    TempHome home;
    FileSystem::CreateDirectories(home.DataFolder());
    const std::string path = home.DatabasePath();
    DatabaseBuilder::CreateAtVersion(path, "1.0.4");
    DatabaseBuilder::Run(path,
                         "DROP INDEX LocationLinkAnimalLocation; DROP INDEX LocationLinkDate; "
                         "CREATE INDEX LocationLinkAnimalDate ON LocationLink (AnimalID, EventDate)");
    ASSERT_TRUE(modCommon::VersionCheck());
    modCommon::ReleaseDatabase();
    EXPECT_EQ(Scalar(path,
                     "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master WHERE type='index' AND "
                     "(name LIKE 'LocationLink%' OR name LIKE 'AnimalsSpecies%') ORDER BY name)"),
              "AnimalsSpeciesTag,LocationLinkAnimalLocation,LocationLinkDate,LocationLinkLocation");
    std::string before = FileSystem::ReadAll(path);
    ASSERT_TRUE(modCommon::VersionCheck());
    EXPECT_EQ(FileSystem::ReadAll(path), before);
}

// A register of an earlier template had the removal location switched off where no keeper could
// reach it; one the keeper could have deleted (no longer permanent) stays as it is.
TEST(Upgrade, RemovalLocationOfAnEarlierTemplateIsSwitchedOn) {
    for (const auto& [version, permanent, active] :
         {std::tuple{"1.0.4", 1, "1"}, std::tuple{"1.0.2", 1, "1"}, std::tuple{"1.0.4", 0, "0"}}) {
        TempHome home;
        FileSystem::CreateDirectories(home.DataFolder());
        DatabaseBuilder::CreateAtVersion(home.DatabasePath(), version);
        DatabaseBuilder::Run(home.DatabasePath(), "UPDATE Locations SET Active=0, Permanent=" +
                                                      std::to_string(permanent) + " WHERE LocationID=1");
        ASSERT_TRUE(modCommon::VersionCheck());
        modCommon::ReleaseDatabase();
        EXPECT_EQ(Scalar(home.DatabasePath(), "SELECT group_concat(Active) FROM Locations"),
                  std::string(active) + ",1,1")
            << version << " " << permanent;
    }
}

TEST(Upgrade, NewerVersionIsRefusedAndKept) {
    TempHome home;
    ScriptedPrompts prompts;
    FileSystem::CreateDirectories(home.DataFolder());
    DatabaseBuilder::CreateAtVersion(home.DatabasePath(), "2.0.0");
    home.SetMachineSetting("Flavour", "Full");
    prompts.Answer(Prompts::OK);
    modCommon::Main("");
    EXPECT_EQ(prompts.shown().at(0).title, "Version Mismatch");
    EXPECT_EQ(prompts.shown().at(0).style, Prompts::Exclamation);
    EXPECT_EQ(prompts.LastText(),
              "Your database is not the correct version for this program.\r\nDatabase version: 2.0.0\r\n"
              "Program version: " +
                  modCommon::ProgramVersion() + "\r\nPlease contact support to resolve this problem.");
    modCommon::ReleaseDatabase();
    EXPECT_EQ(Scalar(home.DatabasePath(), "SELECT ItemData FROM KelvoData WHERE ItemName='Version'"), "2.0.0");
}

TEST(Upgrade, MissingVersionRowTakesTheDamagedFileRoad) {
    TempHome home;
    ScriptedPrompts prompts;
    FileSystem::CreateDirectories(home.DataFolder());
    DatabaseBuilder::CreateAtVersion(home.DatabasePath(), "1.0.4");
    DatabaseBuilder::Run(home.DatabasePath(), "DELETE FROM KelvoData");
    home.SetMachineSetting("Flavour", "Full");
    prompts.Answer(Prompts::No);
    bool speciesShown = false;
    modCommon::RegisterStartupWindows({[&] { speciesShown = true; }, {}, {}});
    EXPECT_THROW(modCommon::Main(""), Program::Ended);
    modCommon::RegisterStartupWindows({});
    EXPECT_FALSE(speciesShown);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].title, "Cannot Open Your Database");
    EXPECT_NE(prompts.LastText().find("The connection error is: The database holds no version."), std::string::npos);
}

TEST(Upgrade, FailingEntryIsRolledBackAndStampedOnlyToTheLastWholeEntry) {
    TempHome home;
    ScriptedPrompts prompts;
    FileSystem::CreateDirectories(home.DataFolder());
    DatabaseBuilder::CreateAtVersion(home.DatabasePath(), "1.0.2");
    // A table the 1.0.3 entry creates is already there: that entry cannot complete.
    DatabaseBuilder::Run(home.DatabasePath(), "CREATE TABLE Treatments (X INTEGER)");
    prompts.Answer(Prompts::OK);
    EXPECT_FALSE(modCommon::VersionCheck());
    EXPECT_NE(prompts.LastText().find("Execute - Using CREATE TABLE Treatments"), std::string::npos);
    modCommon::ReleaseDatabase();
    EXPECT_EQ(Scalar(home.DatabasePath(), "SELECT ItemData FROM KelvoData WHERE ItemName='Version'"), "1.0.2");
    EXPECT_FALSE(HasColumn(home.DatabasePath(), "Animals", "DamID"));
    EXPECT_FALSE(HasColumn(home.DatabasePath(), "Animals", "TaggingDate"));
    EXPECT_EQ(Scalar(home.DatabasePath(), "SELECT count(*) FROM sqlite_master WHERE name='SQLTable'"), "0");
}
