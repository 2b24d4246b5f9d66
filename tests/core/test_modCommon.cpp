#include <gtest/gtest.h>

#include <QLocale>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <tuple>

#include "core/clsDatabase.h"
#include "core/clsTranslator.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "core/modRegistry.h"
#include "fixtures/MainWindowStandIn.h"
#include "fixtures/PeerProcess.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Program.h"

namespace {

struct StartupRecord {
    int species = 0, main = 0, stick = 0, stickEdition = -1;
};

// Runs the start-up with recording windows; the species window picks `pick`.
StartupRecord RunMain(const std::string& arguments, int pick = 0) {
    StartupRecord r;
    modCommon::RegisterStartupWindows({[&] {
                                           ++r.species;
                                           modCommon::Species = pick;
                                       },
                                       [&] { ++r.main; },
                                       [&](int edition) {
                                           ++r.stick;
                                           r.stickEdition = edition;
                                       }});
    modCommon::Main(arguments);
    modCommon::RegisterStartupWindows({});
    return r;
}

class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        setenv(name, value, 1);
    }
    ~EnvVar() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

}  // namespace

TEST(Startup, PartnerModeComesOnlyFromTheExactExecutableName) {
    {
        TempHome home("OxbrelConnect");
        RunMain("");
        EXPECT_EQ(modCommon::OxbrelMode, 1);
        EXPECT_EQ(modCommon::Translator().CurrentLanguage(), -1);
    }
    TempHome home("oxbrelconnect");
    RunMain("");
    EXPECT_EQ(modCommon::OxbrelMode, 0);
}

// Started through a link, as a package installs the partner's program, the program goes by the
// link's name for its mode and data folder; its shipped files stay beside the program itself.
TEST(Startup, ProgramStartedThroughALinkGoesByTheLinksName) {
    TempHome home;
    const std::string link = home.root() + "/OxbrelConnect", out = home.root() + "/name.txt";
    std::filesystem::create_symlink(DatabasePeer, link);
    const std::string folder = std::filesystem::path(DatabasePeer).parent_path().string();
    for (auto [startedAs, mode, name] :
         {std::tuple{link, "1", "OxbrelConnect"}, {std::string(DatabasePeer), "0", "database_peer"}}) {
        EXPECT_EQ(PeerProcess({"name", out}, {}, startedAs).Wait(), 0);
        EXPECT_EQ(FileSystem::ReadAll(out),
                  std::string(mode) + "\n" + home.root() + "/data/" + name + "\n" + folder + "\n");
    }
}

TEST(Startup, PartnerModeGivesWindowsThePartnersIcon) {
    TempHome home;
    QWidget window;
    modCommon::SetFormIcon(&window);
    EXPECT_TRUE(window.windowIcon().isNull());
    modCommon::OxbrelMode = 1;
    modCommon::SetFormIcon(&window);
    modCommon::OxbrelMode = 0;
    EXPECT_FALSE(window.windowIcon().isNull());
}

TEST(Startup, UkSpaceArgumentMustStandAlone) {
    TempHome home;
    RunMain("format_uk_space");
    EXPECT_TRUE(modCommon::FormatUKSpace);
    RunMain("FORMAT_UK_SPACE other");
    EXPECT_FALSE(modCommon::FormatUKSpace);
}

TEST(Startup, EditionFollowsFlavour) {
    TempHome home;
    EnvVar lang("LC_ALL", "es_ES.UTF-8");
    StartupRecord simple = RunMain("");
    EXPECT_EQ(modCommon::EditionCode, 1);
    EXPECT_EQ(simple.stickEdition, 1);
    EXPECT_EQ(modCommon::Translator().CurrentLanguage(), 0);
    EXPECT_FALSE(FileSystem::Exists(home.DataFolder() + "/Kelvo.mdb"));

    home.SetMachineSetting("Flavour", "Engineering");
    StartupRecord engineering = RunMain("");
    EXPECT_EQ(modCommon::EditionCode, 2);
    EXPECT_EQ(engineering.stickEdition, 2);
    EXPECT_EQ(modCommon::Translator().CurrentLanguage(), -1);

    home.SetMachineSetting("Flavour", "full");  // compared exactly: the simple edition
    EXPECT_EQ(RunMain("").stickEdition, 1);

    home.SetMachineSetting("Flavour", "Full");
    StartupRecord none = RunMain("", 0);
    EXPECT_EQ(modCommon::EditionCode, 0);
    EXPECT_EQ(std::tie(none.species, none.main, none.stick), std::make_tuple(1, 0, 0));
    StartupRecord sheep = RunMain("", 2);
    EXPECT_EQ(sheep.main, 1);
    EXPECT_TRUE(FileSystem::Exists(home.DatabasePath()));
}

