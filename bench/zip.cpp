// Zip and unzip of a 50 MB database, as the online backup and restore do them, beside the
// commands at the same compression level on the same file and the same number of threads: the
// backup's four threads beside "pigz -6 -p4", one thread beside "zip -6" and "pigz -6 -p1". The
// archive's size is the counter "zip_MB" ("gz_MB" for pigz).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "backup/cUnzip.h"
#include "backup/cZip.h"
#include "fixtures/BenchRatios.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/Zip.h"

namespace {

constexpr long long TargetBytes = 50LL * 1024 * 1024;

struct Files {
    std::string folder, database, archive, target;
};

// A database of livestock-like rows (tags, EIDs, dates, notes) grown to 50 MB.
const Files& Prepared() {
    static const Files files = [] {
        Files f;
        f.folder = FileSystem::MakeTempFolder();
        f.database = f.folder + "/Kelvo.mdb";
        f.archive = f.folder + "/Kelvo.zip";
        f.target = f.folder + "/out";
        FileSystem::CreateDirectories(f.target);
        Connection db;
        db.Open(f.database, true);
        db.Execute(
            "CREATE TABLE Animals (AnimalID INTEGER PRIMARY KEY AUTOINCREMENT, TagNumber TEXT, "
            "TagSort INTEGER, DateOfBirth TEXT, EIDNumber TEXT, Note TEXT)");
        std::mt19937 rng(42);
        const char* words[] = {"wormed",  "lame",       "moved to",  "north field", "calved", "twins",
                               "weighed", "vaccinated", "bought at", "market",      "heifer", "ram"};
        long id = 0;
        while (FileSystem::Size(f.database) < TargetBytes) {
            Connection::Transaction transaction(db);
            for (int i = 0; i < 20000; ++i, ++id) {
                char tag[32], eid[17], date[20];
                std::snprintf(tag, sizeof tag, "UK%07u %05ld", static_cast<unsigned>(rng() % 10000000), id % 100000);
                std::snprintf(eid, sizeof eid, "%016llX",
                              0x8000000000000000ULL | (static_cast<unsigned long long>(rng()) << 20 | id));
                std::snprintf(date, sizeof date, "20%02u-%02u-%02u 00:00:00", static_cast<unsigned>(10 + rng() % 14),
                              static_cast<unsigned>(1 + rng() % 12), static_cast<unsigned>(1 + rng() % 28));
                std::string note;
                for (int w = 0; w < 8; ++w) note += std::string(words[rng() % 12]) + " ";
                db.Execute("INSERT INTO Animals (TagNumber, TagSort, DateOfBirth, EIDNumber, Note) VALUES (?,?,?,?,?)",
                           {Value(std::string(tag)), Value(static_cast<std::int64_t>(id % 100000)),
                            Value(std::string(date)), Value(std::string(eid)), Value(note)});
            }
            transaction.Commit();
        }
        db.Close();
        return f;
    }();
    return files;
}

// The backup's zip: four threads.
void ZipDatabase(benchmark::State& state) {
    const Files& f = Prepared();
    for (auto _ : state) {
        FileSystem::Remove(f.archive);
        cZip zip;
        zip.SetZipFile(f.archive);
        zip.AddFileSpec(f.database);
        zip.Zip();
        if (!zip.Success()) state.SkipWithError("zip failed");
    }
    state.SetBytesProcessed(state.iterations() * FileSystem::Size(f.database));
    state.counters["database_MB"] = FileSystem::Size(f.database) / 1048576.0;
    state.counters["zip_MB"] = FileSystem::Size(f.archive) / 1048576.0;
}

void ZipDatabaseOneThread(benchmark::State& state) {
    const Files& f = Prepared();
    const std::string archive = f.folder + "/one.zip";
    for (auto _ : state) {
        FileSystem::Remove(archive);
        Zip::AddOptions oneThread;
        oneThread.threads = 1;
        Zip::Add(archive, {{f.database, "Kelvo.mdb"}}, oneThread);
    }
    state.SetBytesProcessed(state.iterations() * FileSystem::Size(f.database));
    state.counters["zip_MB"] = FileSystem::Size(archive) / 1048576.0;
}

// Runs a command on the database `state.iterations()` times; `archive` is what it writes.
void TimeCommand(benchmark::State& state, const std::string& command, const std::string& archive, const char* counter) {
    for (auto _ : state) {
        FileSystem::Remove(archive);
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed (is it installed?): " + command).c_str());
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * FileSystem::Size(Prepared().database));
    state.counters[counter] = FileSystem::Size(archive) / 1048576.0;
}

// "zip -6" (Info-ZIP, one thread) storing the same file under its bare name.
void ZipCommandLevel6_Reference(benchmark::State& state) {
    const Files& f = Prepared();
    const std::string archive = f.folder + "/reference.zip";
    TimeCommand(state, "zip -q -6 -j '" + archive + "' '" + f.database + "'", archive, "zip_MB");
}

// "pigz -6" on `threads` threads, the same deflate level and the same file, to a .gz file.
void PigzLevel6_Reference(benchmark::State& state, int threads) {
    const Files& f = Prepared();
    const std::string archive = f.folder + "/reference.gz";
    TimeCommand(state, "pigz -6 -p" + std::to_string(threads) + " -c '" + f.database + "' > '" + archive + "'", archive,
                "gz_MB");
}

void UnzipDatabase(benchmark::State& state) {
    const Files& f = Prepared();
    if (!FileSystem::Exists(f.archive)) {
        cZip zip;
        zip.SetZipFile(f.archive);
        zip.AddFileSpec(f.database);
        zip.Zip();
    }
    for (auto _ : state) {
        cUnzip unzip;
        unzip.SetZipFile(f.archive);
        unzip.SetUnzipFolder(f.target);
        unzip.SetOverwriteExisting(true);
        if (!unzip.Unzip()) state.SkipWithError("unzip failed");
    }
    state.SetBytesProcessed(state.iterations() * FileSystem::Size(f.database));
}

// Wall time throughout: the commands' work is not this process's CPU time.
BENCHMARK(ZipDatabase)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK_CAPTURE(PigzLevel6_Reference, FourThreads, 4)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(ZipDatabaseOneThread)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(ZipCommandLevel6_Reference)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK_CAPTURE(PigzLevel6_Reference, OneThread, 1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(UnzipDatabase)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    BenchRatios ratios;
    ratios.Add("ZipDatabase", "PigzLevel6_Reference/FourThreads");
    ratios.Add("ZipDatabase", "ZipCommandLevel6_Reference", "zip_MB");
    ratios.Add("ZipDatabaseOneThread", "PigzLevel6_Reference/OneThread");
    ratios.Add("ZipDatabaseOneThread", "ZipCommandLevel6_Reference");
    benchmark::RunSpecifiedBenchmarks(&ratios);
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(Prepared().folder, ignored);
    return 0;
}
