#include "fuzz/Fuzz.h"

#include <unistd.h>
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modSchema.h"
#include "fuzz/FuzzLine.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"

namespace {

std::string folder;

std::vector<void (*)()>& Preparations() {
    static std::vector<void (*)()> steps;
    return steps;
}

// Every box is closed as a keeper who cancels everything would close it.
struct Cancelling : Prompts::Handler {
    int MsgBox(const std::string&, int, const std::string&) override { return Prompts::Cancel; }
    bool InputBox(const std::string&, const std::string&, std::string&, bool) override { return false; }
    bool OpenFile(Prompts::FileDialog&) override { return false; }
    bool SaveFile(Prompts::FileDialog&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "kelvo-fuzz", *argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    new QApplication(argc, argv);
    // In memory where the machine has it: millions of files written would otherwise wait on the disk.
    folder = FileSystem::MakeTempFolder(std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "");
    for (const char* sub : {"data/kelvo", "program"}) FileSystem::CreateDirectories(folder + "/" + sub);
    for (const char* variable : {"HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"}) setenv(variable, folder.c_str(), 1);
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    Program::SetExecutablePath(folder + "/program/kelvo");
    // Bad input is expected to log errors, and millions of runs would fill the disk with them.
    symlink("/dev/null", (folder + "/data/kelvo/KelvoErrorLog.txt").c_str());
    Prompts::SetHandler(std::make_unique<Cancelling>());
    // Serial ports lead to the fuzzed device, which answers at once; the fixed pauses around
    // its exchanges shrink to a millisecond. A program that ends at once, ends the input.
    Fuzz::InstallLine();
    setenv("KELVO_TIME_SCALE", "0.001", 1);
    Program::SetEndHandler([] { throw Program::Ended{}; });
    for (auto step : Preparations()) step();
    std::atexit([] {
        modCommon::ReleaseDatabase();
        std::filesystem::remove_all(folder);
    });
    return 0;
}

Fuzz::Prepare::Prepare(void (*step)()) { Preparations().push_back(step); }

void Fuzz::Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "Broken: %s\n", what);
    std::abort();
}

const std::string& Fuzz::Folder() { return folder; }

const std::string& Fuzz::Template() {
    static const std::string path = [] {
        const std::string file = folder + "/program/Kelvo.mdb";
        modSchema::CreateTemplate(file);
        return file;
    }();
    return path;
}

namespace {

const std::string& Pristine() {
    static const std::string path = folder + "/Pristine.mdb";
    return path;
}

}  // namespace

Connection& Fuzz::Database() {
    static const bool current = [] {
        Template();
        // copies it to the data folder and brings it up to date
        if (!modCommon::VersionCheck()) return false;
        modCommon::Database().GetConnection().VacuumInto(Pristine());
        return true;
    }();
    Check(current, "the database is brought up to date");
    return modCommon::Database().GetConnection();
}

const std::string& Fuzz::PristineDatabase() {
    static const bool made = (Database(), true);  // asked for once: the register may be elsewhere by now
    Check(made, "the register is made");
    return Pristine();
}

void Fuzz::PutBackDatabase() {
    Connection pristine;
    pristine.Open(PristineDatabase());
    modCommon::Database().GetConnection().CopyFrom(pristine);
}

void Fuzz::CheckNoScratchLeft() {
    for (const auto& entry : std::filesystem::directory_iterator(folder + "/data/kelvo"))
        Check(!entry.is_directory(), "no scratch folder is left in the data folder");
}

void Fuzz::ForgetKeptCopies() {
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(folder + "/data/kelvo"))
        if (entry.path().filename().string().rfind("Kelvo before restore ", 0) == 0) kept.push_back(entry.path());
    for (const auto& path : kept) std::filesystem::remove(path);
}
