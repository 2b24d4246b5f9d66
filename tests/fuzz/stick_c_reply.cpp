// A stick's "c" reply as the stick reader window reads it, the configuration editor's rows built
// from its entries (the firmware version choosing the table of items and each value checked at
// its position), and as the stick tool reads its firmware version.
#include "devices/StickConfigEditor.h"
#include "devices/modHandheld.h"
#include "fuzz/Fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string reply = Fuzz::Text(data, size);
    if (!modStickReader::IsReplyOK(reply)) return 0;
    const auto entries = modHandheld::SplitText(modStickReader::StripReplyStatus(reply), modHandheld::ItemSeparator);
    modStickReader::InitialiseStickConfigurationStrings(modStickReader::FirmwareVersionOf(entries));
    StickConfigEditor editor;
    std::vector<StickConfigEditor::RowDisplay> rows;
    Fuzz::Refusable([&] { editor.Build(entries, "11", rows); });  // a position that is no place in the table
    return 0;
}
