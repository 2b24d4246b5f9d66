// An answer of the online service to each operation (the first byte choosing its status and
// content type, the rest its body): read as an error text, the backups' list or a piece of data,
// and used as the backup window uses it: the list shown for the keeper to choose from, and a
// download of that one piece put in place of the register (put back after).
#include <QListWidget>

#include "backup/frmRVBSBackupRestore.h"
#include "backup/modRVBS.h"
#include "core/modCommon.h"
#include "fuzz/Fuzz.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/ScratchFolder.h"

const Fuzz::Prepare prepared([] {
    Fuzz::Database();
    frmRVBSBackupRestore::Instance();
});

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const int statuses[] = {200, 500, 404, 12029};
    const modRVBS::Reply reply{statuses[data[0] % 4], "Internal Server Error",
                               data[0] & 4 ? "application/dime" : "text/xml; charset=utf-8",
                               Fuzz::Text(data + 1, size - 1)};
    std::string list;
    modRVBS::Bytes chunk;
    modRVBS::BackupChunkResult(reply);
    static frmRVBSBackupRestore& window = frmRVBSBackupRestore::Instance();
    window.lstBackups->clear();
    if (modRVBS::BackupListResult(reply, list)) window.ListBackups(list);
    if (!modRVBS::RestoreChunkResult(reply, chunk).empty() || chunk.empty()) return 0;
    const std::string download = Fuzz::Folder() + "/download.zip";
    FileSystem::WriteAll(download, std::string(chunk.begin(), chunk.end()));
    Fuzz::Database();
    try {
        int restored = -1;
        {
            ScratchFolder scratch(modCommon::GetDatabaseFilespec());
            restored = window.PutRestoredDatabaseInPlace(download, scratch.Path());
        }
        Fuzz::ForgetKeptCopies();
        if (restored == 0) Fuzz::PutBackDatabase();
    } catch (const Program::Ended&) {  // a database of a version this program cannot read
    }
    return 0;
}
