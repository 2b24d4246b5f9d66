// A note or a file as RTF: it loads (laid out, as the note pane shows it) or is refused, and
// what the writer makes of the result always reads back as RTF.
#include <QTextDocument>

#include "fuzz/Fuzz.h"
#include "platform/Rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QTextDocument document, again;
    Rtf::Load(Fuzz::Text(data, size), document);
    document.size();
    Fuzz::Check(Rtf::Load(Rtf::Write(document), again) == Rtf::Loaded::Rich, "written RTF reads back");
    return 0;
}
