// What a stick says as the stick tool connects to it (the first byte choosing the pieces its
// replies come in and whether it hangs up after them; then its replies in turn, one a line): the
// answer to "n", its configuration's stick type, its clock read and set, its memory size, a page
// of its memory shown, and the acceptance test's exchanges with it, its version among them.
#include <QLineEdit>

#include "core/modCommon.h"
#include "fuzz/Fuzz.h"
#include "fuzz/FuzzLine.h"
#include "fuzz/FuzzStick.h"
#include "sticktool/EngineeringFrame.h"

const Fuzz::Prepare prepared([] { Fuzz::StickTools(); });

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    Fuzz::Line().Reset(data[0]);
    Fuzz::Line().AnswerInTurn(Fuzz::Text(data + 1, size - 1));
    Fuzz::StickTools tools;
    StickConnection& stick = tools.stick;
    stick.Open();
    if (!stick.Identify()) return 0;
    if (!stick.ReadStickType(modCommon::OxbrelMode).suits) return 0;
    stick.SetClock();
    tools.frame->ShowMemorySize(stick.ReadMemorySize());
    tools.frame->txbPageNumber->setText("1");
    tools.frame->ReadPage(stick);
    tools.AcceptanceTest("w06|1\r\n");
    return 0;
}
