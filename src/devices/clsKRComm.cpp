#include "devices/clsKRComm.h"

#include <QCoreApplication>

#include <sys/ioctl.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>
#include <thread>

#include "core/modRegistry.h"
#include "platform/IniFile.h"
#include "platform/Program.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace {

// Serial devices found under /dev and the port numbers they always get: the family's base
// plus the device's own number, so a port keeps its number whatever else is plugged in.
struct DeviceFamily {
    const char* prefix;
    long base;
};
constexpr DeviceFamily kFamilies[] = {{"ttyS", 1}, {"ttyUSB", 100}, {"ttyACM", 200}, {"rfcomm", 300}};
constexpr long kFamilySpan = 99;

const char* const kSerialCommSection = "SerialComm";
constexpr size_t kMaxReadSize = 1024;
constexpr long kChunkSize = 80;
constexpr long kBufferStep = 1000;
constexpr int kOpenRetryMs = 2000;

clsKRComm::LineMaker& DefaultLine() {
    static clsKRComm::LineMaker make = [] { return std::make_unique<SerialPort>(); };
    return make;
}

std::function<void()>& DefaultPump() {
    static std::function<void()> pump = [] {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
    };
    return pump;
}

std::string DigitsOf(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    return digits;
}

// The port number of a list entry's digits; 0 for none or for a number too long to be one.
long NumberOf(const std::string& digits) {
    if (digits.empty() || digits.size() > 9) return 0;
    return std::stol(digits);
}

// [SerialComm] entries of every settings file, the file read first winning a device path that
// several name.
std::vector<clsKRComm::SerialPortEntry> ConfiguredPorts() {
    std::vector<clsKRComm::SerialPortEntry> entries;
    std::set<std::string> seen;
    for (const auto& path : modRegistry::MachineSettingsReadPaths()) {
        for (const auto& [device, name] : IniFile::Section(path, kSerialCommSection)) {
            if (device.empty() || !seen.insert(device).second) continue;
            entries.push_back({device, name, DigitsOf(name)});
        }
    }
    return entries;
}

// A "ttyS" node exists for every possible UART; only those with a UART behind them count.
bool HasUart(const std::string& name) {
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int value = 0;
    return type >> value && value != 0;
}

std::vector<clsKRComm::SerialPortEntry> DevicePorts() {
    std::vector<clsKRComm::SerialPortEntry> entries;
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator("/dev", ec)) {
        std::string name = item.path().filename().string();
        for (const auto& family : kFamilies) {
            std::string prefix = family.prefix;
            if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
            std::string rest = name.substr(prefix.size());
            if (DigitsOf(rest) != rest || rest.size() > 2) continue;
            long index = std::stol(rest);
            if (index >= kFamilySpan) continue;
            if (prefix == "ttyS" && !HasUart(name)) continue;
            std::string number = std::to_string(family.base + index);
            entries.push_back({item.path().string(), "COM" + number, number});
        }
    }
    // Directory order is arbitrary; give equal numbers (there are none) a fixed order anyway.
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Inserts before the first entry with a greater number; equal numbers keep their order.
void InsertByNumber(std::vector<clsKRComm::SerialPortEntry>& list, const clsKRComm::SerialPortEntry& entry) {
    long number = NumberOf(entry[2]);
    auto at =
        std::find_if(list.begin(), list.end(), [number](const auto& other) { return NumberOf(other[2]) > number; });
    list.insert(at, entry);
}

struct Token {
    enum Kind { Star, Digit, List, Literal } kind;
    std::string chars;  // List: the listed characters; Literal: the one character
    bool Accepts(char c) const {
        switch (kind) {
            case Digit: return std::isdigit(static_cast<unsigned char>(c)) != 0;
            case List: return chars.find(c) != std::string::npos;
            case Literal: return chars[0] == c;
            default: return true;
        }
    }
};

