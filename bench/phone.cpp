// The phone's import and export at the wire's own speed: 5,000 animals with EIDs, a fifth of
// them with a note, over a simulated phone whose line carries 1,920 bytes a second (19,200
// baud) with no time-outs scaled and its capacity raised (the window offers at most 4,000, so
// the export is called directly once the phone has answered). The reference in the same run
// is the pure wire time of every byte of the commands and replies, both ways. The import's
// database part (the register read into its indexes, every record filed, the commit) is
// timed on its own.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QGroupBox>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <thread>

#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "core/modRegistry.h"
#include "devices/MobilePhoneImport.h"
#include "devices/frmMobilePhone.h"
#include "devices/modHandheld.h"
#include "fixtures/BenchApplication.h"
#include "fixtures/BenchHome.h"
#include "fixtures/BenchPrompts.h"
#include "fixtures/StickWire.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "sim/SimPhone.h"

namespace {

constexpr int kAnimals = 5000;
constexpr int kNoted = 5;  // every fifth animal has a note
constexpr long kPort = 8;
using Clock = std::chrono::steady_clock;

std::string Tag(int i) { return "UK0" + std::to_string(100000 + i % 7) + " " + std::to_string(10000 + i); }
std::string NoteText(int i) { return "Seen lame on the " + std::to_string(i % 28 + 1) + "th, treated, check again"; }

// The phone's records of the animals it made, as getanim and getcom return them.
std::string AnimalRecords() {
    std::string payload;
    for (int i = 0; i < kAnimals; ++i)
        payload += (i ? "#" : "") + std::to_string(-1 - i) + "|" + Tag(i) + "|" + StickWire::EID(826, 1000 + i) +
                   "|2|20230401000000|1|Ewe||";
    return payload;
}
std::string CommentRecords() {
    std::string payload;
    for (int i = 0; i < kAnimals; i += kNoted)
        payload += (i ? "#" : "") + std::string("0|") + std::to_string(-1 - i) + "|" + NoteText(i) + "|20240105|0|1";
    return payload;
}

// The seconds the conversation takes on the line: each command line and its CR, each reply
// (its payload and the tail "(" word letter ")" CR).
double WireSeconds(const SimPhone& phone, const std::map<std::string, std::string>& payloads) {
    double bytes = 0;
    for (const std::string& line : phone.Received()) {
        const std::string word = line.substr(0, line.find(' '));
        const auto payload = payloads.find(word);
        bytes += static_cast<double>(line.size() + 1 + word.size() + 4 +
                                     (payload == payloads.end() ? 0 : payload->second.size()));
    }
    return bytes / StickWire::BytesPerSecond;
}

struct PhoneBench {
    BenchHome home;
    SimPhone phone;
    std::unique_ptr<Prompts::Handler> previous;
    PhoneBench() {
        setenv("KELVO_TIME_SCALE", "1", 1);
        previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>(""));
        modCommon::VersionCheck();
        modCommon::Species = 2;
        modCommon::Database().GetConnection().Execute(
            "INSERT INTO Breeds (BreedName, Species) VALUES ('Texel', 2); INSERT INTO Genders (GenderName, Species) VALUES ('Ewe', 2)");
        IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", phone.SlavePath(),
                       "COM" + std::to_string(kPort));
        modCommon::SetLastUsedComPort(3, kPort);
        phone.SetCapacity(2 * kAnimals);
        phone.SetBytesPerSecond(StickWire::BytesPerSecond);
        phone.Start();
    }
    ~PhoneBench() {
        DefaultInstance<frmMobilePhone>::Unload();
        phone.Stop();
        Prompts::SetHandler(std::move(previous));
    }
    void Report(benchmark::State& state, double total, const std::map<std::string, std::string>& payloads) {
        const double wire = WireSeconds(phone, payloads);
        state.SetIterationTime(total);
        state.counters["total_s"] = total;
        state.counters["wire_s"] = wire;
        state.counters["ratio"] = total / wire;
    }
};

long Count(const std::string& sql) {
    return static_cast<long>(modCommon::Database().GetConnection().Query(sql).At(0, 0).ToLong());
}

void PhoneImportAtNineteenThousandTwoHundredBaud(benchmark::State& state) {
    for (auto _ : state) {
        PhoneBench bench;
        const std::map<std::string, std::string> payloads = {{"getanim", AnimalRecords()},
                                                             {"getcom", CommentRecords()}};
        for (const std::string& record : modHandheld::SplitText(payloads.at("getanim"), '#'))
            bench.phone.MarkAnimal(record);
        for (const std::string& record : modHandheld::SplitText(payloads.at("getcom"), '#'))
            bench.phone.MarkComment(record);
        const auto start = Clock::now();
        frmMobilePhone::Open(1, nullptr);
        while (frmMobilePhone::Loaded()) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        bench.Report(state, std::chrono::duration<double>(Clock::now() - start).count(), payloads);
        state.counters["fixed_pause_s"] = 2;  // the wait before the port opens, in the total
        if (Count("SELECT COUNT(*) FROM Animals") != kAnimals ||
            Count("SELECT COUNT(*) FROM Notes") != kAnimals / kNoted)
            state.SkipWithError("the import did not end well");
    }
}
BENCHMARK(PhoneImportAtNineteenThousandTwoHundredBaud)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void PhoneExportAtNineteenThousandTwoHundredBaud(benchmark::State& state) {
    for (auto _ : state) {
        PhoneBench bench;
        {
            MobilePhoneImport import(modCommon::Database().GetConnection(), {}, {});
            import.Begin();
            import.Animals(AnimalRecords());
            import.Comments(CommentRecords());
            import.Commit();
        }
        frmMobilePhone::Open(0, nullptr);
        frmMobilePhone* window = frmMobilePhone::Loaded();
        while (!window->fraSequence[1]->isVisible()) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        window->optExport_Click(0);  // all animals, past the window's limit
        bench.phone.ClearReceived();
        const auto start = Clock::now();
        const bool exported = window->DoExport();
        bench.Report(state, std::chrono::duration<double>(Clock::now() - start).count(), {});
        if (!exported || bench.phone.Animals().size() != kAnimals) state.SkipWithError("the export did not end well");
    }
}
BENCHMARK(PhoneExportAtNineteenThousandTwoHundredBaud)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void PhoneImportDatabasePart(benchmark::State& state) {
    BenchHome home;
    modCommon::VersionCheck();
    home.KeepPristine();
    const std::string animals = AnimalRecords(), comments = CommentRecords();
    double seconds = 0;
    for (auto _ : state) {
        Connection db;
        home.OpenPristineCopy(state, db);
        MobilePhoneImport import(db, {}, {});
        import.Begin();
        import.Animals(animals);
        import.Groups("");
        import.Comments(comments);
        import.Commit();
        seconds = import.DatabaseSeconds();
    }
    state.counters["database_s"] = seconds;
}
BENCHMARK(PhoneImportDatabasePart)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksInApplication(argc, argv); }
