// The main window on registers of 50,000 and 200,000 sheep with 10 movements each (and, with
// --with_500000, also 500,000), every figure beside a reference in the same run:
// - start to the filled main window (the gateway opening and checking the file, the schema check,
//   the window and its first screen), beside the same start on an empty register; and the peak
//   resident memory of a new process that starts so ("KB_per_animal"), beside the sqlite3 tool's
//   on the grid's query;
// - Select Everything in the Grid (the click and what it posts, drawn), beside Qt's own select-all
//   of a table view over the same rows; with the Movement History tab showing, the click until
//   the pane's first screen is drawn;
// - the grid refresh with no animal and with every animal selected, beside the grid's query in the
//   sqlite3 command-line tool (on the register as this program keeps it; that query is also timed
//   on a copy with the indexes the program kept before: LocationLink by animal and date, Animals
//   by TagSort);
// - moving every animal, selected, to a location (the keeper's answers, each animal's script and
//   the grid refreshed with the selection kept), beside the sqlite3 tool's one INSERT ... SELECT of
//   the same new movements and beside the tool running the location's script for all of them as
//   the program does;
// - an animal import file of 5,000 new animals (the lines read, the animals written and the grid
//   refreshed), beside Python's csv reader and sqlite3 module writing the same rows plus one grid
//   refresh;
// - at 50,000: the CSV export of every animal's details, an Allflex tag bucket of 100,000 new
//   tags read in with the grid refreshed after it, and moving 10,000 selected animals on and off
//   the holding beside the grid refresh alone.
// Each figure that grows with the register is also given as the exponent of its growth from one
// size to the next (1 grows linearly), beside its reference's.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modSchema.h"
#include "fixtures/BenchApplication.h"
#include "fixtures/BenchHome.h"
#include "fixtures/BenchProcess.h"
#include "fixtures/BenchPrompts.h"
#include "fixtures/BenchRatios.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/RecordsetModel.h"
#include "platform/Text.h"
#include "register/Movements.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"
#include "widgets/TabControl.h"

namespace {

constexpr int kMovementHistoryTab = 8;
constexpr long kTopField = 4;
const char* const kMoveDate = "2024-06-01";

// A register of `animals` sheep in a data folder of its own, and the main window over it; a copy
// of it as it was made, to put back after a benchmark that changes it.
struct Register {
    const int animals;
    BenchHome home;
    explicit Register(int count) : animals(count) {
        modCommon::VersionCheck();
        Connection& db = modCommon::Database().GetConnection();
        Connection::Transaction transaction(db);
        db.Execute(
            "INSERT INTO Locations (LocationName, LocationDescription, LocationType, Active, Permanent) VALUES "
            "('Top Field','',1,1,0), ('Market','',-3,1,0), ('Abattoir','',-2,1,0), ('Low Field','',0,1,0)");
        db.Execute("INSERT INTO Genders (GenderName, Species) VALUES ('Ewe',2), ('Ram',2)");
        db.Execute("INSERT INTO Breeds (BreedName, Species) VALUES ('Texel',2), ('Suffolk',2)");
        db.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" + std::to_string(animals) +
                   ") INSERT INTO Animals (AnimalType, TagNumber, TagSort, DateOfBirth, GenderID, BreedID, Species) "
                   "SELECT 1 + i % 3, 'UK0123456 ' || printf('%06d', i), i, '2020-04-01 00:00:00', 1 + i % 2, i % 3, 2 "
                   "FROM n WHERE " +
                   std::to_string(animals) + ">0");
        db.Execute(
            "WITH RECURSIVE m(k) AS (SELECT 0 UNION ALL SELECT k+1 FROM m WHERE k<9) "
            "INSERT INTO LocationLink (LocationID, AnimalID, EventDate) "
            "SELECT 3 + (AnimalID + k) % 5, AnimalID, date('2020-05-01', '+' || (k * 30) || ' days') || ' 00:00:00' "
            "FROM Animals, m ORDER BY AnimalID, k");
        db.Execute(
            "INSERT INTO EIDs (AnimalID, EIDNumber) SELECT AnimalID, printf('0123456789%06X', AnimalID) FROM Animals "
            "WHERE AnimalID % 2 = 0");
        transaction.Commit();
        db.VacuumInto(Pristine());
        modCommon::CountryName = "England";
        modCommon::Species = 2;
    }
    ~Register() { DefaultInstance<frmMain>::Unload(); }
    std::string Pristine() const { return home.root + "/pristine.mdb"; }
    // The register as it was made, written into the live file as a restore writes it.
    void PutBack() const {
        Connection pristine;
        pristine.Open(Pristine());
        modCommon::Database().GetConnection().CopyFrom(pristine);
    }
};