std::vector<Token> Tokenise(const std::string& pattern) {
    std::vector<Token> tokens;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        size_t close = c == '[' ? pattern.find(']', i + 1) : std::string::npos;
        if (c == '*') {
            tokens.push_back({Token::Star, {}});
        } else if (c == '#') {
            tokens.push_back({Token::Digit, {}});
        } else if (close != std::string::npos) {
            tokens.push_back({Token::List, pattern.substr(i + 1, close - i - 1)});
            i = close;
        } else {
            tokens.push_back({Token::Literal, std::string(1, c)});
        }
    }
    return tokens;
}

bool FixedMatch(std::string_view text, size_t from, const std::vector<Token>& tokens, size_t first) {
    for (size_t t = first; t < tokens.size(); ++t)
        if (!tokens[t].Accepts(text[from + t - first])) return false;
    return true;
}

}  // namespace

// ---- Port list ---------------------------------------------------------------------------

std::vector<clsKRComm::SerialPortEntry> clsKRComm::EnumSerialPorts() {
    std::vector<SerialPortEntry> list;
    try {
        std::set<long> numbers;
        std::set<std::string> devices;
        for (const auto& entry : ConfiguredPorts()) {
            if (entry[2].empty()) continue;
            InsertByNumber(list, entry);
            numbers.insert(NumberOf(entry[2]));
            devices.insert(entry[0]);
        }
        // A device the settings already name, or a number they already give, is theirs.
        for (const auto& entry : DevicePorts()) {
            if (numbers.count(NumberOf(entry[2])) || devices.count(entry[0])) continue;
            InsertByNumber(list, entry);
        }
    } catch (const std::exception&) {
        // An unreadable list is an empty list; the window then says no ports were found.
    }
    return list;
}

std::string clsKRComm::DevicePathForPort(long lngPort) {
    for (const auto& entry : ConfiguredPorts())
        if (!entry[2].empty() && NumberOf(entry[2]) == lngPort) return entry[0];
    for (const auto& family : kFamilies)
        if (lngPort >= family.base && lngPort < family.base + kFamilySpan)
            return std::string("/dev/") + family.prefix + std::to_string(lngPort - family.base);
    return {};
}

long clsKRComm::PortNumber(const SerialPortEntry& entry) { return NumberOf(entry[2]); }

std::string clsKRComm::GetSystemMessage(long lngErrorCode) {
    return TrimBlanks(SerialPort::ErrorText(static_cast<int>(lngErrorCode)));
}

// ---- Object ------------------------------------------------------------------------------

clsKRComm::clsKRComm() : port_(DefaultLine()()), pump_(DefaultPump()) {}

clsKRComm::~clsKRComm() {
    if (IsOpen()) port_->Close();
}

void clsKRComm::SetDefaultMessagePump(std::function<void()> pump) { DefaultPump() = std::move(pump); }

void clsKRComm::SetDefaultLine(LineMaker make) { DefaultLine() = std::move(make); }

void clsKRComm::SetExchangeLimits(long deadlineMs, long maxReplyChars) {
    deadlineMs_ = deadlineMs;
    maxReplyChars_ = maxReplyChars;
}

void clsKRComm::Pump() const {
    if (pump_) pump_();
}

long clsKRComm::Record(long code, const std::string& context, const std::string& message) {
    lastErrorCode_ = code;
    lastErrorContext_ = context;
    lastErrorMessage_ = message;
    return code;
}

long clsKRComm::SetDllError(int errorNumber, const std::string& context) {
    return Record(errorNumber, context, GetSystemMessage(errorNumber));
}

long clsKRComm::SetCommError(int errorNumber, const std::string& context) {
    char flags[16];
    std::snprintf(flags, sizeof flags, "%X", port_->LineErrors());
    return Record(errorNumber, context, GetSystemMessage(errorNumber) + "  COMM Error Flags = " + flags);
}

