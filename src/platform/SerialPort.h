#pragma once
#include <functional>
#include <optional>
#include <string>

// A serial device (or pseudo-terminal) in raw mode over termios. It moves bytes and lines and
// knows nothing of what the bytes mean. Failures are reported as errno values; ErrorText gives
// the system's text for one. A line of another kind (one whose far end is a test's) stands in
// for a device by overriding the operations that open, set up, read, write and close it.
class SerialPort {
public:
    // Line settings; a line that is not named keeps the state it has.
    struct Settings {
        int baud = 9600;
        char parity = 'N';  // N, E, O, M, S
        int dataBits = 8;   // 5 to 8
        int stopBits = 1;   // 1 or 2
        std::optional<bool> dtr, rts;
    };

    // Reads a settings text such as "baud=19200 parity=N data=8 stop=1 dtr=on rts=on"
    // (keys and values without regard to case, in any order); nullopt when it names an unknown
    // key, a value out of range, or nothing at all.
    static std::optional<Settings> ParseSettings(const std::string& text);

    // The system's text for an errno value, without trailing blanks or line ends.
    static std::string ErrorText(int errorNumber);
    // The name of the group whose members may open the device ("" when it cannot be told).
    static std::string DeviceGroup(const std::string& devicePath);

    SerialPort() = default;
    virtual ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the device for reading and writing, without making it the controlling terminal,
    // exclusively (other opens of the same device fail while it is held). 0 or errno.
    virtual int Open(const std::string& devicePath);
    // Reads the device's current line state; 0 or errno.
    virtual int CheckState();
    // Raw mode (no echo, no line editing, no translation of CR or LF either way, no signals,
    // no flow control), receiver on, modem lines ignored, with the given speed and framing.
    virtual int Configure(const Settings& settings);
    // Closes the device (a closed port closes without failing); 0 or errno.
    virtual int Close();
    virtual bool IsOpen() const { return fd_ >= 0; }

    // Waits up to timeoutMs for the first byte, polling in slices of at most sliceMs and
    // calling pump (when given) between slices; then takes what is buffered and what follows
    // within a short slice (up to 40 ms, ending a few ms after the line falls quiet), at most
    // maxBytes. Result: bytes read (0 when nothing came in time), or -1 (see LastError).
    // A device that hangs up while the read waits ends it at once with EIO, and the port
    // closes; one that hangs up after bytes came ends the next read so.
    virtual long Read(std::string& data, size_t maxBytes, int timeoutMs, const std::function<void()>& pump = {},
                      int sliceMs = 10);
    // A read whose bytes end in this byte returns at once: while it is set, a read takes the
    // bytes as they come rather than in steps, so a reply that ends in a known byte is not held
    // up by the quiet that ends a gathering. -1 = none.
    void SetReadEnd(int byte) { readEnd_ = byte; }
    // Writes all bytes unless the device takes none for timeoutMs; the bytes written, or -1.
    virtual long Write(const std::string& data, int timeoutMs);
    // Discards what is waiting to be read and what is not yet sent; 0 or errno.
    virtual int Purge();

    // Break, DTR and RTS lines; 0 or errno.
    int SetBreak(bool on);
    int SetDTR(bool on);
    int SetRTS(bool on);
    // The modem status bits (TIOCM_* values) in `bits`; 0 or errno.
    int ModemStatus(int& bits);
    // Line errors counted by the driver since the last call, as flags: 1 receive buffer overrun,
    // 2 hardware overrun, 4 parity, 8 framing, 16 break. 0 where the driver keeps no counts.
    unsigned LineErrors();

    // errno of the last failing call.
    int LastError() const { return lastError_; }

private:
    int Fail(int errorNumber);
    long HungUp();
    void Gather(std::string& data, size_t maxBytes);
    int SetModemLine(int line, bool on);

    int fd_ = -1;
    int lastError_ = 0;
    int readEnd_ = -1;
    struct Counts {
        int frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    } counts_;
};
