// The main window on a register of 50,000 sheep with 10 movements each. The grid refresh: the
// query, the new recordset, the model's reset and the first screen drawn, beside the sqlite3
// command-line tool running the same query on the same file; the resident memory of the
// process with that grid shown is the counter "rss_MB". The CSV export of the details of all
// 50,000 selected, and an Allflex tag bucket of 100,000 new tags read into the register with
// the grid refreshed after it. Moving 10,000 selected animals to a location on the holding and
// then off it, beside the grid refresh alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRadioButton>

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
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/Connection.h"
#include "platform/DataGrid.h"
#include "register/frmMain.h"

namespace {

constexpr int kAnimals = 50000;

// The register in a data folder of its own, and the main window over it.
struct Register {
    BenchHome home;
    Register() {
        modCommon::VersionCheck();
        Connection& db = modCommon::Database().GetConnection();
        Connection::Transaction transaction(db);
        db.Execute(
            "INSERT INTO Locations (LocationName, LocationDescription, LocationType, Active, Permanent) VALUES "
            "('Top Field','',1,1,0), ('Market','',-3,1,0), ('Abattoir','',-2,1,0), ('Low Field','',0,1,0)");
        db.Execute("INSERT INTO Genders (GenderName, Species) VALUES ('Ewe',2), ('Ram',2)");
        db.Execute("INSERT INTO Breeds (BreedName, Species) VALUES ('Texel',2), ('Suffolk',2)");
        db.Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" + std::to_string(kAnimals) +
                   ") INSERT INTO Animals (AnimalType, TagNumber, TagSort, DateOfBirth, GenderID, BreedID, Species) "
                   "SELECT 1 + i % 3, 'UK0123456 ' || printf('%05d', i), i, '2020-04-01 00:00:00', 1 + i % 2, i % 3, 2 "
                   "FROM n");
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

std::unique_ptr<Register> gRegister;  // made on first use, gone before the application

Register& Shared() {
    if (!gRegister) gRegister = std::make_unique<Register>();
    return *gRegister;
}

frmMain& ShownWindow() {
    Shared();
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

// One refresh as the keeper meets it: the query, the grid's new rows and its first screen drawn.
void Refresh(frmMain& form) {
    form.tmrSetGridRecords_Timer();
    QCoreApplication::processEvents();
}

void GridRefresh50kAnimals10MovesEach(benchmark::State& state) {
    frmMain& form = ShownWindow();
    for (auto _ : state) Refresh(form);
    if (form.glngGridAnimalsAndTags != kAnimals) state.SkipWithError("wrong row count");
    state.counters["rss_MB"] = ResidentMegabytes();
}
BENCHMARK(GridRefresh50kAnimals10MovesEach)->Unit(benchmark::kMillisecond)->MinTime(3);

// The same with every row selected, which the refresh selects again by AnimalID.
void GridRefresh50kAllSelected(benchmark::State& state) {
    frmMain& form = ShownWindow();
    form.cmdSelectAll_Click();
    QCoreApplication::processEvents();
    for (auto _ : state) Refresh(form);
    if (form.glngSelectedAnimalsAndTags != kAnimals) state.SkipWithError("the selection was not kept");
    form.cmdDeSelectAll_Click();
    QCoreApplication::processEvents();
}
BENCHMARK(GridRefresh50kAllSelected)->Unit(benchmark::kMillisecond)->MinTime(3);

// The reference: the sqlite3 tool runs the grid's query on the same file, its output thrown
// away. Now() is the program's own function; the tool has the local time in its place.
void GridQuery50kBySqlite3Tool_Reference(benchmark::State& state) {
    frmMain& form = ShownWindow();
    std::string sql = form.GetGridSQL();
    for (std::size_t at; (at = sql.find("Now()")) != std::string::npos;)
        sql.replace(at, 5, "datetime('now','localtime')");
    const std::string script = Shared().home.root + "/grid.sql";
    std::ofstream(script) << sql << ";\n";
    const std::string command =
        "sqlite3 '" + modCommon::Database().GetDatabaseFilespec() + "' < '" + script + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("the sqlite3 tool failed (is it installed?)");
}
BENCHMARK(GridQuery50kBySqlite3Tool_Reference)->Unit(benchmark::kMillisecond)->MinTime(3);

void AnimalCSVExport50kSelected(benchmark::State& state) {
    frmMain& form = ShownWindow();
    form.cmdSelectAll_Click();
    QCoreApplication::processEvents();
    const std::string path = Shared().home.root + "/animals.csv";
    auto previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>(path));
    for (auto _ : state) form.ExportAnimalsCSV(false);
    Prompts::SetHandler(std::move(previous));
    const std::string file = FileSystem::ReadAll(path);
    if (std::count(file.begin(), file.end(), '\n') != kAnimals) state.SkipWithError("wrong line count");
    state.counters["file_MB"] = file.size() / 1e6;
    form.cmdDeSelectAll_Click();
    QCoreApplication::processEvents();
}
BENCHMARK(AnimalCSVExport50kSelected)->Unit(benchmark::kMillisecond)->MinTime(3);

// Each run reads the same 100,000 new tags, each with its EID; the rows it added go between runs.
void AllflexTagBucket100000Lines(benchmark::State& state) {
    frmMain& form = ShownWindow();
    const std::string path = Shared().home.root + "/bucket.txt";
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
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (form.glngGridAnimalsAndTags != kAnimals + 100000) state.SkipWithError("wrong row count");
        db.Execute("DELETE FROM EIDs WHERE AnimalID>" + last);
        db.Execute("DELETE FROM Animals WHERE AnimalID>" + last);
        state.ResumeTiming();
    }
    Prompts::SetHandler(std::move(previous));
    form.tmrSetGridRecords_Timer();
}
BENCHMARK(AllflexTagBucket100000Lines)->Unit(benchmark::kMillisecond)->MinTime(3);

// Moving 10,000 of the 50,000 animals, each with its 10 earlier moves, to a location: the
// keeper's answers, each animal's script and the grid refreshed with the 10,000 still selected.
// All animals are shown, so that those moved off stay in the grid.
constexpr int kMoved = 10000;
const char* const kMoveDate = "2024-06-01";

frmMain& TenThousandSelected() {
    frmMain& form = ShownWindow();
    if (!form.optAllAnimals->isChecked()) form.optAllAnimals->setChecked(true);
    QCoreApplication::processEvents();
    form.grdAnimals->SelClear();
    for (long row = 0; row < kMoved; ++row) form.grdAnimals->SelAdd(form.mrsAnimalEID().BookmarkAt(row));
    return form;
}

void MoveSelected(benchmark::State& state, long location, const char* name) {
    frmMain& form = TenThousandSelected();
    auto previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>("", kMoveDate));
    for (auto _ : state) {
        form.Assign(form.lstLocations, location, name);
        QCoreApplication::processEvents();
    }
    Prompts::SetHandler(std::move(previous));
    const long moved = static_cast<long>(
        modCommon::Database()
            .GetConnection()
            .Query("SELECT count(*) FROM LocationLink WHERE LocationID=" + std::to_string(location) +
                   " AND EventDate='" + kMoveDate + " 00:00:00'")
            .Field(0)
            .ToLong());
    if (moved != kMoved || form.glngSelectedAnimalsAndTags != kMoved) state.SkipWithError("not every animal moved");
}
BENCHMARK_CAPTURE(MoveSelected, ToGrasskeep_10kOf50kSelected, 4, "Top Field")
    ->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(MoveSelected, ToSold_10kOf50kSelected, 5, "Market")->Unit(benchmark::kMillisecond)->Iterations(3);

// The reference: the refresh alone, on the same grid with the same selection.
void GridRefresh10kOf50kSelected_Reference(benchmark::State& state) {
    frmMain& form = TenThousandSelected();
    for (auto _ : state) Refresh(form);
    if (form.glngSelectedAnimalsAndTags != kMoved) state.SkipWithError("the selection was not kept");
}
BENCHMARK(GridRefresh10kOf50kSelected_Reference)->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
    return RunBenchmarksInApplication(argc, argv, [] { gRegister.reset(); });
}
