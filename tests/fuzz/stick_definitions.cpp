// The configuration definitions for any firmware version a stick may report, in either mode, and
// a value a stick holds checked at every position: a value that fails its item's pattern gives
// way to a default that passes it.
#include <cstring>

#include "core/modCommon.h"
#include "devices/modStickReaderConfiguration.h"
#include "fuzz/Fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    std::int32_t version = 0;
    std::memcpy(&version, data + 1, sizeof version);
    modCommon::OxbrelMode = data[0] & 1;
    modStickReader::InitialiseStickConfigurationStrings(version);
    const std::string value = Fuzz::Text(data + 5, size - 5);
    for (long position = 0; position < static_cast<long>(modStickReader::StickConfigStrings.size()); ++position) {
        modStickReader::StickAccessCodeRequired(position);
        const auto checked = modStickReader::ValidateStickConfigItem(value, position);
        Fuzz::Check(checked.Valid || modStickReader::ValidateStickConfigItem(checked.Value, position).Valid,
                    "an item's default passes its pattern");
    }
    modCommon::OxbrelMode = 0;
    return 0;
}