TEST(Startup, UnopenableDatabaseWithARefusedBackupOffersTheChoiceAgainAndEndsWhenCancelled) {
    TempHome home;
    ScriptedPrompts prompts;
    home.SetMachineSetting("Flavour", "Full");
    FileSystem::CreateDirectories(home.DataFolder());
    FileSystem::WriteAll(home.DatabasePath(), "garbage that is no database at all, not even close......");
    // Local restore chosen, but the file picked is no backup: it is refused, and the choice comes again.
    std::string bad = home.root() + "/bad.mdb";
    FileSystem::WriteAll(bad, "still not a database");
    prompts.Answer(Prompts::Yes).Answer(Prompts::Yes).ChooseFile(bad).Answer(Prompts::OK).ChooseFile("");
    EXPECT_THROW(RunMain(""), Program::Ended);
    modCommon::RegisterStartupWindows({});
    EXPECT_EQ(prompts.shown()[3].title, "Not a Backup");
    EXPECT_EQ(prompts.shown().back().kind, "OpenFile");
    EXPECT_TRUE(prompts.Done());
}

TEST(Startup, ConfirmExitClearsTheSpeciesOnlyOnYes) {
    TempHome home;
    ScriptedPrompts prompts;
    modCommon::Species = 2;
    prompts.Answer(Prompts::No).Answer(Prompts::Yes);
    EXPECT_FALSE(modCommon::ConfirmExit());
    EXPECT_EQ(modCommon::Species, 2);
    EXPECT_TRUE(modCommon::ConfirmExit());
    EXPECT_EQ(modCommon::Species, 0);
    const auto& box = prompts.shown()[0];
    EXPECT_EQ(std::tie(box.text, box.title, box.style),
              std::make_tuple("Do you want to exit this program now?", "Exit Program?", Prompts::YesNo));
}

TEST(Startup, SingleAnimalSavesThenRedisplaysInOrder) {
    TempHome home;
    std::vector<std::string> calls;
    {
        MainWindowStandIn main;
        main.onPane = [&calls](const std::string& member) {
            calls.push_back(member + ":" + std::to_string(modCommon::GetSingleAnimalID()));
        };
        modCommon::SetSingleAnimalID(7);
    }
    modCommon::SetSingleAnimalID(8);
    EXPECT_EQ(calls, (std::vector<std::string>{"SaveNote:0", "DisplayNote:7", "DisplayPedigree:7", "DisplayMovements:7",
                                               "DisplayTagChanges:7", "DisplayTreatments:7"}));
}

TEST(ErrorLog, AppendsOneExactLinePerFailureAndShowsTheMessage) {
    TempHome home;
    ScriptedPrompts prompts;
    DateTime::PinClock({2009, 3, 7, 14, 5, 9});
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));  // whose short dates have two-digit years
    prompts.Answer(Prompts::OK);
    modCommon::LogError(RuntimeError(91, "Object variable not set"), "DisplayNote", "frmMain");
    modCommon::LogError(RuntimeError(13, "Type mismatch"), "SaveNote", "frmMain", false);
    QLocale::setDefault(QLocale::system());
    std::string log = FileSystem::ReadAll(home.DataFolder() + "/KelvoErrorLog.txt");
    const std::string date = "3/7/2009";
    EXPECT_EQ(log, date +
                       " 14:05:09\tObject variable not set (Error number 91) in procedure DisplayNote in frmMain\r\n" +
                       date + " 14:05:09\tType mismatch (Error number 13) in procedure SaveNote in frmMain\r\n");
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(
        prompts.shown()[0].text,
        "An error occurred in procedure DisplayNote in frmMain\r\nThe error was 'Object variable not set' (Error number 91)");
}

TEST(ErrorLog, WithoutADataFolderNothingIsWrittenButTheMessageShows) {
    TempHome home;
    ScriptedPrompts prompts;
    FileSystem::WriteAll(home.root() + "/blocked", "a file where the data folders would go");
    setenv("XDG_DATA_HOME", (home.root() + "/blocked").c_str(), 1);
    prompts.Answer(Prompts::OK);
    modCommon::LogError(RuntimeError(5, "Invalid procedure call or argument"), "Main", "modCommon");
    EXPECT_EQ(prompts.Messages().size(), 1u);
    EXPECT_FALSE(FileSystem::Exists(home.root() + "/blocked/kelvo/KelvoErrorLog.txt"));
}

