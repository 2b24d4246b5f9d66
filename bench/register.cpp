// The main window on registers of 50,000 and 200,000 sheep with 10 movements each, every figure
// beside a reference in the same run:
// - start to the filled main window (the gateway opening the file, the schema check, the window
//   and its first screen), beside the same start on an empty register;
// - Select Everything in the Grid (the click and what it posts, drawn), beside Qt's own select-all
//   of a table view over the same rows; with the Movement History tab showing, the click until
//   the pane's first screen is drawn;
// - the grid refresh with no animal and with every animal selected; the resident memory of the
//   process with the grid shown is the counter "rss_MB";
// - the grid's query in the sqlite3 command-line tool, on the register as this program keeps it
//   and on a copy with the indexes the program kept before (LocationLink by animal and date,
//   Animals by TagSort), the SQL the same;
// - at 50,000: the CSV export of every animal's details, an Allflex tag bucket of 100,000 new
//   tags read in with the grid refreshed after it, and moving 10,000 selected animals on and off
//   the holding beside the grid refresh alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "fixtures/BenchApplication.h"
#include "fixtures/BenchHome.h"
#include "fixtures/BenchPrompts.h"
#include "fixtures/BenchRatios.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/RecordsetModel.h"
#include "register/frmMain.h"
#include "widgets/DataGrid.h"
#include "widgets/TabControl.h"

namespace {

constexpr int kMovementHistoryTab = 8;

// A register of `animals` sheep in a data folder of its own, and the main window over it.
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
        modCommon::CountryName = "England";
        modCommon::Species = 2;
    }
    ~Register() { DefaultInstance<frmMain>::Unload(); }
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

