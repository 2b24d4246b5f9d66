// The bytes a handheld sends after a command (the first byte choosing the pieces they come in and
// whether the device then hangs up, the second the command): gathered into a reply by the serial
// object, read for its status as the stick's windows read it, and the same bytes once more
// through the phone window's exchange and its check of the reply's tail.
#include "devices/clsKRComm.h"
#include "devices/frmMobilePhone.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "fuzz/Fuzz.h"
#include "fuzz/FuzzLine.h"

const Fuzz::Prepare prepared([] { frmMobilePhone::Instance(); });

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static const char* const words[] = {"n", "c", "r", "q", "v", "getanim", "putmangrp", "t"};
    const std::string word = words[data[1] % 8], pattern = modHandheld::ReplyPattern(word);
    const bool brackets = (data[1] & 8) != 0;  // no window asks for it, but the object offers it
    const std::string bytes = Fuzz::Text(data + 2, size - 2);
    Fuzz::Line().Reset(data[0]);
    Fuzz::Line().AnswerAlways(bytes);

    static clsKRComm port;
    if (!port.IsOpen()) port.CommOpen(1, modStickReader::StickSettings, 1000, false);
    long received = 0;
    port.OnDataReceived([&](const std::string& buffer, long count) {
        Fuzz::Check(count > received && static_cast<std::size_t>(count) <= buffer.size(), "the count grows");
        Fuzz::Check(brackets || bytes.compare(0, count, buffer, 0, count) == 0, "the buffer holds what came");
        received = count;
    });
    const std::string reply = port.CommSendCommandAndGetReply(word + modHandheld::CR, pattern, brackets);
    const char status = modHandheld::ReplyStatus(reply, word);
    if (!reply.empty() && !brackets) {
        Fuzz::Check(bytes.compare(0, reply.size(), reply) == 0, "a reply is what the device said first");
        Fuzz::Check(clsKRComm::TextMatches(reply, pattern) && status != '\0', "a reply ends in its status tail");
        if (word.size() == 1)
            Fuzz::Check(modStickReader::IsReplyOK(reply) == (status == 'S'), "the stick's status is the tail's");
    }
    modStickReader::StripReplyStatus(reply);

    frmMobilePhone& phone = frmMobilePhone::Instance();
    if (phone.SendPhoneCommand(word, pattern, 5000)) {
        const std::string answered = phone.ReplyPayload() + "(" + word + "S)" + modHandheld::CR;
        Fuzz::Check(bytes.compare(0, answered.size(), answered) == 0, "the phone's payload comes before its tail");
    }
    return 0;
}