TEST(SqlText, QuotesDatesNullsAndSeparators) {
    for (const auto& [text, quoted] : {std::pair{"O'Neill", "O''Neill"}, {"no quotes", "no quotes"}, {"''", "''''"}})
        EXPECT_EQ(modCommon::SQLQuotes(text), quoted);
    EXPECT_EQ(modCommon::SQLDate({2009, 3, 7, 14, 5, 9}), "'2009-03-07 14:05:09'");
    DateTime::PinClock({2026, 12, 8, 19, 30, 1});
    EXPECT_EQ(modCommon::SQLDate({}), "'2026-12-08 00:00:00'");
    DateTime::PinClock({});
    EXPECT_EQ(modCommon::DeNull(Value(), Value("x")).ToString(), "x");
    EXPECT_EQ(modCommon::DeNull(Value(""), Value("x")).ToString(), "");
    EXPECT_EQ(modCommon::DeNull(Value(0), Value(5)).ToLong(), 0);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(modCommon::GetTextFieldSeparator(), ";");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    EXPECT_EQ(modCommon::GetTextFieldSeparator(), ",");
    QLocale::setDefault(QLocale::system());
}

TEST(SqlText, GuidAndScrambling) {
    std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    std::string a = modCommon::CreateGUIDString(), b = modCommon::CreateGUIDString();
    EXPECT_TRUE(std::regex_match(a, form)) << a;
    EXPECT_NE(a, b);
    EXPECT_EQ(modCommon::ScrambleText("abc"), std::string(3, '`'));
    std::string longText = "The quick brown fox jumps over the lazy dog 0123456789 !#$%&";
    EXPECT_EQ(modCommon::UnscrambleText(modCommon::ScrambleText(longText)), longText);
    // Position 31 wraps the shift back to 0.
    std::string thirtyOne(31, 'z');
    std::string scrambled = modCommon::ScrambleText(thirtyOne);
    EXPECT_EQ(scrambled.front(), 'z');
    EXPECT_EQ(scrambled.back(), 'z' - 1);
    EXPECT_THROW(modCommon::ScrambleText(std::string(1, '\0')), RuntimeError);
}

TEST(Settings, SystemFileFirstThenTheUsersAndWritesGoToTheUsers) {
    TempHome home;
    EXPECT_EQ(modRegistry::GetRegistryValue("SortTags", "True"), "True");
    home.SetMachineSetting("SortTags", "  False  ");
    EXPECT_EQ(modRegistry::GetRegistryValue("SortTags", "True"), "False");
    home.SetMachineSetting("SortTags", "Maybe", true);
    EXPECT_EQ(modRegistry::GetRegistryValue("SortTags", "True"), "Maybe");
    home.SetMachineSetting("SortTags", "", true);  // empty in the system file: the user's counts
    EXPECT_EQ(modRegistry::GetRegistryValue("SortTags", "True"), "False");
    ASSERT_TRUE(modRegistry::SetRegistryValue("TagsToSave", "1"));
    EXPECT_EQ(IniFile::Read(home.UserSettingsPath(), "", "TagsToSave").value_or(""), "1");
    EXPECT_FALSE(IniFile::Read(home.SystemSettingsPath(), "", "TagsToSave"));
}

// Editors on other systems begin a text file with a byte-order mark; it is no part of the
// first key, and a rewrite keeps it.
TEST(Settings, AByteOrderMarkBeforeTheFirstKeyIsNoPartOfIt) {
    TempHome home;
    FileSystem::CreateDirectories(FileSystem::Folder(home.UserSettingsPath()));
    FileSystem::WriteAll(home.UserSettingsPath(),
                         "\xEF\xBB\xBF"
                         "Flavour=Full\r\nSortTags=False\r\n");
    EXPECT_EQ(modRegistry::GetRegistryValue("Flavour", ""), "Full");
    ASSERT_TRUE(modRegistry::SetRegistryValue("Flavour", "Engineering"));
    std::string text = FileSystem::ReadAll(home.UserSettingsPath());
    EXPECT_EQ(text.rfind("\xEF\xBB\xBF"
                         "Flavour=Engineering",
                         0),
              0u)
        << text;
    EXPECT_EQ(text.find("Flavour", 4), std::string::npos) << "one Flavour key";
}

