// An eartag list ("Eartags.csv" or a stick's copy): its rows, what the stick would be sent, and
// the look-up of visual tags by EID that a tag read uses.
#include "fuzz/Fuzz.h"
#include "platform/FileSystem.h"
#include "sticktool/EartagFile.h"
#include "sticktool/StickTagTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = Fuzz::Folder() + "/Eartags.csv";
    FileSystem::WriteAll(path, Fuzz::Text(data, size));
    std::string refused;
    Fuzz::Refusable([&] {  // a header that lacks a column
        EartagFile::StickEntries(EartagFile::Read(path), refused);
        StickTagTable::Lookup::FromFile(path);
    });
    return 0;
}
