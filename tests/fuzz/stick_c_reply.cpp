// A stick's "c" reply, and after a line end its "r" reply: the c reply as the stick reader
// window reads it, the configuration editor's rows built from its entries (the firmware version
// choosing the table of items and each value checked at its position), and as the stick tool
// reads its firmware version; then the window's import from a stick that gives both replies:
// the display format the configuration sets, the reads filed in the register with it (rolled
// back after) and those it cannot read kept in a file before the erase.
#include "core/DefaultInstance.h"
#include "core/modCommon.h"
#include "core/modMainWindowServices.h"
#include "devices/StickConfigEditor.h"
#include "devices/StickReadImport.h"
#include "devices/frmStickReader.h"
#include "devices/modHandheld.h"
#include "fuzz/Fuzz.h"
#include "fuzz/FuzzLine.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"

namespace {

void Edit(const std::string& reply) {
    if (!modStickReader::IsReplyOK(reply)) return;
    const auto entries = modHandheld::SplitText(modStickReader::StripReplyStatus(reply), modHandheld::ItemSeparator);
    modStickReader::InitialiseStickConfigurationStrings(modStickReader::FirmwareVersionOf(entries));
    StickConfigEditor editor;
    std::vector<StickConfigEditor::RowDisplay> rows;
    Fuzz::Refusable([&] { editor.Build(entries, "11", rows); });  // a position that is no place in the table
}

}  // namespace

const Fuzz::Prepare prepared([] { Fuzz::Database(); });

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = Fuzz::Text(data, size);
    const std::size_t end = input.find('\n');
    const std::string configuration = input.substr(0, end), reads = end == input.npos ? "" : input.substr(end + 1);
    Edit(configuration);

    Fuzz::Line().Reset(80);
    Fuzz::Line().answer = [&](const std::string& command) -> std::string {
        switch (command[0]) {
            case 'c': return configuration;
            case 'r': return reads;
            case 't': return modStickReader::StickTimeText(DateTime::Now()) + "(tS)\r";
            default: return "(" + command.substr(0, 1) + "S)\r";
        }
    };
    Connection& db = Fuzz::Database();
    db.Begin();
    frmStickReader& window = frmStickReader::Instance();
    window.SetPort(1);
    window.SetHHAction(modMainWindowServices::StickReaderImport);
    window.tmrInitialise_Timer();
    DefaultInstance<frmStickReader>::Unload();
    db.Rollback();
    // The records it could not read, kept before the erase: a run of millions would fill the memory.
    FileSystem::Remove(FileSystem::Join(modCommon::GetDatabaseFilespec(), StickReadImport::UnreadRecordsFile));
    return 0;
}
