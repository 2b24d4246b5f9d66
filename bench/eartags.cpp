// The eartag look-up list at 100,000 tags: opening its window until the grid has been drawn,
// writing "Eartags.csv", and adding a 100,000-line tag-bucket file to it (each line a new tag,
// looked up among all before it, then the whole list written).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>

#include "core/modCommon.h"
#include "fixtures/BenchApplication.h"
#include "fixtures/BenchHome.h"
#include "fixtures/BenchPrompts.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "sticktool/frmTags.h"

namespace {

constexpr int kTags = 100000;

std::string Hex(long long value) {
    static const char* digits = "0123456789ABCDEF";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i, value >>= 4) hex[i] = digits[value & 0xF];
    hex[0] = '8';
    return hex;
}

// The list and a bucket of as many new tags, in a home of their own.
struct EartagHome {
    BenchHome home;
    EartagHome() {
        std::string list = "HerdId,TagNumber,EidNumber,Active\r\n";
        std::string bucket;
        for (int i = 0; i < kTags; ++i) {
            list += "\"UK123456\",\"" + std::to_string(100000 + i) + "\",\"" + Hex(i) + "\",\"" +
                    (i % 5 ? "Yes" : "No") + "\"\r\n";
            bucket += Hex(kTags + i) + ",UK654321 " + std::to_string(200000 + i) + "\r\n";
        }
        FileSystem::WriteAll(ListPath(), list);
        FileSystem::WriteAll(BucketPath(), bucket);
    }
    std::string ListPath() const { return modCommon::GetDatabaseFilespec() + "/Eartags.csv"; }
    std::string BucketPath() const { return home.root + "/bucket.txt"; }
};

EartagHome& Home() {
    static EartagHome home;
    return home;
}

frmTags& ShownList() {
    frmTags& window = frmTags::Instance();
    window.show();
    window.grdTags->viewport()->repaint();
    return window;
}

void Unload() {
    DefaultInstance<frmTags>::Unload();
    QCoreApplication::processEvents();
}

void EartagListLoadShown100000(benchmark::State& state) {
    Home();
    for (auto _ : state) {
        frmTags& window = ShownList();
        if (window.EartagTable().Rows() != kTags) state.SkipWithError("wrong row count");
        state.PauseTiming();
        Unload();
        state.ResumeTiming();
    }
}
BENCHMARK(EartagListLoadShown100000)->Unit(benchmark::kMillisecond);

void EartagListSave100000(benchmark::State& state) {
    const std::string before = FileSystem::ReadAll(Home().ListPath());
    frmTags& window = ShownList();
    for (auto _ : state) window.SaveData();
    if (FileSystem::ReadAll(Home().ListPath()) != before) state.SkipWithError("the list changed");
    Unload();
}
BENCHMARK(EartagListSave100000)->Unit(benchmark::kMillisecond);

void TagBucketImport100000Into100000(benchmark::State& state) {
    const std::string before = FileSystem::ReadAll(Home().ListPath());
    auto previous = Prompts::SetHandler(std::make_unique<ChooseFileAnswerOK>(Home().BucketPath()));
    for (auto _ : state) {
        state.PauseTiming();
        FileSystem::WriteAll(Home().ListPath(), before);
        frmTags& window = ShownList();
        state.ResumeTiming();
        window.cmdGetTagBucket_Click();
        state.PauseTiming();
        if (window.EartagTable().Rows() != 2 * kTags) state.SkipWithError("wrong row count");
        Unload();
        state.ResumeTiming();
    }
    Prompts::SetHandler(std::move(previous));
    FileSystem::WriteAll(Home().ListPath(), before);
}
BENCHMARK(TagBucketImport100000Into100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksInApplication(argc, argv); }