// One register at a time (each has its own HOME): made on first use, gone before the application.
std::unique_ptr<Register> gRegister;

Register& Shared(int animals) {
    if (!gRegister || gRegister->animals != animals) {
        gRegister.reset();
        gRegister = std::make_unique<Register>(animals);
    }
    return *gRegister;
}

frmMain& ShownWindow(int animals) {
    Shared(animals);
    frmMain& form = frmMain::Instance();
    form.show();
    QCoreApplication::processEvents();
    return form;
}

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// What the keeper waits for: the work, then everything it posted and the screen drawn.
void Settle() { QCoreApplication::processEvents(); }

void Deselect(frmMain& form) {
    form.cmdDeSelectAll_Click();
    Settle();
}

void SelectAll(frmMain& form) {
    form.cmdSelectAll_Click();
    Settle();
}

void ShowTab(frmMain& form, int tab) {
    form.tabDetails->SetCurrentTab(tab);
    Settle();
}

// Runs a command of the shell, its output thrown away.
void Shell(benchmark::State& state, const std::string& command, const char* what) {
    if (std::system((command + " > /dev/null").c_str()) != 0)
        state.SkipWithError((std::string(what) + " failed (is it installed?)").c_str());
}

// ---- Start -----------------------------------------------------------------------------------

// From the gateway's creation (the file opened and checked) and the schema check to the main
// window shown with its grid filled and drawn; the species window is left out.
void StartToFilledMainWindow(benchmark::State& state, int animals) {
    Shared(animals);
    for (auto _ : state) {
        state.PauseTiming();
        DefaultInstance<frmMain>::Unload();
        modCommon::ReleaseDatabase();
        state.ResumeTiming();
        modCommon::VersionCheck();
        frmMain& form = frmMain::Instance();
        form.show();
        Settle();
    }
    if (frmMain::Instance().glngGridAnimalsAndTags != animals) state.SkipWithError("wrong row count");
}

// The start as a program of its own makes it (the child of this one, on the register of the
// data folder it inherits), for its peak memory: it ends as soon as the window is filled.
const char* const kStartOnly = "--start_only";

int StartOnly(int argc, char** argv) {
    if (argc < 4) return 2;
    QApplication app(argc, argv);
    WindowRules::Install();
    Program::SetExecutablePath(std::string(argv[2]) + "/program/kelvo");
    modCommon::CountryName = "England";
    modCommon::Species = 2;
    modCommon::VersionCheck();
    frmMain& form = frmMain::Instance();
    form.show();
    Settle();
    // Gone without the gateway's compaction at the end, which is no part of the start.
    std::fflush(stdout);
    _exit(form.glngGridAnimalsAndTags == std::atol(argv[3]) ? 0 : 3);
}

void StartPeakMemory(benchmark::State& state, int animals) {
    const Register& shared = Shared(animals);
    long kilobytes = 0;
    for (auto _ : state)
        kilobytes = PeakKilobytesOf({std::filesystem::read_symlink("/proc/self/exe").string(), kStartOnly,
                                     shared.home.root, std::to_string(animals)});
    if (kilobytes < 0) state.SkipWithError("the start did not end well");
    state.counters["peak_MB"] = kilobytes / 1024.0;
    state.counters["KB_per_animal"] = double(kilobytes) / animals;
}

// ---- Select Everything -----------------------------------------------------------------------

