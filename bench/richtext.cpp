// Loading and saving a note of several megabytes through the rich-text layer, and reading a
// 100,000-row list through the CSV reader. The RTF runs are measured at two sizes, so the
// figures show whether the work grows in proportion to the text. The documents need an
// application, on the offscreen platform as in the other benchmarks: no display is needed.
#include <benchmark/benchmark.h>

#include <QTextDocument>
#include <string>

#include "fixtures/BenchApplication.h"
#include "platform/Csv.h"
#include "platform/Rtf.h"

namespace {

std::string Note(std::size_t megabytes) {
    std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red0\\green0\\blue255;}";
    const std::string line = "{\\b Weighed} 512 kg, {\\cf1\\i treated} for \\'e9 lameness \\u8364?\\par\r\n";
    while (rtf.size() < megabytes << 20) rtf += line;
    return rtf + "}";
}

void BM_RtfRead(benchmark::State& state) {
    const std::string rtf = Note(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        QTextDocument document;
        Rtf::Read(rtf, document);
        benchmark::DoNotOptimize(document.blockCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}
BENCHMARK(BM_RtfRead)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_RtfWrite(benchmark::State& state) {
    QTextDocument document;
    Rtf::Read(Note(static_cast<std::size_t>(state.range(0))), document);
    for (auto _ : state) benchmark::DoNotOptimize(Rtf::Write(document));
}
BENCHMARK(BM_RtfWrite)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_CsvRead100000Rows(benchmark::State& state) {
    std::string text = "HerdId,TagNumber,EidNumber,Active\r\n";
    for (int i = 0; i < 100000; ++i)
        text += "\"UK123456\",\"" + std::to_string(700000 + i) + "\",\"0826" + std::to_string(100000000000 + i) +
                "\",\"Yes\"\r\n";
    for (auto _ : state) {
        CsvReader csv(text);
        benchmark::DoNotOptimize(csv.RowCount());
    }
}
BENCHMARK(BM_CsvRead100000Rows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksInApplication(argc, argv); }
