// Text files' bytes: decoded to UTF-8, split into lines with no line end left inside, trimmed
// and counted; and every byte survives a trip through the single-byte code page.
#include "fuzz/Fuzz.h"
#include "platform/Text.h"
#include "platform/TextFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = Fuzz::Text(data, size), text = TextFile::Decode(bytes);
    Fuzz::Check(TextFile::IsUtf8(text), "decoded text is UTF-8");
    for (const std::string& line : TextFile::SplitLines(TextFile::WithCrLf(text))) {
        Fuzz::Check(line.find_first_of("\r\n") == std::string::npos, "a line holds no line end");
        TextFile::CharCount(TrimBlanks(line));
    }
    Fuzz::Check(TextFile::ToWindows1252(TextFile::FromWindows1252(bytes)) == bytes,
                "single bytes survive a round trip");
    return 0;
}