// The object's operations trap their failures as every procedure does (Catching), but keep
// them for CommGetError instead of logging them: the failure is recorded under the
// operation's own name. An operation that reports failure as an error code gives the trapped
// failure's number.
template <class Body>
long clsKRComm::GuardedCode(const char* operation, Body body) {
    return Catching(body,
                    [&](const RuntimeError& error) { return Record(error.number, operation, error.description); });
}

// An operation with a failure value of its own (-1 for a read or write, whose positive
// results are counts; an empty reply) gives that value.
template <class Result, class Body>
Result clsKRComm::Guarded(const char* operation, Result failure, Body body) {
    return Catching(body, [&](const RuntimeError& error) {
        Record(error.number, operation, error.description);
        return failure;
    });
}

long clsKRComm::CommGetError(std::string& strMessage) const {
    strMessage = "Error (" + std::to_string(lastErrorCode_) + "): " + lastErrorContext_ + " - " + lastErrorMessage_;
    return lastErrorCode_;
}

// ---- Open, set, close --------------------------------------------------------------------

long clsKRComm::CommOpen(long lngPort, const std::string& strSettings, long lngReadTimeout, bool booHandshaking) {
    return GuardedCode("CommOpen", [&] { return CommOpenSteps(lngPort, strSettings, lngReadTimeout, booHandshaking); });
}

long clsKRComm::CommOpenSteps(long lngPort, const std::string& strSettings, long lngReadTimeout, bool booHandshaking) {
    std::string device = DevicePathForPort(lngPort);
    if (IsOpen()) {
        if (port_->Close() != 0) return SetDllError(port_->LastError(), "CommClose (CloseHandle)");
    }
    portNumber_ = 0;
    openRefusal_.clear();
    if (port_->Open(device) != 0) {
        // A port that was just released (a Bluetooth link coming up) may need a moment.
        std::this_thread::sleep_for(std::chrono::milliseconds(Program::ScaledMs(kOpenRetryMs)));
        if (port_->Open(device) != 0) {
            if (port_->LastError() == EACCES || port_->LastError() == EPERM)
                openRefusal_ = RefusalText(device, port_->LastError());
            return SetDllError(port_->LastError(), "CommOpen (CreateFile)");
        }
    }
    portNumber_ = lngPort;

    // A port that cannot be set up is no use to anybody: close it again, so that the caller
    // sees it not open and the next command tries afresh.
    auto fail = [this](const std::string& context, int errorNumber) {
        long code = SetDllError(errorNumber, context);
        port_->Close();
        portNumber_ = 0;
        return code;
    };
    if (port_->Purge() != 0) return fail("CommOpen (PurgeComm)", port_->LastError());
    readTimeout_ = lngReadTimeout;
    if (port_->CheckState() != 0) return fail("CommOpen (GetCommState)", port_->LastError());
    auto settings = SerialPort::ParseSettings(strSettings + (booHandshaking ? " dtr=on rts=on" : ""));
    if (!settings) return fail("CommOpen (BuildCommDCB)", EINVAL);
    if (port_->Configure(*settings) != 0) return fail("CommOpen (SetCommState)", port_->LastError());
    return 0;
}

std::string clsKRComm::RefusalText(const std::string& device, int errorNumber) {
    std::string group = SerialPort::DeviceGroup(device);
    if (group.empty()) group = "dialout";
    return "The system would not open " + device + ": " + GetSystemMessage(errorNumber) +
           ". Serial ports are open to the members of the group '" + group +
           "': ask for your user to be added to it (sudo adduser $USER " + group + "), then log in again.";
}

long clsKRComm::CommSet(const std::string& strSettings) {
    return GuardedCode("CommSet", [&]() -> long {
        if (port_->CheckState() != 0) return SetDllError(port_->LastError(), "CommSet (GetCommState)");
        auto settings = SerialPort::ParseSettings(strSettings);
        if (!settings) return SetDllError(EINVAL, "CommSet (BuildCommDCB)");
        if (port_->Configure(*settings) != 0) return SetDllError(port_->LastError(), "CommSet (SetCommState)");
        return 0;
    });
}

