// The body of the online service's list of a keeper's backups: read from its SOAP reply, and
// listed by the backup window for the keeper to choose from, each backup with its description
// and date, those of no size left out, each entry naming a backup of the list.
#include <QListWidget>

#include "backup/frmRVBSBackupRestore.h"
#include "backup/modRVBS.h"
#include "fuzz/Fuzz.h"
#include "platform/Text.h"

const Fuzz::Prepare prepared([] { frmRVBSBackupRestore::Instance(); });

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const modRVBS::Reply reply{200, "OK", "text/xml; charset=utf-8", Fuzz::Text(data, size)};
    std::string list;
    if (!modRVBS::BackupListResult(reply, list)) return 0;
    static frmRVBSBackupRestore& window = frmRVBSBackupRestore::Instance();
    window.lstBackups->clear();
    window.ListBackups(list);
    const int records = static_cast<int>(Split(list, "\f").size());
    for (int i = 0, last = -1; i < window.lstBackups->count(); ++i) {
        const int record = window.lstBackups->item(i)->data(Qt::UserRole).toInt();
        Fuzz::Check(record > last && record < records, "each entry names a backup of the list, in order");
        last = record;
    }
    return 0;
}