void SelectEverything(benchmark::State& state, int animals, int tab) {
    frmMain& form = ShownWindow(animals);
    ShowTab(form, tab);
    for (auto _ : state) {
        SelectAll(form);
        state.PauseTiming();
        if (form.glngSelectedAnimalsAndTags != animals) state.SkipWithError("not every animal selected");
        if (tab == kMovementHistoryTab && form.grdMovements->Model().rowCount() == 0)
            state.SkipWithError("no movements shown");
        Deselect(form);
        state.ResumeTiming();
    }
    if (tab == kMovementHistoryTab) state.counters["rows_shown"] = form.grdMovements->Model().rowCount();
    ShowTab(form, 0);
}

// The reference: a table view of Qt's own over the same rows selects them all.
void QtSelectAll_Reference(benchmark::State& state, int animals) {
    frmMain& form = ShownWindow(animals);
    RecordsetModel model;
    model.SetRecordset(form.mrsGridClone.Clone());
    QTableView view;
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setModel(&model);
    view.resize(form.grdAnimals->size());
    view.show();
    Settle();
    for (auto _ : state) {
        view.selectAll();
        Settle();
        state.PauseTiming();
        if (view.selectionModel()->selectedRows().size() != animals) state.SkipWithError("not every row selected");
        view.clearSelection();
        Settle();
        state.ResumeTiming();
    }
}

// ---- Grid refresh ------------------------------------------------------------------------------

// One refresh as the keeper meets it: the query, the grid's new rows and its first screen drawn.
void Refresh(frmMain& form) {
    form.tmrSetGridRecords_Timer();
    Settle();
}

void GridRefresh(benchmark::State& state, int animals, bool allSelected) {
    frmMain& form = ShownWindow(animals);
    if (allSelected) SelectAll(form);
    for (auto _ : state) Refresh(form);
    if (form.glngGridAnimalsAndTags != animals) state.SkipWithError("wrong row count");
    if (form.glngSelectedAnimalsAndTags != (allSelected ? animals : 0))
        state.SkipWithError("the selection was not kept");
    state.counters["rss_MB"] = ResidentMegabytes();
    if (allSelected) Deselect(form);
}

// ---- The grid's query in the sqlite3 tool ---------------------------------------------------------

// The grid's query as a script for the sqlite3 tool. Now() is the program's own function; the
// tool has the local time in its place.
std::string ToolScript(int animals) {
    frmMain& form = ShownWindow(animals);
    std::string sql = form.GetGridSQL();
    for (std::size_t at; (at = sql.find("Now()")) != std::string::npos;)
        sql.replace(at, 5, "datetime('now','localtime')");
    const std::string script = Shared(animals).home.root + "/grid.sql";
    std::ofstream(script) << sql << ";\n";
    return script;
}

// Runs the grid's query in the sqlite3 tool on `file`, its output thrown away.
void TimeToolQuery(benchmark::State& state, const std::string& file, const std::string& script) {
    for (auto _ : state) Shell(state, "sqlite3 '" + file + "' < '" + script + "'", "the sqlite3 tool");
}

void GridQueryBySqlite3Tool_Reference(benchmark::State& state, int animals) {
    const std::string script = ToolScript(animals);
    TimeToolQuery(state, modCommon::Database().GetDatabaseFilespec(), script);
}

// The peak memory of the sqlite3 tool running the grid's query.
void GridQueryBySqlite3ToolPeakMemory_Reference(benchmark::State& state, int animals) {
    const std::string script = ToolScript(animals);
    long kilobytes = 0;
    for (auto _ : state) kilobytes = PeakKilobytesOf({"sqlite3", modCommon::Database().GetDatabaseFilespec()}, script);
    if (kilobytes < 0) state.SkipWithError("the sqlite3 tool failed (is it installed?)");
    state.counters["peak_MB"] = kilobytes / 1024.0;
    state.counters["KB_per_animal"] = double(kilobytes) / animals;
}

