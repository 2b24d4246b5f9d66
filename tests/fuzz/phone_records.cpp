// The phone's records as the get commands return them (animals, management groups, comments:
// one payload a line of the input), filed into the register or refused, and rolled back.
#include "core/modCommon.h"
#include "devices/MobilePhoneImport.h"
#include "devices/modHandheld.h"
#include "fuzz/Fuzz.h"

const Fuzz::Prepare prepared([] { Fuzz::Database(); });

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> payloads = modHandheld::SplitText(Fuzz::Text(data, size), '\n');
    payloads.resize(3);
    MobilePhoneImport import(Fuzz::Database(), {}, {});
    Fuzz::Refusable([&] {
        import.Begin();
        import.Animals(payloads[0]);
        import.Groups(payloads[1]);
        import.Comments(payloads[2]);
    });
    return 0;
}