void ShowTab(frmMain& form, int tab) {
    form.tabDetails->SetCurrentTab(tab);
    Settle();
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

// ---- Select Everything -----------------------------------------------------------------------

void SelectEverything(benchmark::State& state, int animals, int tab) {
    frmMain& form = ShownWindow(animals);
    ShowTab(form, tab);
    for (auto _ : state) {
        form.cmdSelectAll_Click();
        Settle();
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
    if (allSelected) {
        form.cmdSelectAll_Click();
        Settle();
    }
    for (auto _ : state) Refresh(form);
    if (form.glngGridAnimalsAndTags != animals) state.SkipWithError("wrong row count");
    if (form.glngSelectedAnimalsAndTags != (allSelected ? animals : 0))
        state.SkipWithError("the selection was not kept");
    state.counters["rss_MB"] = ResidentMegabytes();
    if (allSelected) Deselect(form);
}

// ---- The grid's query in the sqlite3 tool ---------------------------------------------------------

// Runs the grid's query in the sqlite3 tool on `file`, its output thrown away. Now() is the
// program's own function; the tool has the local time in its place.
void TimeToolQuery(benchmark::State& state, const std::string& file, const std::string& script) {
    const std::string command = "sqlite3 '" + file + "' < '" + script + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("the sqlite3 tool failed (is it installed?)");
}

std::string ToolScript(int animals) {
    frmMain& form = ShownWindow(animals);
    std::string sql = form.GetGridSQL();
    for (std::size_t at; (at = sql.find("Now()")) != std::string::npos;)
        sql.replace(at, 5, "datetime('now','localtime')");
    const std::string script = Shared(animals).home.root + "/grid.sql";
    std::ofstream(script) << sql << ";\n";
    return script;
}

void GridQueryBySqlite3Tool(benchmark::State& state, int animals) {
    const std::string script = ToolScript(animals);
    TimeToolQuery(state, modCommon::Database().GetDatabaseFilespec(), script);
}

// The reference: the same SQL on a copy of the register with only the indexes the grid's query
// had before (LocationLink by animal and date, Animals by TagSort and by TagNumber).
void GridQueryBySqlite3ToolFormerIndexes_Reference(benchmark::State& state, int animals) {
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
}

// ---- At 50,000: exports, a tag bucket and moves ---------------------------------------------------

constexpr int k50k = 50000;

void AnimalCSVExport50kSelected(benchmark::State& state) {
    frmMain& form = ShownWindow(k50k);
    form.cmdSelectAll_Click();
    Settle();
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
    Connection& db = modCommon::Database().GetConnection();
    const std::string last = std::to_string(db.Query("SELECT MAX(AnimalID) FROM Animals").Field(0).ToLong());
    auto previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>(path));
    for (auto _ : state) {
        form.mnuGetAllflexTagBucket_Click();
        Settle();
        state.PauseTiming();
        if (form.glngGridAnimalsAndTags != k50k + 100000) state.SkipWithError("wrong row count");
        db.Execute("DELETE FROM EIDs WHERE AnimalID>" + last);
        db.Execute("DELETE FROM Animals WHERE AnimalID>" + last);
        state.ResumeTiming();
    }
    Prompts::SetHandler(std::move(previous));
    form.tmrSetGridRecords_Timer();
}

// Moving 10,000 of the 50,000 animals, each with its 10 earlier moves, to a location: the
// keeper's answers, each animal's script and the grid refreshed with the 10,000 still selected.
// All animals are shown, so that those moved off stay in the grid.
constexpr int kMoved = 10000;
const char* const kMoveDate = "2024-06-01";

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

void RegisterAll() {
    using benchmark::RegisterBenchmark;
    const auto ms = benchmark::kMillisecond;
    RegisterBenchmark("StartToFilledMainWindow/EmptyRegister_Reference", StartToFilledMainWindow, 0)
        ->Unit(ms)
        ->Iterations(10);
    for (int animals : {50000, 200000}) {
        const std::string n = "/" + std::to_string(animals);
        const int rounds = animals > 100000 ? 3 : 5;
        RegisterBenchmark(("StartToFilledMainWindow" + n).c_str(), StartToFilledMainWindow, animals)
            ->Unit(ms)
            ->Iterations(3);
        RegisterBenchmark(("QtSelectAll_Reference" + n).c_str(), QtSelectAll_Reference, animals)
            ->Unit(ms)
            ->Iterations(rounds);
        RegisterBenchmark(("SelectEverything" + n).c_str(), SelectEverything, animals, 0)->Unit(ms)->Iterations(rounds);
        RegisterBenchmark(("SelectEverythingMovementHistoryShowing" + n).c_str(), SelectEverything, animals,
                          kMovementHistoryTab)
            ->Unit(ms)
            ->Iterations(3);
        RegisterBenchmark(("GridRefreshNoneSelected_Reference" + n).c_str(), GridRefresh, animals, false)
            ->Unit(ms)
            ->Iterations(rounds);
        RegisterBenchmark(("GridRefreshAllSelected" + n).c_str(), GridRefresh, animals, true)
            ->Unit(ms)
            ->Iterations(rounds);
        RegisterBenchmark(("GridQueryBySqlite3ToolFormerIndexes_Reference" + n).c_str(),
                          GridQueryBySqlite3ToolFormerIndexes_Reference, animals)
            ->Unit(ms)
            ->Iterations(rounds * 2);
        RegisterBenchmark(("GridQueryBySqlite3Tool" + n).c_str(), GridQueryBySqlite3Tool, animals)
            ->Unit(ms)
            ->Iterations(rounds * 2);
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

}  // namespace

int main(int argc, char** argv) {
    RegisterAll();
    BenchRatios ratios;
    for (const char* n : {"/50000", "/200000"}) {
        ratios.Add(std::string("StartToFilledMainWindow") + n, "StartToFilledMainWindow/EmptyRegister_Reference");
        ratios.Add(std::string("SelectEverything") + n, std::string("QtSelectAll_Reference") + n);
        ratios.Add(std::string("SelectEverythingMovementHistoryShowing") + n, std::string("QtSelectAll_Reference") + n);
        ratios.Add(std::string("GridRefreshAllSelected") + n, std::string("GridRefreshNoneSelected_Reference") + n);
        ratios.Add(std::string("GridQueryBySqlite3Tool") + n,
                   std::string("GridQueryBySqlite3ToolFormerIndexes_Reference") + n);
    }
    ratios.Add("MoveSelected/ToGrasskeep_10kOf50kSelected", "GridRefresh10kOf50kSelected_Reference");
    ratios.Add("MoveSelected/ToSold_10kOf50kSelected", "GridRefresh10kOf50kSelected_Reference");
    return RunBenchmarksInApplication(
        argc, argv, [] { gRegister.reset(); }, &ratios);
}
