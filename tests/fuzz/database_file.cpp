// A Kelvo.mdb that another program made or that was damaged: found in the data folder at start
// (the gateway's open and check of the file, a keeper who answers a file that will not open with
// the local restore of a sound backup, and the version check that brings the register up to
// date); then, for half of the inputs each, chosen by the keeper for a local restore (whose check
// refuses what the gateway's own check refuses), or inside the zip of an online restore (which
// leaves no scratch behind).
#include <functional>

#include "backup/frmRVBSBackupRestore.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "fuzz/Fuzz.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/ScratchFolder.h"
#include "platform/Zip.h"

namespace {

// A keeper whose register would not open restores it from a backup of their own, a sound one.
struct RestoringKeeper : Prompts::Handler {
    bool offered = false;
    int MsgBox(const std::string&, int, const std::string& title) override {
        if (title == "Cannot Open Your Database") offered = true;
        return title == "Cannot Open Your Database" || title == "Restore from Local Backup?" ? Prompts::Yes
                                                                                             : Prompts::Cancel;
    }
    bool InputBox(const std::string&, const std::string&, std::string&, bool) override { return false; }
    bool OpenFile(Prompts::FileDialog& dialog) override {
        dialog.fileName = Fuzz::PristineDatabase();
        return true;
    }
    bool SaveFile(Prompts::FileDialog&) override { return false; }
};

// The data folder's database as the program finds it when it starts.
void StartWith(const std::string& bytes) {
    modCommon::ReleaseDatabase();
    const std::string live = FileSystem::Join(modCommon::GetDatabaseFilespec(), "Kelvo.mdb");
    for (const char* beside : {"-journal", "-wal", "-shm"}) FileSystem::Remove(live + beside);
    FileSystem::WriteAll(live, bytes);
}

// Runs a step that may end the program (a database of a version this program cannot read);
// false when it did.
template <class Step>
bool Carries(Step step) {
    try {
        step();
        return true;
    } catch (const Program::Ended&) {
        return false;
    }
}

}  // namespace

const Fuzz::Prepare prepared([] { Fuzz::PristineDatabase(); });

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz::PristineDatabase();
    static RestoringKeeper* keeper = [] {
        auto handler = std::make_unique<RestoringKeeper>();
        RestoringKeeper* kept = handler.get();
        Prompts::SetHandler(std::move(handler));
        return kept;
    }();
    const std::string bytes = Fuzz::Text(data, size);

    StartWith(bytes);
    keeper->offered = false;
    bool current = false;
    const bool carried = Carries([&] { current = modCommon::VersionCheck(); });
    Fuzz::Check(carried && modCommon::Database().DatabaseAvailable(), "the register opens, or a backup goes over it");
    Fuzz::Check(!keeper->offered || current, "a backup restored over a register that would not open is current");

    // Then, for half of the inputs each (chosen by their bytes), over the register that opened.
    if (std::hash<std::string>{}(bytes) % 2) {
        const std::string chosen = Fuzz::Folder() + "/Chosen.mdb";
        FileSystem::WriteAll(chosen, bytes);
        const bool usable = clsDatabase::IsUsableDatabase(chosen);
        int restored = -1;
        if (Carries([&] { restored = modCommon::Database().Restore(chosen); }))
            Fuzz::Check((restored == 1) == !usable, "a restore refuses the files the check refuses");
        Fuzz::ForgetKeptCopies();
        return 0;
    }
    const std::string download = Fuzz::Folder() + "/Download.mdb", archive = Fuzz::Folder() + "/restore.zip";
    FileSystem::WriteAll(download, bytes);
    FileSystem::Remove(archive);
    Zip::AddOptions oneCore;
    oneCore.threads = 1;
    Zip::Add(archive, {{download, "Kelvo.mdb"}}, oneCore);
    Carries([&] {
        ScratchFolder scratch(modCommon::GetDatabaseFilespec());
        frmRVBSBackupRestore::Instance().PutRestoredDatabaseInPlace(archive, scratch.Path());
    });
    Fuzz::CheckNoScratchLeft();
    Fuzz::ForgetKeptCopies();
    return 0;
}
