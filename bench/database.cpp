// Reading a large table into a recordset, and bulk inserts in one transaction.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/modSchema.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"

namespace {

constexpr int kRows = 50000;

std::string MakeTable(const std::string& folder) {
    std::string path = folder + "/bench.mdb";
    Connection db;
    db.Open(path, true);
    db.Execute("CREATE TABLE Animals (AnimalID INTEGER PRIMARY KEY AUTOINCREMENT, AnimalType INTEGER, "
               "TagNumber TEXT COLLATE NOCASE, TagSort INTEGER, DateOfBirth TEXT, GenderID INTEGER, "
               "BreedID INTEGER, DeathReason TEXT, Species INTEGER, TaggingDate TEXT)");
    Connection::Transaction transaction(db);
    for (int i = 0; i < kRows; ++i)
        db.Execute("INSERT INTO Animals (AnimalType, TagNumber, TagSort, DateOfBirth, GenderID, BreedID, "
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

}  // namespace

BENCHMARK_MAIN();
