// A configuration file of the engineering edition's acceptance test (the first byte giving the
// firmware version of the stick under test): its lines written to a stick that answers every
// command with success, and the items only ever written all together.
#include "core/modCommon.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "fuzz/Fuzz.h"
#include "fuzz/FuzzLine.h"
#include "fuzz/FuzzStick.h"
#include "sticktool/EngineeringFrame.h"
#include "sticktool/StickAcceptanceTest.h"

namespace {

// A stick's configuration: firmware version, then items 1 to 26 (item 13, the stick type, a
// normal stick's).
std::string Configuration(int version) {
    std::string text = "0|" + std::to_string(version);
    for (int item = 1; item <= 26; ++item) text += "#" + std::to_string(item) + "|" + (item == 2 ? "100000123" : "0");
    return text;
}

std::string Answer(int version, const std::string& command) {
    const char letter = command[0];
    std::string payload;
    if (letter == 'c') payload = Configuration(version);
    else if (letter == 't') payload = "010124120000";
    else if (letter == 'v') payload = "12.0";
    else if (command.rfind("qA", 0) == 0) payload = "5";
    return payload + "(" + letter + "S)" + modHandheld::CR;
}

}  // namespace

const Fuzz::Prepare prepared([] { Fuzz::StickTools(); });

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int version = data[0] % 16;
    Fuzz::Line().Reset(80);
    Fuzz::Line().answer = [version](const std::string& command) { return Answer(version, command); };
    Fuzz::StickTools tools;
    tools.stick.Open();
    Fuzz::Check(tools.stick.ReadStickType(modCommon::OxbrelMode).suits, "the stick suits the program");
    tools.frame->ShowMemorySize(2);
    const std::string file = Fuzz::Text(data + 1, size - 1);
    tools.AcceptanceTest(file);
    // What the test means to write: a clock of 512 Hz calibrates to 100.
    const auto lines = StickAcceptanceTest::ConfigurationLines(file, false, "123456789", "100", true, true);
    std::vector<std::string> written;
    for (const std::string& command : Fuzz::Line().heard)
        if (command[0] == 'w') written.push_back(command);
    Fuzz::Check(written.empty() || written.size() == lines.size(), "the configuration is written whole or not at all");
    for (std::size_t i = 0; i < written.size(); ++i)
        Fuzz::Check(written[i] == lines[i] || written[i] == lines[i] + "|" + modStickReader::StickAccessCode,
                    "each item is written as its line gives it");
    return 0;
}