// The same SQL on a copy of the register with only the indexes the grid's query had before
// (LocationLink by animal and date, Animals by TagSort and by TagNumber).
void GridQueryBySqlite3ToolFormerIndexes(benchmark::State& state, int animals) {
    const std::string script = ToolScript(animals);
    const std::string copy = Shared(animals).home.root + "/former.mdb";
    FileSystem::Remove(copy);
    modCommon::Database().GetConnection().VacuumInto(copy);
    Connection db;
    db.Open(copy);
    Recordset added = db.Query(
        "SELECT name FROM sqlite_master WHERE type='index' AND sql IS NOT NULL AND name NOT IN ('AnimalsTagSort',"
        "'AnimalsTagNumber','EIDsAnimalID','EIDsEIDNumber','GroupLinkGroup','GroupLinkAnimal','LocationLinkAnimalDate',"
        "'LocationLinkLocation','NotesAnimalID','TagChangesAnimalID','TreatmentLinkAnimal')");
    for (; !added.Eof(); added.MoveNext()) db.Execute("DROP INDEX \"" + added.Field(0).ToString() + "\"");
    db.Execute("CREATE INDEX IF NOT EXISTS LocationLinkAnimalDate ON LocationLink (AnimalID, EventDate)");
    db.Execute("VACUUM");
    db.Close();
    TimeToolQuery(state, copy, script);
    FileSystem::Remove(copy);
}

// ---- Moving every animal ---------------------------------------------------------------------------

// Every animal, selected in the grid of all animals, moved to Top Field on one date: each run
// starts from the register as it was made.
void MoveEverySelected(benchmark::State& state, int animals) {
    frmMain& form = ShownWindow(animals);
    if (!form.optAllAnimals->isChecked()) form.optAllAnimals->setChecked(true);
    SelectAll(form);
    auto previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>("", kMoveDate));
    for (auto _ : state) {
        state.PauseTiming();
        Shared(animals).PutBack();
        state.ResumeTiming();
        form.Assign(form.lstLocations, kTopField, "Top Field");
        Settle();
    }
    Prompts::SetHandler(std::move(previous));
    Connection& db = modCommon::Database().GetConnection();
    const long moved =
        static_cast<long>(db.Query("SELECT count(*) FROM LocationLink WHERE LocationID=? AND EventDate=?",
                                   {kTopField, std::string(kMoveDate) + " 00:00:00"})
                              .Field(0)
                              .ToLong());
    if (moved != animals || form.glngSelectedAnimalsAndTags != animals) state.SkipWithError("not every animal moved");
    Shared(animals).PutBack();
    Deselect(form);
    Refresh(form);
}

// The reference: the same new movements by the sqlite3 tool's one statement, on a copy of the
// register as it was made.
void MoveBySqlite3ToolInsertSelect_Reference(benchmark::State& state, int animals) {
    const Register& shared = Shared(animals);
    const std::string copy = shared.home.root + "/tool.mdb";
    const std::string command = "sqlite3 '" + copy +
                                "' \"INSERT INTO LocationLink (LocationID, AnimalID, EventDate, Details) SELECT " +
                                std::to_string(kTopField) + ", AnimalID, '" + kMoveDate +
                                " 00:00:00', '' FROM Animals WHERE Species=2 AND AnimalType<>0 "
                                "ORDER BY TagSort, TagNumber\"";
    for (auto _ : state) {
        state.PauseTiming();
        FileSystem::Remove(copy);
        FileSystem::Copy(shared.Pristine(), copy);
        state.ResumeTiming();
        Shell(state, command, "the sqlite3 tool");
    }
    FileSystem::Remove(copy);
}

