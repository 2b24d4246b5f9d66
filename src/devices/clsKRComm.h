#pragma once
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialPort.h"

// The program's one road to a serial port: each device window owns one, opens a numbered
// port ("COMn") with a settings text, exchanges command lines and replies, and closes it.
// No operation throws; failures come back as results and the details stay in the last-error
// record, read through CommGetError.
class clsKRComm {
public:
    // One port of the list: {device path, port name "COMn", port number as decimal digits}.
    using SerialPortEntry = std::array<std::string, 3>;
    // Called after every chunk of a reply: the receive buffer (blanks beyond the received
    // characters) and the number of characters received so far.
    using DataReceivedHandler = std::function<void(const std::string& strDataBuffer, long lngLastCharPos)>;

    clsKRComm();
    ~clsKRComm();  // closes an open port, without a pause
    clsKRComm(const clsKRComm&) = delete;
    clsKRComm& operator=(const clsKRComm&) = delete;

    // The ports named in the settings' [SerialComm] section (device path = "COMn") and the
    // serial devices present under /dev, ordered by port number.
    static std::vector<SerialPortEntry> EnumSerialPorts();
    // The device a port number stands for ("" when none can stand for it).
    static std::string DevicePathForPort(long lngPort);
    // The port number of a list entry: its digits, 0 for none or for a number too long to be one.
    static long PortNumber(const SerialPortEntry& entry);
    static std::string GetSystemMessage(long lngErrorCode);

    bool IsOpen() const { return port_->IsOpen(); }
    long CommPort() const { return portNumber_; }

    long CommOpen(long lngPort, const std::string& strSettings, long lngReadTimeout, bool booHandshaking);
    long CommSet(const std::string& strSettings);
    long CommClose(long lngSleepAfterClose);
    long CommRead(std::string& strData, long lngSize);
    std::string CommSendCommandAndGetReply(const std::string& strCommand, const std::string& strReplyPattern,
                                           bool booReplaceSquareBrackets);
    long CommWrite(const std::string& strData);
    // Line 1 carrier detect, 2 DSR, 3 CTS, 4 ring indicator; blnState receives the line's state.
    long CommGetLine(long enLine, bool& blnState);
    // Line 1 break, 2 DTR, 3 RTS.
    long CommSetLine(long enLine, bool blnState);
    long CommGetError(std::string& strMessage) const;
    // When the last CommOpen found the port but the system refused it for lack of permission
    // (the usual case until the user joins the group that owns serial ports): a line, CR LF
    // first, that gives the system's reason and what to do about it, for the end of a
    // "not found" message. "" otherwise.
    std::string OpenRefusalLine() const { return openRefusal_.empty() ? "" : "\r\n" + openRefusal_; }
    bool SetReadTimeout(long lngReadTimeout);
    long GetReadTimeout() const;
    long CommFlush();

    // The DataReceived event.
    void OnDataReceived(DataReceivedHandler handler) { dataReceived_ = std::move(handler); }

    // What keeps the owning window alive while the port waits. Every object starts with the
    // program-wide pump (Qt's event processing unless the program sets another).
    void SetMessagePump(std::function<void()> pump) { pump_ = std::move(pump); }
    static void SetDefaultMessagePump(std::function<void()> pump);
    // The line every object made from now on reaches its ports through: one of the system's
    // serial devices unless the program sets another maker.
    using LineMaker = std::function<std::unique_ptr<SerialPort>()>;
    static void SetDefaultLine(LineMaker make);

    // Bounds of one exchange, so that a device streaming text that never matches cannot hold
    // its window for ever: the whole exchange (before time scaling) and the reply's length.
    void SetExchangeLimits(long deadlineMs, long maxReplyChars);
    static constexpr long DefaultExchangeDeadlineMs = 600000;
    static constexpr long DefaultMaxReplyChars = 1000000;

    // Wildcard match of the whole text: * any run, # one digit, [list] one of the listed
    // characters, any other character itself; case-sensitive.
    static bool TextMatches(std::string_view text, const std::string& pattern);

private:
    void Pump() const;
    long Record(long code, const std::string& context, const std::string& message);
    long SetDllError(int errorNumber, const std::string& context);
    long SetCommError(int errorNumber, const std::string& context);
    static std::string RefusalText(const std::string& device, int errorNumber);
    long CommOpenSteps(long lngPort, const std::string& strSettings, long lngReadTimeout, bool booHandshaking);
    template <class Body>
    long GuardedCode(const char* operation, Body body);
    template <class Result, class Body>
    Result Guarded(const char* operation, Result failure, Body body);

    std::unique_ptr<SerialPort> port_;
    long portNumber_ = 0;
    long readTimeout_ = 0;
    std::string openRefusal_;
    long lastErrorCode_ = 0;
    std::string lastErrorContext_;
    std::string lastErrorMessage_;
    DataReceivedHandler dataReceived_;
    std::function<void()> pump_;
    long deadlineMs_ = DefaultExchangeDeadlineMs;
    long maxReplyChars_ = DefaultMaxReplyChars;
};
