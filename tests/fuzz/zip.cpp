// A downloaded archive: listed, and unzipped into a folder of its own as a restore unpacks one,
// its database checked and written into the register (put back after); no scratch stays.
#include "backup/cUnzip.h"
#include "backup/frmRVBSBackupRestore.h"
#include "core/modCommon.h"
#include "fuzz/Fuzz.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/ScratchFolder.h"

const Fuzz::Prepare prepared([] { Fuzz::Database(); });

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string archive = Fuzz::Folder() + "/backup.zip";
    FileSystem::WriteAll(archive, Fuzz::Text(data, size));
    cUnzip unzip;
    unzip.SetZipFile(archive);
    unzip.Directory();
    for (long i = 1; i <= unzip.FileCount(); ++i) unzip.FilePackedSize(i);
    Fuzz::Database();
    int restored = -1;
    try {
        ScratchFolder scratch(modCommon::GetDatabaseFilespec());
        restored = frmRVBSBackupRestore::Instance().PutRestoredDatabaseInPlace(archive, scratch.Path());
    } catch (const Program::Ended&) {  // a database of a version this program cannot read
    }
    Fuzz::CheckNoScratchLeft();
    Fuzz::ForgetKeptCopies();
    if (restored == 0) Fuzz::PutBackDatabase();
    return 0;
}