// The statements the program runs to put every animal at the location at once (the location's
// script for many animals, the moves it replaces deleted first), with the cache the program gives a
// write transaction, in the sqlite3 tool on a copy of the register as it was made: what the
// database itself takes for the same work.
void MoveBySqlite3ToolScript_Reference(benchmark::State& state, int animals) {
    const Register& shared = Shared(animals);
    Connection& db = modCommon::Database().GetConnection();
    std::vector<std::string> texts;
    for (Recordset rs = db.Query("SELECT SQLStatement FROM SQLTable WHERE MovementType=? ORDER BY RecordID",
                                 {Movements::MovementType(Movements::LocationType(db, kTopField), true)});
         !rs.Eof(); rs.MoveNext())
        texts.push_back(rs.Field(0).ToString());
    std::string script =
        "PRAGMA cache_size=-262144;\nBEGIN;\nCREATE TEMP TABLE MovingAnimals (Position INTEGER PRIMARY KEY, "
        "AnimalID INTEGER);\nINSERT INTO temp.MovingAnimals (AnimalID) SELECT AnimalID FROM Animals WHERE Species=2 "
        "AND AnimalType<>0 ORDER BY TagSort, TagNumber;\n";
    for (std::string statement : modSchema::MovementStatementsForMany(texts)) {
        ReplaceAll(statement, "'@Details'", "''");
        ReplaceAll(statement, "@LocationID", std::to_string(kTopField));
        ReplaceAll(statement, "@Date", std::string("'") + kMoveDate + " 00:00:00'");
        script += statement + ";\n";
    }
    if (texts.empty() || script.find('@') != std::string::npos)
        state.SkipWithError("the script is not the shipped one");
    const std::string file = shared.home.root + "/move.sql", copy = shared.home.root + "/tool.mdb";
    std::ofstream(file) << script << "COMMIT;\n";
    for (auto _ : state) {
        state.PauseTiming();
        FileSystem::Remove(copy);
        FileSystem::Copy(shared.Pristine(), copy);
        state.ResumeTiming();
        Shell(state, "sqlite3 '" + copy + "' < '" + file + "'", "the sqlite3 tool");
    }
    FileSystem::Remove(copy);
}

// ---- An animal import file of 5,000 new animals -------------------------------------------------

constexpr int kImported = 5000;

// The file, each line a new animal with its date of birth, gender, breed and EID.
std::string ImportFile(const Register& shared) {
    const std::string path = shared.home.root + "/import.txt";
    const std::string separator = modCommon::GetTextFieldSeparator();
    std::string text;
    for (int i = 0; i < kImported; ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "UK0777777 %06d%s2021-03-01%sEwe%sTexel%s8400%012X\r\n", i, separator.c_str(),
                      separator.c_str(), separator.c_str(), separator.c_str(), 0x3000000 + i);
        text += line;
    }
    FileSystem::WriteAll(path, text);
    return path;
}

// Takes away what an import added after the animal `last`.
void RemoveImported(const std::string& last) {
    Connection& db = modCommon::Database().GetConnection();
    Connection::Transaction transaction(db);
    for (const char* table : {"EIDs", "LocationLink", "GroupLink", "Animals"})
        db.Execute(std::string("DELETE FROM ") + table + " WHERE AnimalID>" + last);
    transaction.Commit();
}

std::string LastAnimal() {
    return std::to_string(
        modCommon::Database().GetConnection().Query("SELECT MAX(AnimalID) FROM Animals").Field(0).ToLong());
}

void AnimalImport5000Lines(benchmark::State& state, int animals) {
    frmMain& form = ShownWindow(animals);
    const std::string path = ImportFile(Shared(animals)), last = LastAnimal();
    auto previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>(path));
    for (auto _ : state) {
        form.mnuImportAnimalFromFile_Click();
        Settle();
        state.PauseTiming();
        if (form.glngGridAnimalsAndTags != animals + kImported) state.SkipWithError("wrong row count");
        RemoveImported(last);
        state.ResumeTiming();
    }
    Prompts::SetHandler(std::move(previous));
    Refresh(form);
}

// The reference: Python reads the same file with its csv reader and writes the same rows with its
// sqlite3 module, in one transaction, looking each tag and EID up first.
const char* const kPythonImport = R"PY(import csv, sqlite3, sys
db = sqlite3.connect(sys.argv[1], isolation_level=None)
db.execute("BEGIN IMMEDIATE")
for group in (1, 2):
    db.execute("DELETE FROM GroupLink WHERE GroupID=?", (group,))
