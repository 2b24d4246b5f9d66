// The database gateway's whole-file work on large files: compaction at the program's end on a
// 100 MB database, the start-up check of that file, and a restore of a 50 MB backup. Each is
// timed beside a reference in the same run: compaction beside a compacted copy renamed over
// the file, a restore beside a plain copy of the backup's bytes.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modSchema.h"
#include "fixtures/BenchHome.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"

namespace {

// A database of this program of about `megabytes` of notes, made from the template; with `freed`, a
// tenth of its rows deleted again, as a file in use for a while has free pages: a contiguous
// tenth, so that whole pages are freed (every tenth row would leave each page nine tenths full).
std::string MakeDatabase(const std::string& path, int megabytes, bool freed) {
    FileSystem::Remove(path);
    modSchema::CreateTemplate(path);
    Connection db;
    db.Open(path);
    db.Begin();
    for (int i = 0; i < megabytes * 1660; ++i)
        db.Execute("INSERT INTO Notes (AnimalID, Note) VALUES (?, hex(randomblob(250)))", {Value(i % 50000)});
    db.Commit();
    if (freed) db.Execute("DELETE FROM Notes WHERE RecordID <= (SELECT max(RecordID) / 10 FROM Notes)");
    return path;
}

// Times `compact` on a fresh copy of a 100 MB file with free pages; `open`, untimed, comes
// before it each time.
template <class Open, class Compact>
void TimeCompaction(benchmark::State& state, Open open, Compact compact) {
    BenchHome home;
    std::string live = home.Live();
    modCommon::ReleaseDatabase();
    std::string pristine = MakeDatabase(home.root + "/pristine.mdb", 100, true);
    Connection check;
    check.Open(pristine);
    const long long freePages = check.Query("PRAGMA freelist_count").Field(0).ToLong();
    check.Close();
    if (freePages == 0) state.SkipWithError("the file has no free pages");
    for (auto _ : state) {
        state.PauseTiming();
        FileSystem::Copy(pristine, live);
        open();
        state.ResumeTiming();
        compact(live);
    }
    state.counters["MB"] = FileSystem::Size(pristine) / 1e6;
    state.counters["free_pages"] = static_cast<double>(freePages);
    state.counters["compacted_MB"] = FileSystem::Size(live) / 1e6;
}

void CompactAtExit100MB(benchmark::State& state) {
    TimeCompaction(
        state, [] { modCommon::Database(); }, [](const std::string&) { modCommon::ReleaseDatabase(); });
}
BENCHMARK(CompactAtExit100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// The way compaction went before: a compacted copy written beside the file and renamed over it.
void CompactByCopyAndRename100MB_Reference(benchmark::State& state) {
    TimeCompaction(
        state, [] {},
        [](const std::string& live) {
            Connection db;
            db.Open(live);
            db.VacuumInto(live + ".compacted");
            db.Close();
            FileSystem::Rename(live + ".compacted", live);
        });
}
BENCHMARK(CompactByCopyAndRename100MB_Reference)->Unit(benchmark::kMillisecond)->Iterations(3);

// Opening the 100 MB file at start-up, with the quick check that catches a damaged one.
void OpenAtStartUp100MB(benchmark::State& state) {
    BenchHome home;
    std::string live = home.Live();
    modCommon::ReleaseDatabase();
    MakeDatabase(live, 100, false);
    for (auto _ : state) {
        if (!modCommon::Database().DatabaseAvailable()) state.SkipWithError("the file did not open");
        state.PauseTiming();
        modCommon::ReleaseDatabase();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenAtStartUp100MB)->Unit(benchmark::kMillisecond)->Iterations(3);

void Restore50MBBackup(benchmark::State& state) {
    BenchHome home;
    std::string backup = MakeDatabase(home.root + "/backup.mdb", 50, false);
    modCommon::Database().Execute("INSERT INTO Animals (TagNumber) VALUES ('live')");
    for (auto _ : state)
        if (modCommon::Database().Restore(backup) != 0) state.SkipWithError("the restore failed");
    state.counters["MB"] = FileSystem::Size(backup) / 1e6;
}
BENCHMARK(Restore50MBBackup)->Unit(benchmark::kMillisecond)->Iterations(3);

// The floor of any restore: the backup's bytes copied once.
void Copy50MBFile_Reference(benchmark::State& state) {
    BenchHome home;
    std::string backup = MakeDatabase(home.root + "/backup.mdb", 50, false);
    for (auto _ : state) FileSystem::Copy(backup, home.root + "/copy.mdb");
}
BENCHMARK(Copy50MBFile_Reference)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
