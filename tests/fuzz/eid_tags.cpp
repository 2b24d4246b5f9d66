// EIDs and tag numbers as typed or read from a file, for every species: converted, split and
// keyed; and a decimal EID stored reads back as the same stored code.
#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "core/modEID.h"
#include "fuzz/Fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = Fuzz::Text(data, size);
    const std::string hex =
        modEID::DecimalEIDToHexEID(text, static_cast<int>(size % 40) - 4, static_cast<int>(size % 10) - 1);
    if (!hex.empty()) {
        const EIDRecord record = modEID::HexEIDToDecimalEID(hex);
        Fuzz::Check(modEID::DecimalEIDToHexEID(record.Decimal, record.UserInfo, record.RetagCount) == hex,
                    "a stored code reads back");
    }
    modEID::HexEIDToDecimalEID(text);
    modEID::DecimalToWYSIWYG(text, "04");
    for (int species : {0, 1, 2}) {
        modCommon::Species = species;
        modCommon::SplitTag(text);
        modCommon::GetTagSortFromTag(text);
    }
    return 0;
}