TEST(Settings, LastUsedComPortPerDeviceInTheUsersOwnFile) {
    TempHome home;
    EXPECT_EQ(modCommon::GetLastUsedComPort(2), 0);
    modCommon::SetLastUsedComPort(2, 10);
    modCommon::SetLastUsedComPort(3, 4);
    EXPECT_EQ(std::make_pair(modCommon::GetLastUsedComPort(2), modCommon::GetLastUsedComPort(3)),
              std::make_pair(10, 4));
    EXPECT_EQ(IniFile::Read(home.root() + "/config/KRX/kelvo.ini", "LastUsedComPort", "2").value_or(""), "10");
}

TEST(KelvoData, ItemsAreFoundSetAddedAndDeletedByName) {
    TempHome home;
    ScriptedPrompts prompts;
    ASSERT_TRUE(modCommon::VersionCheck());
    EXPECT_FALSE(modCommon::FindKelvoData("HerdNumber"));
    try {
        modCommon::GetKelvoData("HerdNumber");
        FAIL();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number, ErrorNumber::NoCurrentRecord);
    }
    EXPECT_EQ(modCommon::SetKelvoData("HerdNumber", "UK'1"), 1);  // added
    EXPECT_EQ(modCommon::SetKelvoData("HerdNumber", "UK'2"), 1);  // updated, still one row
    EXPECT_EQ(modCommon::GetKelvoData("HerdNumber"), "UK'2");
    EXPECT_EQ(modCommon::AddKelvoData("Note's", "a"), 1);
    EXPECT_EQ(modCommon::AddKelvoData("Note's", "b"), 1);
    using Items = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(modCommon::GetKelvoDataItems({"Note's", "HerdNumber"}),
              (Items{{"HerdNumber", "UK'2"}, {"Note's", "a"}, {"Note's", "b"}}));
    EXPECT_EQ(modCommon::DeleteKelvoData("Note's"), 2);
    EXPECT_EQ(modCommon::DeleteKelvoData("Note's"), 0);
    EXPECT_TRUE(modCommon::GetKelvoDataItems({"Note's"}).empty());
    EXPECT_TRUE(prompts.shown().empty());

    // A refused write is logged by the gateway and counts no rows; a failed read raises.
    prompts.AcceptAllOK();
    modCommon::Database().Execute(
        "CREATE TRIGGER Refuse BEFORE UPDATE ON KelvoData BEGIN SELECT RAISE(ABORT, 'refused'); END");
    EXPECT_EQ(modCommon::SetKelvoData("HerdNumber", "UK3"), 0);
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_NE(
        prompts.Messages()[0].find("Execute - Using UPDATE KelvoData SET ItemData='UK3' WHERE ItemName='HerdNumber'"),
        std::string::npos);
    modCommon::Database().Execute("DROP TABLE KelvoData");
    EXPECT_THROW(modCommon::FindKelvoData("HerdNumber"), RuntimeError);
}

TEST(Startup, ResetProgramStateLeavesNothingOfTheLastRun) {
    TempHome home;
    int shown = 0;
    modCommon::RegisterStartupWindows({[&] { ++shown; }, {}, {}});
    MainWindowStandIn main;
    main.gridSQL = "SELECT 1";
    main.onPane = [&](const std::string&) { ++shown; };
    modMainWindowServices::RegisterStickReaderWindow([&](int, QWidget*) { ++shown; });
    modCommon::SetSingleAnimalID(4);
    modCommon::Species = 2;
    modCommon::CountryName = "Wales";
    modCommon::EditionCode = 2;
    modCommon::Database();
    shown = 0;
    modCommon::ResetProgramState();
    EXPECT_FALSE(modCommon::DatabaseCreated());
    EXPECT_EQ(std::make_tuple(modCommon::Species, modCommon::CountryName, modCommon::EditionCode,
                              modCommon::GetSingleAnimalID()),
              std::make_tuple(0, "", 0, 0));
    EXPECT_EQ(modMainWindowServices::GetGridSQL(), "");
    EXPECT_FALSE(modMainWindowServices::OpenStickReaderWindow(1));
    modCommon::SetSingleAnimalID(5);
    home.SetMachineSetting("Flavour", "Full");
    modCommon::Main("");
    EXPECT_EQ(shown, 0) << "no window or pane of the last run is called";
}
