#include "devices/modStickReader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "devices/modHandheld.h"

namespace modStickReader {

namespace {

constexpr long kClosePauseMs = 500;
constexpr size_t kStatusTail = 5;
constexpr size_t kStickTimeLength = 12;

int TwoDigits(const std::string& text, size_t at) {
    return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

}  // namespace

bool StickExchange::SendStickCommand(const std::string& strCommand,
                                     const std::string& strReplyPattern, long lngReadTimeout) {
    LastReply.clear();
    ReplyReceived = false;
    try {
        bool opened = false;
        if (!ComPort.IsOpen()) {
            ComPort.CommOpen(Port, Settings, lngReadTimeout, false);
            opened = true;
        }
        if (ComPort.IsOpen()) {
            LastReply = ComPort.CommSendCommandAndGetReply(strCommand + modHandheld::CR,
                                                           strReplyPattern, false);
            if (opened) ComPort.CommClose(kClosePauseMs);
        }
    } catch (const std::exception&) {
        // A failing step leaves the exchange with what it had: no reply.
    }
    ReplyReceived = !LastReply.empty();
    return ReplyReceived;
}

bool StickExchange::Send(const StickCommand& command, const std::string& argument) {
    return SendStickCommand(command.word + argument, modHandheld::ReplyPattern(command.word),
                            command.readTimeout);
}

bool IsReplyOK(const std::string& reply) {
    // The status is the letter of the closing tail; an "S)" inside the payload is data.
    if (reply.size() < kStatusTail) return false;
    std::string word(1, reply[reply.size() - 4]);
    return std::toupper(static_cast<unsigned char>(modHandheld::ReplyStatus(reply, word))) == 'S';
}

std::string StripReplyStatus(const std::string& reply) {
    if (reply.size() <= kStatusTail) return {};
    return reply.substr(0, reply.size() - kStatusTail);
}

bool IsStickVersionSupported(const std::string& entry) {
    if (entry.find(modHandheld::FieldSeparator) == std::string::npos) return false;
    auto items = modHandheld::SplitText(entry, modHandheld::ItemSeparator);
    if (items.empty()) return false;
    auto fields = modHandheld::SplitText(items[0], modHandheld::FieldSeparator);
    if (fields.size() < 2) return false;
    return modHandheld::LeadingNumber(fields[1]) <= 12;
}

std::optional<DateTime> StickTimeValue(const std::string& text) {
    if (text.size() < kStickTimeLength) return std::nullopt;
    if (!std::all_of(text.begin(), text.begin() + kStickTimeLength,
                     [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    int day = TwoDigits(text, 0), month = TwoDigits(text, 2), yy = TwoDigits(text, 4);
    int year = yy < 30 ? 2000 + yy : 1900 + yy;
    // Month 0 is December of the year before, month 13 January of the next; a day out of
    // range runs on from the first of the month.
    int months = year * 12 + month - 1;
    DateTime date{months / 12, months % 12 + 1, 1, 0, 0, 0};
    date = date.AddDays(day - 1);
    return date.AddSeconds(TwoDigits(text, 6) * 3600LL + TwoDigits(text, 8) * 60LL +
                           TwoDigits(text, 10));
}

std::string StickTimeText(const DateTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", time.day, time.month,
                  time.year % 100, time.hour, time.minute, time.second);
    return text;
}

bool IsStickTimeDifferenceOK(const std::string& reply) {
    auto stick = StickTimeValue(reply);
    if (!stick) return false;
    return std::llabs(DateTime::Now().SecondsTo(*stick)) <= ClockTolerance;
}

bool IdentifyStick(StickExchange& exchange) {
    for (int attempt = 0; attempt < IdentifyTries; ++attempt)
        if (exchange.Send(IdentifyCommand)) return true;
    return false;
}

bool CheckStickClock(StickExchange& exchange) {
    bool ok = exchange.Send(ReadClockCommand);
    if (ok && !IsStickTimeDifferenceOK(exchange.LastReply))
        ok = exchange.Send(SetClockCommand, StickTimeText(DateTime::Now()));
    return ok;
}

}  // namespace modStickReader
