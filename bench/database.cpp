// Reading a large table into a recordset, bulk inserts in one transaction, and a
// 50,000-row register behind a grid: rows found by bookmark, the model's reset with the data()
// calls of a first screen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include <chrono>
#include <filesystem>

#include "core/modSchema.h"
#include "fixtures/BenchApplication.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/RecordsetModel.h"

namespace {

constexpr int kRows = 50000;

std::string MakeTable(const std::string& folder) {
    std::string path = folder + "/bench.mdb";
    Connection db;
    db.Open(path, true);
    db.Execute(
        "CREATE TABLE Animals (AnimalID INTEGER PRIMARY KEY AUTOINCREMENT, AnimalType INTEGER, "
        "TagNumber TEXT COLLATE NOCASE, TagSort INTEGER, DateOfBirth TEXT, GenderID INTEGER, "
        "BreedID INTEGER, DeathReason TEXT, Species INTEGER, TaggingDate TEXT)");
    Connection::Transaction transaction(db);
    for (int i = 0; i < kRows; ++i)
        db.Execute(
            "INSERT INTO Animals (AnimalType, TagNumber, TagSort, DateOfBirth, GenderID, BreedID, "
            "DeathReason, Species, TaggingDate) VALUES (1, ?, ?, '2020-04-01 00:00:00', 1, 2, NULL, 2, "
            "'2020-05-01 00:00:00')",
            {Value("UK 0123456 " + std::to_string(i)), Value(i)});
    transaction.Commit();
    return path;
}

void OpenRecordset50k(benchmark::State& state) {
    std::string folder = FileSystem::MakeTempFolder();
    std::string path = MakeTable(folder);
    Connection db;
    db.Open(path);
    for (auto _ : state) {
        Recordset rs = db.Query("SELECT * FROM Animals ORDER BY TagSort");
        if (rs.RecordCount() != kRows) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(rs);
    }
    db.Close();
    std::filesystem::remove_all(folder);
}
BENCHMARK(OpenRecordset50k)->Unit(benchmark::kMillisecond);

void Execute50kInsertsInOneTransaction(benchmark::State& state) {
    std::string folder = FileSystem::MakeTempFolder();
    std::string path = folder + "/bench.mdb";
    modSchema::CreateTemplate(path);
    Connection db;
    db.Open(path);
    for (auto _ : state) {
        Connection::Transaction transaction(db);
        for (int i = 0; i < kRows; ++i)
            db.Execute("INSERT INTO GroupLink (GroupID, AnimalID) VALUES (1," + std::to_string(i) + ")");
        transaction.Commit();
        state.PauseTiming();
        db.Execute("DELETE FROM GroupLink");
        state.ResumeTiming();
    }
    db.Close();
    std::filesystem::remove_all(folder);
}
BENCHMARK(Execute50kInsertsInOneTransaction)->Unit(benchmark::kMillisecond);

// One table for the grid's benchmarks, made once.
struct Database {
    std::string folder = FileSystem::MakeTempFolder();
    Connection db;
    Database() { db.Open(MakeTable(folder)); }
    ~Database() {
        db.Close();
        std::filesystem::remove_all(folder);
    }
};

Database& Shared() {
    static Database database;
    return database;
}

const char* const kQuery = "SELECT * FROM Animals ORDER BY TagSort";

// The place of every row's bookmark, in a view sorted otherwise than the rows were read.
void RowOfEveryRow50k(benchmark::State& state) {
    Recordset rs = Shared().db.Query(kQuery);
    rs.Sort("TagNumber DESC");
    for (auto _ : state) {
        long found = 0;
        for (Recordset::Bookmark b = 0; b < kRows; ++b) found += rs.RowOf(b) >= 0;
        if (found != kRows) state.SkipWithError("a row was not found");
    }
}
BENCHMARK(RowOfEveryRow50k)->Unit(benchmark::kMillisecond);

// The same after each of a run of deletes, which leaves the reverse index to be rebuilt.
void RowOfEveryRowAfterADelete50k(benchmark::State& state) {
    Recordset rs = Shared().db.Query(kQuery);
    Recordset memory;  // deletes in memory leave the database alone
    memory.AppendField("Tag");
    memory.Open();
    for (int i = 0; i < kRows; ++i) {
        memory.AddNew();
        memory.SetField(0, rs.At(i, 2));
    }
    memory.Update();
    memory.Sort("Tag");
    for (auto _ : state) {
        state.PauseTiming();
        memory.MoveFirst();
        memory.Delete();
        state.ResumeTiming();
        long found = 0;
        for (Recordset::Bookmark b = 0; b < kRows; ++b) found += memory.RowOf(b) >= 0;
        if (found != memory.Rows()) state.SkipWithError("wrong rows found");
    }
}
BENCHMARK(RowOfEveryRowAfterADelete50k)->Unit(benchmark::kMillisecond)->Iterations(200);

// A grid's first screen: 40 rows of every column, in the roles a table view asks for.
long FirstScreen(const RecordsetModel& model) {
    static const int roles[] = {Qt::DisplayRole,    Qt::DecorationRole, Qt::FontRole,       Qt::TextAlignmentRole,
                                Qt::BackgroundRole, Qt::ForegroundRole, Qt::CheckStateRole, Qt::ToolTipRole};
    long shown = 0;
    for (int row = 0; row < 40; ++row)
        for (int column = 0; column < model.columnCount(); ++column)
            for (int role : roles) shown += model.data(model.index(row, column), role).isValid();
    return shown;
}

// The query, then the model's reset under a table view and the first screen's data() calls;
// the time is that of the model's part, the query's own is the counter beside it.
void ModelResetAndFirstScreen50k(benchmark::State& state) {
    RecordsetModel model;
    model.SetShown(5, Qt::DisplayRole, [](const Recordset& rows, long row) {
        static const QVariant genders[] = {"Male", "Female", "Castrate"};
        return genders[rows.At(row, 5).ToLong() % 3];
    });
    QTableView view;
    view.setModel(&model);
    view.resize(1000, 700);
    double queryMs = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        Recordset rs = Shared().db.Query(kQuery);
        auto t1 = std::chrono::steady_clock::now();
        model.SetRecordset(std::move(rs));
        benchmark::DoNotOptimize(FirstScreen(model));
        auto t2 = std::chrono::steady_clock::now();
        queryMs += std::chrono::duration<double, std::milli>(t1 - t0).count();
        state.SetIterationTime(std::chrono::duration<double>(t2 - t1).count());
        QCoreApplication::processEvents();  // back in the event loop, the rows before are freed
    }
    state.counters["query_ms"] = queryMs / static_cast<double>(state.iterations());
    if (model.rowCount() != kRows) state.SkipWithError("wrong row count");
}
BENCHMARK(ModelResetAndFirstScreen50k)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksInApplication(argc, argv); }