genders = {n.upper(): i for i, n in db.execute("SELECT GenderID, GenderName FROM Genders WHERE Species=2")}
breeds = {n.upper(): i for i, n in db.execute("SELECT BreedID, BreedName FROM Breeds WHERE Species=2")}
with open(sys.argv[2], newline="") as f:
    for row in csv.reader(f, delimiter=sys.argv[3]):
        tag, born, gender, breed, eid = (row + [""] * 5)[:5]
        if db.execute("SELECT AnimalID FROM Animals WHERE TagNumber=? AND +Species=2", (tag,)).fetchone():
            continue
        born += " 00:00:00"
        animal = db.execute("INSERT INTO Animals (AnimalType, TagNumber, TagSort, DateOfBirth, GenderID, BreedID, "
                            "DamID, SireID, Species) VALUES (1, ?, ?, ?, ?, ?, 0, 0, 2)",
                            (tag, int(tag.split()[-1]), born, genders[gender.upper()], breeds[breed.upper()])).lastrowid
        db.execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (2, ?)", (animal,))
        db.execute("INSERT INTO LocationLink (LocationID, AnimalID, EventDate, Details) "
                   "VALUES (3, ?, ?, 'Imported from file')", (animal, born))
        if not db.execute("SELECT 1 FROM EIDs WHERE EIDNumber=?", (eid,)).fetchone():
            db.execute("INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (?, ?)", (animal, eid))
        db.execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1, ?)", (animal,))
db.execute("COMMIT")
)PY";

void AnimalImportByPython_Reference(benchmark::State& state, int animals) {
    const Register& shared = Shared(animals);
    const std::string path = ImportFile(shared), last = LastAnimal(), script = shared.home.root + "/import.py";
    FileSystem::WriteAll(script, kPythonImport);
    const std::string command = "python3 '" + script + "' '" + modCommon::Database().GetDatabaseFilespec() + "' '" +
                                path + "' '" + modCommon::GetTextFieldSeparator() + "'";
    for (auto _ : state) {
        Shell(state, command, "python3");
        state.PauseTiming();
        RemoveImported(last);
        state.ResumeTiming();
    }
}

// ---- At 50,000: exports, a tag bucket and moves ---------------------------------------------------

constexpr int k50k = 50000;

void AnimalCSVExport50kSelected(benchmark::State& state) {
    frmMain& form = ShownWindow(k50k);
    SelectAll(form);
    const std::string path = Shared(k50k).home.root + "/animals.csv";
    auto previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>(path));
    for (auto _ : state) form.ExportAnimalsCSV(false);
    Prompts::SetHandler(std::move(previous));
    const std::string file = FileSystem::ReadAll(path);
    if (std::count(file.begin(), file.end(), '\n') != k50k) state.SkipWithError("wrong line count");
    state.counters["file_MB"] = file.size() / 1e6;
    Deselect(form);
}

// Each run reads the same 100,000 new tags, each with its EID; the rows it added go between runs.
void AllflexTagBucket100000Lines(benchmark::State& state) {
    frmMain& form = ShownWindow(k50k);
    const std::string path = Shared(k50k).home.root + "/bucket.txt";
    std::string bucket;
    for (int i = 0; i < 100000; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "8400%012X,UK0999999 %06d,1,2\r\n", 0x1000000 + i, i);
        bucket += line;
    }
    FileSystem::WriteAll(path, bucket);
    const std::string last = LastAnimal();
    auto previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>(path));
    for (auto _ : state) {
        form.mnuGetAllflexTagBucket_Click();
        Settle();
        state.PauseTiming();
        if (form.glngGridAnimalsAndTags != k50k + 100000) state.SkipWithError("wrong row count");
        RemoveImported(last);
        state.ResumeTiming();
    }
    Prompts::SetHandler(std::move(previous));
    Refresh(form);
}