long clsKRComm::CommClose(long lngSleepAfterClose) {
    return GuardedCode("CommClose", [&]() -> long {
        if (IsOpen() && port_->Close() != 0) return SetDllError(port_->LastError(), "CommClose (CloseHandle)");
        if (lngSleepAfterClose > 0)
            std::this_thread::sleep_for(
                std::chrono::milliseconds(Program::ScaledMs(static_cast<int>(lngSleepAfterClose))));
        return 0;
    });
}

long clsKRComm::CommFlush() {
    return GuardedCode("CommFlush", [&]() -> long {
        if (port_->Purge() != 0) return SetDllError(port_->LastError(), "CommFlush (PurgeComm)");
        return 0;
    });
}

bool clsKRComm::SetReadTimeout(long lngReadTimeout) {
    if (!IsOpen()) return false;
    readTimeout_ = lngReadTimeout;
    return true;
}

long clsKRComm::GetReadTimeout() const { return IsOpen() ? readTimeout_ : 0; }

// ---- Read and write ----------------------------------------------------------------------

long clsKRComm::CommRead(std::string& strData, long lngSize) {
    strData.clear();
    return Guarded("CommRead", long{-1}, [&]() -> long {
        Pump();
        if (lngSize < 1) return 0;
        size_t size = std::min<size_t>(static_cast<size_t>(lngSize), kMaxReadSize);
        long got = port_->Read(strData, size, Program::ScaledMs(static_cast<int>(readTimeout_)), pump_);
        if (got < 0) {
            SetCommError(port_->LastError(), "CommRead (ReadFile)");
            return -1;
        }
        return got;
    });
}

long clsKRComm::CommWrite(const std::string& strData) {
    return Guarded("CommWrite", long{-1}, [&]() -> long {
        // The device may take 50 ms a byte plus a second before a write gives up.
        int timeout =
            Program::ScaledMs(static_cast<int>(std::min<size_t>(strData.size() * 50 + 1000, 24 * 3600 * 1000)));
        long written = port_->Write(strData, timeout);
        Pump();
        if (written < 0) {
            SetCommError(port_->LastError(), "CommWrite (WriteFile)");
            return -1;
        }
        for (int i = 0; i < 10; ++i) Pump();
        return written;
    });
}

// ---- Lines -------------------------------------------------------------------------------

long clsKRComm::CommGetLine(long enLine, bool& blnState) {
    blnState = false;
    return GuardedCode("CommReadCD", [&]() -> long {
        static const int masks[] = {TIOCM_CAR, TIOCM_DSR, TIOCM_CTS, TIOCM_RNG};
        const std::string context = "CommReadCD (GetCommModemStatus)";
        if (enLine < 1 || enLine > 4) return SetDllError(EINVAL, context);
        int bits = 0;
        if (port_->ModemStatus(bits) != 0) return SetDllError(port_->LastError(), context);
        blnState = (bits & masks[enLine - 1]) != 0;
        return 0;
    });
}

long clsKRComm::CommSetLine(long enLine, bool blnState) {
    return GuardedCode("CommSetLine", [&]() -> long {
        const std::string context = "CommSetLine (EscapeCommFunction)";
        int result = EINVAL;
        switch (enLine) {
            case 1: result = port_->SetBreak(blnState); break;
            case 2: result = port_->SetDTR(blnState); break;
            case 3: result = port_->SetRTS(blnState); break;
            default: return SetDllError(EINVAL, context);
        }
        if (result != 0) return SetDllError(result, context);
        return 1;
    });
}

// ---- Command exchange --------------------------------------------------------------------

