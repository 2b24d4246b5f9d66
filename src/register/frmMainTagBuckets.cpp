// Tag-bucket imports: the purchased eartags of a supplier's file become tag-only rows of the
// register with their EIDs, all of them or none.
#include <QProgressBar>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "platform/Csv.h"
#include "platform/Prompts.h"
#include "register/TagBucketImport.h"
#include "register/frmMain.h"

namespace {

const char* const kObject = "frmMain";

}  // namespace

void frmMain::mnuGetAllflexTagBucket_Click() { ImportTagBucket("mnuGetAllflexTagBucket_Click", true); }

void frmMain::mnuGetTolvaneTagBucket_Click() { ImportTagBucket("mnuGetTolvaneTagBucket_Click", false); }

// The whole file goes in one transaction: a failure leaves the register as it was. Lines
// without a valid tag and EID are left out and counted for the keeper.
void frmMain::ImportTagBucket(const char* procedure, bool allflex) {
    long skipped = 0;
    bool done = false;
    Trap(procedure, kObject, [&] {
        const std::string kind = modCommon::Species == modCommon::Sheep ? "Sheep" : "Cattle";
        const std::string name = std::string(modCommon::Species == modCommon::Sheep ? "S" : "C") + "Tags.txt";
        const std::string path =
            allflex ? OpenFileName("Select an Allflex " + kind + " Tag Bucket File", "Text Files (*.txt)|*.txt", true)
                    : OpenFileName("Select a Tolvane " + kind + " Tag Bucket File",
                                   "Tag Bucket Files (" + name + ")|" + name, true);
        if (path.empty()) return;
        const CsvReader file = CsvReader::FromFile(path, ',', !allflex);
        if (file.RowCount() == 0) return;
        InitialiseProgressbar(100, "Loading Tag Bucket...");
        setEnabled(false);
        skipped = TagBucketImport::Import(modCommon::Database().GetConnection(), file, allflex,
                                          [&](int percent) { pbrProgress->setValue(percent); });
        done = true;
        tmrSetGridRecords_Timer();
    });
    fraProgress->hide();
    setEnabled(true);
    if (done && skipped > 0)
        Prompts::MsgBox(std::to_string(skipped) + (skipped == 1 ? " line" : " lines") +
                            " of the tag bucket file held no valid tag and EID and " + (skipped == 1 ? "was" : "were") +
                            " not imported.",
                        Prompts::OKOnly | Prompts::Exclamation, "Tag Bucket");
}
