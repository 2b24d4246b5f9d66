#include "fuzz/Fuzz.h"

#include <unistd.h>
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modSchema.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"

namespace {

std::string folder;

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
    std::atexit([] {
        modCommon::ReleaseDatabase();
        std::filesystem::remove_all(folder);
    });
    return 0;
}

void Fuzz::Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "Broken: %s\n", what);
    std::abort();
}

const std::string& Fuzz::Folder() { return folder; }

Connection& Fuzz::Database() {
    static const bool current = [] {
        modSchema::CreateTemplate(folder + "/program/Kelvo.mdb");
        return modCommon::VersionCheck();  // copies it to the data folder and brings it up to date
    }();
    Check(current, "the database is brought up to date");
    return modCommon::Database().GetConnection();
}