// Moving 10,000 of the 50,000 animals, each with its 10 earlier moves, to a location: the
// keeper's answers, each animal's script and the grid refreshed with the 10,000 still selected.
// All animals are shown, so that those moved off stay in the grid.
constexpr int kMoved = 10000;

frmMain& TenThousandSelected() {
    frmMain& form = ShownWindow(k50k);
    if (!form.optAllAnimals->isChecked()) form.optAllAnimals->setChecked(true);
    Settle();
    form.grdAnimals->SelClear();
    for (long row = 0; row < kMoved; ++row) form.grdAnimals->SelAdd(form.mrsAnimalEID().BookmarkAt(row));
    return form;
}

void MoveSelected(benchmark::State& state, long location, const char* name) {
    frmMain& form = TenThousandSelected();
    auto previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>("", kMoveDate));
    for (auto _ : state) {
        form.Assign(form.lstLocations, location, name);
        Settle();
    }
    Prompts::SetHandler(std::move(previous));
    const long moved =
        static_cast<long>(modCommon::Database()
                              .GetConnection()
                              .Query("SELECT count(*) FROM LocationLink WHERE LocationID=" + std::to_string(location) +
                                     " AND EventDate='" + kMoveDate + " 00:00:00'")
                              .Field(0)
                              .ToLong());
    if (moved != kMoved || form.glngSelectedAnimalsAndTags != kMoved) state.SkipWithError("not every animal moved");
}

// The reference: the refresh alone, on the same grid with the same selection.
void GridRefresh10kOf50kSelected_Reference(benchmark::State& state) {
    frmMain& form = TenThousandSelected();
    for (auto _ : state) Refresh(form);
    if (form.glngSelectedAnimalsAndTags != kMoved) state.SkipWithError("the selection was not kept");
    Deselect(form);
}

// ---- The run, in the order that builds each register once ---------------------------------------

std::vector<long> gSizes{50000, 200000};

void RegisterAll() {
    using benchmark::RegisterBenchmark;
    const auto ms = benchmark::kMillisecond;
    RegisterBenchmark("StartToFilledMainWindow/EmptyRegister_Reference", StartToFilledMainWindow, 0)
        ->Unit(ms)
        ->Iterations(10);
    for (long size : gSizes) {
        const int animals = static_cast<int>(size);
        const std::string n = "/" + std::to_string(animals);
        const int rounds = animals > 100000 ? 3 : 5;
        auto add = [&](const std::string& name, auto... how) {
            return RegisterBenchmark((name + n).c_str(), how..., animals)->Unit(ms);
        };
        add("StartToFilledMainWindow", StartToFilledMainWindow)->Iterations(3);
        add("StartPeakMemory", StartPeakMemory)->Iterations(1);
        add("GridQueryBySqlite3ToolPeakMemory_Reference", GridQueryBySqlite3ToolPeakMemory_Reference)->Iterations(1);
        add("GridRefreshNoneSelected", [](benchmark::State& s, int a) {
            GridRefresh(s, a, false);
        })->Iterations(rounds);
        add("GridRefreshAllSelected", [](benchmark::State& s, int a) { GridRefresh(s, a, true); })->Iterations(rounds);
        add("GridQueryBySqlite3Tool_Reference", GridQueryBySqlite3Tool_Reference)->Iterations(rounds * 2);
        add("MoveEverySelected", MoveEverySelected)->Iterations(3);
        add("MoveBySqlite3ToolInsertSelect_Reference", MoveBySqlite3ToolInsertSelect_Reference)->Iterations(3);
        add("MoveBySqlite3ToolScript_Reference", MoveBySqlite3ToolScript_Reference)->Iterations(3);
        add("AnimalImport5000Lines", AnimalImport5000Lines)->Iterations(rounds);
        add("AnimalImportByPython_Reference", AnimalImportByPython_Reference)->Iterations(rounds);
        if (animals > 200000) continue;
        add("QtSelectAll_Reference", QtSelectAll_Reference)->Iterations(rounds);
        add("SelectEverything", [](benchmark::State& s, int a) { SelectEverything(s, a, 0); })->Iterations(rounds);
        add("SelectEverythingMovementHistoryShowing", [](benchmark::State& s, int a) {
            SelectEverything(s, a, kMovementHistoryTab);
        })->Iterations(3);
        add("GridQueryBySqlite3ToolFormerIndexes", GridQueryBySqlite3ToolFormerIndexes)->Iterations(rounds * 2);
        if (animals != k50k) continue;
        RegisterBenchmark("AnimalCSVExport50kSelected", AnimalCSVExport50kSelected)->Unit(ms)->MinTime(3);
        RegisterBenchmark("AllflexTagBucket100000Lines", AllflexTagBucket100000Lines)->Unit(ms)->MinTime(3);
        RegisterBenchmark("MoveSelected/ToGrasskeep_10kOf50kSelected", MoveSelected, 4, "Top Field")
            ->Unit(ms)
            ->Iterations(3);
        RegisterBenchmark("MoveSelected/ToSold_10kOf50kSelected", MoveSelected, 5, "Market")->Unit(ms)->Iterations(3);
        RegisterBenchmark("GridRefresh10kOf50kSelected_Reference", GridRefresh10kOf50kSelected_Reference)
            ->Unit(ms)
            ->MinTime(3);
    }
}

