// The animal import file (its first byte choosing the separator) read as the import reads it
// before it writes: every line's fields, the tags' keys, the dates and the EIDs.
#include "core/modCommonTags.h"
#include "fuzz/Fuzz.h"
#include "platform/Connection.h"
#include "platform/TextFile.h"
#include "register/AnimalImportFile.h"
#include "register/ImportRecordsets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static Connection unused;
    ImportRecordsets recordsets(unused);
    const auto file = AnimalImportFile::Read(TextFile::Decode(Fuzz::Text(data + 1, size - 1)), data[0] % 2 ? ";" : ",");
    for (std::size_t line = 0; line < file.fields.size() && file.problems.empty(); ++line)
        for (std::size_t first : {0, 5, 10}) {
            const auto& fields = file.fields[line];
            modCommon::GetTagSortFromTag(fields[first]);
            recordsets.Date(fields[first + 1]);
            if (!fields[first + 4].empty()) recordsets.EID(fields[first + 4]);
        }
    return 0;
}
