#pragma once
#include <optional>
#include <string>

#include "devices/clsKRComm.h"
#include "platform/DateTime.h"

// The stick reader's commands: identify (n), read and set the clock (t, s), read, write and
// load the configuration (c, w, l), read and erase the stored records (r, e), and the replies'
// tests.
namespace modStickReader {

// The stick's fixed access code, sent after the last field of a protected command.
inline const std::string StickAccessCode = "bqrtvwnhk905";
// The line settings the stick reader window opens its port with.
inline const std::string StickSettings = "baud=19200 parity=N data=8 stop=1";

// A stick command: its letter and the read time-out it asks for when it opens the port.
struct StickCommand {
    const char* word;
    long readTimeout;
};
inline constexpr StickCommand IdentifyCommand{"n", 1000};
inline constexpr StickCommand ReadClockCommand{"t", 1000};
inline constexpr StickCommand SetClockCommand{"s", 1000};
inline constexpr StickCommand ReadConfigurationCommand{"c", 1000};
// w + position + "|" + value (+ "|" + the access code for a protected item): one item, held by
// the stick until l makes every item written its configuration.
inline constexpr StickCommand WriteConfigurationCommand{"w", 1000};
inline constexpr StickCommand LoadConfigurationCommand{"l", 1000};
inline constexpr StickCommand ReadRecordsCommand{"r", 1000};
inline constexpr StickCommand EraseCommand{"e", 30000};
inline constexpr int IdentifyTries = 5;
inline constexpr long ClockTolerance = 10;  // seconds

// One window's conversation with a stick over its port object: the port to open when it is
// closed and the last reply.
class StickExchange {
public:
    explicit StickExchange(clsKRComm& port) : ComPort(port) {}

    clsKRComm& ComPort;
    long Port = 0;  // the port number chosen in the window's list
    std::string Settings = StickSettings;
    std::string LastReply;  // the whole last reply, "" when none came
    bool ReplyReceived = false;

    // Sends the command line and waits for a reply matching the pattern. A closed port is
    // opened with the given read time-out for this command alone and closed 500 ms after it;
    // an open one is used as it is. True when a reply came, whatever its status.
    bool SendStickCommand(const std::string& strCommand, const std::string& strReplyPattern, long lngReadTimeout);
    // One of the stick's commands, with its reply pattern and read time-out.
    bool Send(const StickCommand& command, const std::string& argument = "");
};

// A full stick's "r" reply (about 32 characters a read) outgrows the bounds every other
// exchange keeps to, which stop near 31,000 reads. While one of these lives, the port allows a
// reply of up to 4,000,000 characters (about 125,000 reads) and the time the line needs for
// that much, with a quarter to spare; the usual bounds come back when it goes.
class StoredReadsLimits {
public:
    static constexpr long MaxReplyChars = 4000000;
    StoredReadsLimits(clsKRComm& port, double bytesPerSecond);
    ~StoredReadsLimits();
    StoredReadsLimits(const StoredReadsLimits&) = delete;
    StoredReadsLimits& operator=(const StoredReadsLimits&) = delete;

private:
    clsKRComm& port_;
};

// True when the reply's status tail says success.
bool IsReplyOK(const std::string& reply);
// The reply without its five-character status tail; "" when nothing is left.
std::string StripReplyStatus(const std::string& reply);
// True when the entry's firmware version (the second "|" field of its first "#" item) is at
// most 12.
bool IsStickVersionSupported(const std::string& entry);

// The stick time "ddmmyyhhnnss" as a date; out-of-range parts roll over into the next unit.
std::optional<DateTime> StickTimeValue(const std::string& text);
std::string StickTimeText(const DateTime& time);
// True when the clock at the start of a t reply is within 10 seconds of the PC's clock.
bool IsStickTimeDifferenceOK(const std::string& reply);

// The eartag look-up list "Eartags.csv" in the data folder, made with its header line alone
// when there is none. Its header names the columns of every further line.
inline const std::string EartagFileHeader = "HerdId,TagNumber,EidNumber,Active";
std::string GetEartagFileSpec();

// Identify: n until a reply comes, at most five times. True when the stick answered.
bool IdentifyStick(StickExchange& exchange);
// Clock: t, and s with the PC's time when a reply came and the clock is more than 10 seconds
// off. True when every command sent was answered.
bool CheckStickClock(StickExchange& exchange);

}  // namespace modStickReader
