#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class clsKRComm;
namespace modStickReader {
class StickExchange;
}

// The stick tool's line to the stick, apart from the window: every command goes through it to
// the port the keeper chose, and the steps that connect a stick (find it, read its type, set
// its clock, read its memory size) each say what they found, for the window to show.
class StickConnection {
public:
    // Where commands go: the chosen port's number and line settings, asked for every command
    // that opens the port.
    struct Port {
        long number = 0;
        std::string settings;
    };
    static constexpr long CommandTimeout = 1000;     // ms for the reply to a command
    static constexpr long ActionReadTimeout = 3000;  // the port's read time-out for an action's commands
    static constexpr long EraseTimeout = 30000;      // emptying the stick's reads or its list takes longer
    static constexpr long ClosePause = 500;          // ms after closing the port at a connection's end

    explicit StickConnection(std::function<Port()> chosenPort);
    ~StickConnection();
    StickConnection(const StickConnection&) = delete;
    StickConnection& operator=(const StickConnection&) = delete;

    clsKRComm& Comm() { return *comm_; }
    modStickReader::StickExchange& Exchange() { return *exchange_; }
    Port ChosenPort() const { return chosenPort_(); }

    // ---- Commands ---------------------------------------------------------------------------
    // The command wrapper: the chosen port, opened for the command alone when it is closed.
    // True when a reply came.
    bool SendStickCommand(const std::string& strCommand, const std::string& strReplyPattern, long lngReadTimeout);
    // A factory command, with the access code after it; true when it succeeded.
    bool SendFactoryCommand(const std::string& command);
    const std::string& LastReply() const;
    // True when the reply ends with a success tail.
    static bool StickReplyOK(const std::string& reply);
    // The reply without its five-character status tail.
    static std::string StickReplyData(const std::string& reply);
    // The entries of the stick's configuration, when it came with success.
    std::optional<std::vector<std::string>> ReadConfiguration();
    // Opens the chosen port for the commands of an action, and closes it when it is open.
    void OpenPort(long readTimeout);
    void Close(long pause = ClosePause);

    // ---- Connecting ---------------------------------------------------------------------------
    // Opens the chosen port afresh.
    void Open();
    // Any reply to "n", whatever its status, within the tries and while the port is open.
    bool Identify();
    struct StickType {
        bool configured = false;  // the configuration came with success
        bool suits = false;       // its stick type is the program's
        long firmwareVersion = 0;
    };
    // The stick type must be `mode`, the program's: a reply too short to say does not suit.
    StickType ReadStickType(long mode);
    // The stick's clock read, and set when it is off; true when every command was answered.
    bool SetClock();
    // The stick's memory in pages, when it said.
    std::optional<long> ReadMemorySize();
    // The firmware version of the stick the last connection found suitable.
    long FirmwareVersionOf() const { return firmwareVersion_; }

private:
    std::function<Port()> chosenPort_;
    std::unique_ptr<clsKRComm> comm_;
    std::unique_ptr<modStickReader::StickExchange> exchange_;  // goes before the port it uses
    long firmwareVersion_ = 0;
};
