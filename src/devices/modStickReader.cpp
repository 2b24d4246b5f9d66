#include "devices/modStickReader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "core/Trap.h"
#include "core/modCommon.h"
#include "devices/modHandheld.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/TextFile.h"

namespace modStickReader {

namespace {

constexpr long kClosePauseMs = 500;
constexpr size_t kStatusTail = 5;
constexpr size_t kStickTimeLength = 12;

int TwoDigits(const std::string& text, size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

// The stick's clock and the PC's are compared as calendar readings, second by second, the
// same whether or not summer time begins or ends between them.
constexpr long long kDay = 86400;

long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

DateTime FromSerialSeconds(long long seconds) {
    long long days = seconds / kDay, rest = seconds % kDay;
    if (rest < 0) rest += kDay, --days;
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
    return {year,
            month,
            day,
            static_cast<int>(rest / 3600),
            static_cast<int>(rest % 3600 / 60),
            static_cast<int>(rest % 60)};
}

long long SerialSeconds(const DateTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * kDay + t.hour * 3600LL + t.minute * 60LL + t.second;
}

}  // namespace

bool StickExchange::SendStickCommand(const std::string& strCommand, const std::string& strReplyPattern,
                                     long lngReadTimeout) {
    LastReply.clear();
    ReplyReceived = false;
    try {
        bool opened = false;
        if (!ComPort.IsOpen()) {
            ComPort.CommOpen(Port, Settings, lngReadTimeout, false);
            opened = true;
        }
        if (ComPort.IsOpen()) {
            LastReply = ComPort.CommSendCommandAndGetReply(strCommand + modHandheld::CR, strReplyPattern, false);
            if (opened) ComPort.CommClose(kClosePauseMs);
        }
    } catch (const std::exception&) {
        // A failing step leaves the exchange with what it had: no reply.
    }
    ReplyReceived = !LastReply.empty();
    return ReplyReceived;
}

bool StickExchange::Send(const StickCommand& command, const std::string& argument) {
    return SendStickCommand(command.word + argument, modHandheld::ReplyPattern(command.word), command.readTimeout);
}

StoredReadsLimits::StoredReadsLimits(clsKRComm& port, double bytesPerSecond) : port_(port) {
    const double perSecond = std::max(1.0, bytesPerSecond);
    const long deadline =
        std::max(clsKRComm::DefaultExchangeDeadlineMs, static_cast<long>(MaxReplyChars / perSecond * 1250));
    port_.SetExchangeLimits(deadline, MaxReplyChars);
}

StoredReadsLimits::~StoredReadsLimits() {
    port_.SetExchangeLimits(clsKRComm::DefaultExchangeDeadlineMs, clsKRComm::DefaultMaxReplyChars);
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
    if (!AllDigits(std::string_view(text).substr(0, kStickTimeLength))) return std::nullopt;
    int day = TwoDigits(text, 0), month = TwoDigits(text, 2), yy = TwoDigits(text, 4);
    int year = yy < 30 ? 2000 + yy : 1900 + yy;
    // Month 0 is December of the year before, month 13 January of the next; a day, hour,
    // minute or second out of range runs on into the next unit.
    int months = year * 12 + month - 1;
    long long days = DaysFromCivil(months / 12, months % 12 + 1, 1) + day - 1;
    return FromSerialSeconds(days * kDay + TwoDigits(text, 6) * 3600LL + TwoDigits(text, 8) * 60LL +
                             TwoDigits(text, 10));
}

std::string StickTimeText(const DateTime& time) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", time.day, time.month, time.year % 100, time.hour,
                  time.minute, time.second);
    return text;
}

bool IsStickTimeDifferenceOK(const std::string& reply) {
    auto stick = StickTimeValue(reply);
    if (!stick) return false;
    return std::llabs(SerialSeconds(DateTime::Now()) - SerialSeconds(*stick)) <= ClockTolerance;
}

std::string GetEartagFileSpec() {
    std::string path;
    Trap("GetEartagFileSpec", "modStickReader", [&] {
        path = FileSystem::Join(modCommon::GetDatabaseFilespec(), "Eartags.csv");
        if (!FileSystem::Exists(path)) TextFile::CreateIfAbsent(path, EartagFileHeader + "\r\n");
    });
    return path;
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