bool clsKRComm::TextMatches(std::string_view text, const std::string& pattern) {
    std::vector<Token> tokens = Tokenise(pattern);
    // Replies are matched against "*" and a fixed tail after every chunk; match such a
    // pattern on the tail alone, so a long reply costs no more than a short one.
    size_t stars = 0;
    while (stars < tokens.size() && tokens[stars].kind == Token::Star) ++stars;
    bool tailOnly = std::none_of(tokens.begin() + static_cast<long>(stars), tokens.end(),
                                 [](const Token& t) { return t.kind == Token::Star; });
    if (tailOnly) {
        size_t fixed = tokens.size() - stars;
        if (stars == 0 ? text.size() != fixed : text.size() < fixed) return false;
        return FixedMatch(text, text.size() - fixed, tokens, stars);
    }
    // General case: greedy with a return to the last star.
    size_t t = 0, p = 0, starAt = std::string::npos, resume = 0;
    while (t < text.size()) {
        if (p < tokens.size() && tokens[p].kind == Token::Star) {
            starAt = p++;
            resume = t;
        } else if (p < tokens.size() && tokens[p].Accepts(text[t])) {
            ++p;
            ++t;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < tokens.size() && tokens[p].kind == Token::Star) ++p;
    return p == tokens.size();
}

std::string clsKRComm::CommSendCommandAndGetReply(const std::string& strCommand, const std::string& strReplyPattern,
                                                  bool booReplaceSquareBrackets) {
    if (strCommand.empty() || !IsOpen() || strReplyPattern.empty()) return {};
    return Guarded("CommSendCommandAndGetReply", std::string{}, [&]() -> std::string {
        std::string pattern = strReplyPattern;
        CommWrite(strCommand);
        if (booReplaceSquareBrackets) {
            std::replace(pattern.begin(), pattern.end(), '[', '{');
            std::replace(pattern.begin(), pattern.end(), ']', '}');
        }
        const char endMarker = pattern.back();
        // The reply's last byte ends a read at once: an exchange of short replies is not slowed
        // by the quiet that ends each read.
        port_->SetReadEnd(static_cast<unsigned char>(endMarker));
        struct ReadEndOff {
            SerialPort& port;
            ~ReadEndOff() { port.SetReadEnd(-1); }
        } readEndOff{*port_};

        using Clock = std::chrono::steady_clock;
        auto deadline = Clock::now() + std::chrono::milliseconds(Program::ScaledMs(static_cast<int>(deadlineMs_)));
        std::string buffer;
        long count = 0;
        auto received = [&] { return std::string_view(buffer).substr(0, static_cast<size_t>(count)); };
        auto result = [&] {
            std::string reply(received());
            if (booReplaceSquareBrackets) {
                std::replace(reply.begin(), reply.end(), '{', '[');
                std::replace(reply.begin(), reply.end(), '}', ']');
            }
            return reply;
        };
        std::string chunk;
        for (;;) {
            Pump();
            if (CommRead(chunk, kChunkSize) <= 0) {
                if (count > 0 && TextMatches(received(), pattern)) return result();
                return std::string{};
            }
            if (booReplaceSquareBrackets && (chunk == "[" || chunk == "]")) chunk = chunk == "[" ? "{" : "}";
            if (count + static_cast<long>(chunk.size()) >= static_cast<long>(buffer.size()))
                buffer.append(kBufferStep, ' ');
            buffer.replace(static_cast<size_t>(count), chunk.size(), chunk);
            count += static_cast<long>(chunk.size());
            if (dataReceived_) dataReceived_(buffer, count);
            if (chunk.back() == endMarker && TextMatches(received(), pattern)) return result();
            if (count > maxReplyChars_) {
                SetDllError(EMSGSIZE, "CommSendCommandAndGetReply");
                return std::string{};
            }
            if (Clock::now() >= deadline) {
                SetDllError(ETIMEDOUT, "CommSendCommandAndGetReply");
                return std::string{};
            }
        }
    });
}