void AddRatios(BenchRatios& ratios) {
    for (long size : gSizes) {
        const std::string n = "/" + std::to_string(size);
        ratios.Add("StartToFilledMainWindow" + n, "StartToFilledMainWindow/EmptyRegister_Reference");
        ratios.Add("StartPeakMemory" + n, "GridQueryBySqlite3ToolPeakMemory_Reference" + n, "peak_MB");
        for (const char* refresh : {"GridRefreshNoneSelected", "GridRefreshAllSelected"})
            ratios.Add(refresh + n, "GridQueryBySqlite3Tool_Reference" + n);
        ratios.Add("MoveEverySelected" + n, "MoveBySqlite3ToolInsertSelect_Reference" + n);
        ratios.Add("MoveEverySelected" + n, "MoveBySqlite3ToolScript_Reference" + n);
        ratios.Add("AnimalImport5000Lines" + n,
                   std::vector<std::string>{"AnimalImportByPython_Reference" + n, "GridRefreshNoneSelected" + n});
        ratios.Add("SelectEverything" + n, "QtSelectAll_Reference" + n);
        ratios.Add("SelectEverythingMovementHistoryShowing" + n, "QtSelectAll_Reference" + n);
        ratios.Add("GridQueryBySqlite3ToolFormerIndexes" + n, "GridQueryBySqlite3Tool_Reference" + n);
    }
    ratios.Add("MoveSelected/ToGrasskeep_10kOf50kSelected", "GridRefresh10kOf50kSelected_Reference");
    ratios.Add("MoveSelected/ToSold_10kOf50kSelected", "GridRefresh10kOf50kSelected_Reference");
    ratios.AddGrowth("StartToFilledMainWindow", {}, gSizes);
    ratios.AddGrowth("StartPeakMemory", {"GridQueryBySqlite3ToolPeakMemory_Reference"}, gSizes, "peak_MB");
    for (const char* refresh : {"GridRefreshNoneSelected", "GridRefreshAllSelected"})
        ratios.AddGrowth(refresh, {"GridQueryBySqlite3Tool_Reference"}, gSizes);
    ratios.AddGrowth("MoveEverySelected", {"MoveBySqlite3ToolInsertSelect_Reference"}, gSizes);
    ratios.AddGrowth("MoveEverySelected", {"MoveBySqlite3ToolScript_Reference"}, gSizes);
    ratios.AddGrowth("AnimalImport5000Lines", {"AnimalImportByPython_Reference", "GridRefreshNoneSelected"}, gSizes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], kStartOnly) == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return StartOnly(argc, argv);
    }
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--with_500000") == 0) gSizes.push_back(500000);
    RegisterAll();
    BenchRatios ratios;
    AddRatios(ratios);
    return RunBenchmarksInApplication(
        argc, argv, [] { gRegister.reset(); }, &ratios);
}
