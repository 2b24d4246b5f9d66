// A stick import at the wire's own speed: 5,000 reads into a register of 20,000 animals (half
// the reads of animals the register knows), from the menu's opening of the stick reader window
// to the end of the import, over a simulated stick whose line carries 1,920 bytes a second
// (19,200 baud) with no time-outs scaled. Its reference in the same run is the pure wire time:
// every byte of the commands and replies, both ways, at that speed. The import's database part
// (the register read into its indexes, every read filed, the commit) is timed on its own.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>

#include <time.h>
#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "core/modRegistry.h"
#include "devices/StickReadImport.h"
#include "devices/frmStickReader.h"
#include "devices/modHandheld.h"
#include "fixtures/BenchApplication.h"
#include "fixtures/BenchHome.h"
#include "fixtures/StickWire.h"
#include "platform/Connection.h"
#include "platform/IniFile.h"
#include "sim/SimStick.h"

namespace {

constexpr int kAnimals = 20000;
constexpr int kReads = 5000;
constexpr long kDecimalFormat = 2;
constexpr long kPort = 5;
using Clock = std::chrono::steady_clock;

// The stored code of an Irish tag with national number n.
std::string EID(unsigned long long n) { return StickWire::EID(372, n); }

// 20,000 owned animals, each with its EID and the tag text the import would give it.
void FillRegister(Connection& db) {
    Connection::Transaction transaction(db);
    for (int i = 0; i < kAnimals; ++i) {
        const std::string tag = StickReadImport::TagText(EID(i), kDecimalFormat);
        db.Execute("INSERT INTO Animals (AnimalType, TagNumber, TagSort, Species) VALUES (1,?,?,2)",
                   {Value(tag), Value(modCommon::GetTagSortFromTag(tag))});
        db.Execute("INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (?,?)", {Value(db.LastInsertId()), Value(EID(i))});
    }
    transaction.Commit();
}

// Every other read is of a known animal, spread over the register; the rest are new. The
// reads fall into four stick groups.
std::vector<StickReadImport::StickRead> Reads() {
    std::vector<StickReadImport::StickRead> reads;
    for (int i = 0; i < kReads; ++i) {
        const unsigned long long n = i % 2 == 0 ? static_cast<unsigned long long>(i) * 4 : 1000000ULL + i;
        reads.push_back({EID(n), std::string(1, static_cast<char>('1' + i % 4)), "120324090000"});
    }
    return reads;
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void StickImportAtNineteenThousandTwoHundredBaud(benchmark::State& state) {
    setenv("KELVO_TIME_SCALE", "1", 1);
    for (auto _ : state) {
        BenchHome home;
        modCommon::VersionCheck();
        modCommon::Species = 2;
        FillRegister(modCommon::Database().GetConnection());
        SimStick stick;
        IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", stick.SlavePath(),
                       "COM" + std::to_string(kPort));
        modCommon::SetLastUsedComPort(2, kPort);
        stick.SetConfigValue(19, std::to_string(kDecimalFormat));
        for (const auto& read : Reads()) stick.AddRecordText(read.hexEID + "|" + read.group + "|" + read.readTime);
        const std::map<char, std::string> payloads = {
            {'t', std::string(12, '0')},
            {'c', StickWire::ConfigurationPayload(stick)},
            {'r', modHandheld::JoinText(stick.Records(), modHandheld::ItemSeparator)}};
        stick.SetBytesPerSecond(StickWire::BytesPerSecond);
        stick.Start();

        const auto start = Clock::now();
        const double cpuStart = ThreadCpuSeconds();
        frmStickReader::Open(1, nullptr);
        while (frmStickReader::Loaded() && !frmStickReader::Loaded()->cmdQuit->isEnabled()) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const double total = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = ThreadCpuSeconds() - cpuStart;
        state.SetIterationTime(total);

        const double wire = StickWire::Seconds(stick, payloads);
        state.counters["total_s"] = total;
        state.counters["wire_s"] = wire;
        state.counters["ratio"] = total / wire;
        state.counters["cpu_share"] = cpu / total;  // of the program's thread, the stick's apart
        const long animals =
            modCommon::Database().GetConnection().Query("SELECT COUNT(*) FROM Animals").At(0, 0).ToLong();
        if (animals != kAnimals + kReads / 2 || !stick.Records().empty())
            state.SkipWithError("the import did not end well");
        DefaultInstance<frmStickReader>::Unload();
        stick.Stop();
    }
}
BENCHMARK(StickImportAtNineteenThousandTwoHundredBaud)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void StickImportDatabasePart(benchmark::State& state) {
    BenchHome home;
    modCommon::VersionCheck();
    FillRegister(modCommon::Database().GetConnection());
    home.KeepPristine();
    const std::vector<StickReadImport::StickRead> reads = Reads();
    long created = 0;
    for (auto _ : state) {
        Connection db;
        home.OpenPristineCopy(state, db);
        StickReadImport import(db, kDecimalFormat, StickReadImport::GroupNameStem(DateTime::Now()), 2);
        created = import.Import(reads).created;
    }
    if (created != kReads / 2) state.SkipWithError("wrong number of animals made");
}
BENCHMARK(StickImportDatabasePart)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksInApplication(argc, argv); }
