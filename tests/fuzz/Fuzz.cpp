#include "fuzz/Fuzz.h"

#include <QApplication>
#include <unistd.h>

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

class Quiet : public Prompts::Handler {
    int MsgBox(const std::string&, int style, const std::string&) override {
        static constexpr int answers[] = {Prompts::OK, Prompts::Cancel, Prompts::Abort, Prompts::Cancel, Prompts::No, Prompts::Cancel};
        return answers[style % 16 % 6];
    }
    bool InputBox(const std::string&, const std::string&, std::string&, bool) override { return false; }
    bool OpenFile(Prompts::FileDialog&) override { return false; }
    bool SaveFile(Prompts::FileDialog&) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "kelvo-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    folder = FileSystem::MakeTempFolder();
    for (const char* sub : {"home", "data/kelvo", "config", "etc", "program"}) FileSystem::CreateDirectories(folder + "/" + sub);
    setenv("HOME", (folder + "/home").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (folder + "/etc").c_str(), 1);
    Program::SetExecutablePath(folder + "/program/kelvo");
    // Bad input is expected to log errors, and millions of runs would fill the disk with them.
    symlink("/dev/null", (folder + "/data/kelvo/KelvoErrorLog.txt").c_str());
    Prompts::SetHandler(std::make_unique<Quiet>());
    std::atexit([] {
        modCommon::ReleaseDatabase();
        std::filesystem::remove_all(folder);
    });
    return 0;
}

namespace Fuzz {

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "Broken: %s\n", what);
    std::abort();
}

const std::string& Folder() { return folder; }

Connection& Database() {
    static const bool current = [] {
        modSchema::CreateTemplate(folder + "/program/Kelvo.mdb");
        return modCommon::VersionCheck();
    }();
    Check(current, "the database is brought up to date");
    return modCommon::Database().GetConnection();
}

}  // namespace Fuzz
