#include "platform/SerialPort.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <linux/serial.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>
#include <sstream>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Text.h"

namespace {

const std::pair<int, speed_t> kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},         {200, B200},
    {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},     {2400, B2400},       {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},   {230400, B230400},
    {460800, B460800}, {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000},
};

std::optional<speed_t> SpeedOf(int baud) {
    for (const auto& [rate, code] : kSpeeds)
        if (rate == baud) return code;
    return std::nullopt;
}

// Rates that settings texts name (a port list offers them) but that have no code of their own
// in the table above: the driver is given them as a number.
constexpr int kOtherRates[] = {14400, 56000, 128000, 256000};

bool IsKnownRate(int baud) {
    return SpeedOf(baud) || std::find(std::begin(kOtherRates), std::end(kOtherRates), baud) != std::end(kOtherRates);
}

std::optional<int> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    if (!AllDigits(text)) return std::nullopt;
    return std::stoi(text);
}

std::optional<bool> OnOff(const std::string& value) {
    if (value == "on") return true;
    if (value == "off") return false;
    return std::nullopt;
}

using Clock = std::chrono::steady_clock;

// How long a read goes on taking bytes once they come, and how often it looks for more.
constexpr int kGatherSliceMs = 40;
constexpr int kGatherStepMs = 4;
constexpr int kGatherEndPauseMs = 2;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

// The kernel's own view of a terminal's settings, which carries the rates as numbers (the
// C library's termios carries only codes). Its size is part of the request number, so a
// mismatch is refused by the kernel, never misread.
struct KernelTermios {
    tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed, c_ospeed;
};
constexpr tcflag_t kRateByNumber = 0010000;  // in place of a rate code
constexpr int kInputRateShift = 16;          // input rate bits lie above the output ones

int SetExactRate(int fd, int baud) {
    KernelTermios tio{};
    constexpr unsigned long kGet = _IOR('T', 0x2A, KernelTermios);
    constexpr unsigned long kSet = _IOW('T', 0x2B, KernelTermios);
    if (::ioctl(fd, kGet, &tio) != 0) return errno;
    tio.c_cflag &= ~(CBAUD | (CBAUD << kInputRateShift));
    tio.c_cflag |= kRateByNumber | (kRateByNumber << kInputRateShift);
    tio.c_ispeed = tio.c_ospeed = static_cast<speed_t>(baud);
    if (::ioctl(fd, kSet, &tio) != 0) return errno;
    return 0;
}

}  // namespace

std::optional<SerialPort::Settings> SerialPort::ParseSettings(const std::string& text) {
    Settings settings;
    std::istringstream words(text);
    std::string word;
    bool any = false;
    while (words >> word) {
        auto eq = word.find('=');
        if (eq == std::string::npos) return std::nullopt;
        std::string key = LowerAscii(word.substr(0, eq));
        std::string value = LowerAscii(word.substr(eq + 1));
        if (key == "baud") {
            auto baud = WholeNumber(value);
            if (!baud || !IsKnownRate(*baud)) return std::nullopt;
            settings.baud = *baud;
        } else if (key == "parity") {
            if (value.size() != 1 || std::string("neoms").find(value[0]) == std::string::npos) return std::nullopt;
            settings.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
        } else if (key == "data") {
            auto bits = WholeNumber(value);
            if (!bits || *bits < 5 || *bits > 8) return std::nullopt;
            settings.dataBits = *bits;
        } else if (key == "stop") {
            auto bits = WholeNumber(value);
            if (!bits || (*bits != 1 && *bits != 2)) return std::nullopt;
            settings.stopBits = *bits;
        } else if (key == "dtr" || key == "rts") {
            auto state = OnOff(value);
            if (!state) return std::nullopt;
            (key == "dtr" ? settings.dtr : settings.rts) = *state;
        } else {
            return std::nullopt;
        }
        any = true;
    }
    if (!any) return std::nullopt;
    return settings;
}

std::string SerialPort::DeviceGroup(const std::string& devicePath) {
    struct stat st {};
    if (stat(devicePath.c_str(), &st) != 0) return "";
    struct group entry {};
    struct group* found = nullptr;
    std::vector<char> buffer(4096);
    if (getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return "";
    return found->gr_name;
}

std::string SerialPort::ErrorText(int errorNumber) {
    char buffer[256];
    std::string text = strerror_r(errorNumber, buffer, sizeof buffer);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    return text;
}

SerialPort::~SerialPort() { Close(); }

int SerialPort::Fail(int errorNumber) {
    lastError_ = errorNumber;
    return errorNumber;
}

int SerialPort::Open(const std::string& devicePath) {
    if (IsOpen()) Close();
    if (devicePath.empty()) return Fail(ENOENT);
    int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(errno);
    if (!::isatty(fd)) {
        int err = errno;
        ::close(fd);
        return Fail(err ? err : ENOTTY);
    }
    if (::ioctl(fd, TIOCEXCL) != 0) {
        int err = errno;
        ::close(fd);
        return Fail(err);
    }
    fd_ = fd;
    counts_ = {};
    LineErrors();  // start counting line errors from now
    return 0;
}

int SerialPort::CheckState() {
    if (!IsOpen()) return Fail(EBADF);
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return Fail(errno);
    return 0;
}

int SerialPort::Configure(const Settings& settings) {
    if (!IsOpen()) return Fail(EBADF);
    if (!IsKnownRate(settings.baud) || settings.dataBits < 5 || settings.dataBits > 8) return Fail(EINVAL);
    auto speed = SpeedOf(settings.baud);
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return Fail(errno);
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    // No input rate of its own: input follows the output rate (a rate set by number before
    // would otherwise stay on the input side).
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CIBAUD);
    tio.c_cflag |= CLOCAL | CREAD;
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= sizes[settings.dataBits - 5];
    switch (settings.parity) {
        case 'N': break;
        case 'E': tio.c_cflag |= PARENB; break;
        case 'O': tio.c_cflag |= PARENB | PARODD; break;
        case 'M': tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case 'S': tio.c_cflag |= PARENB | CMSPAR; break;
        default: return Fail(EINVAL);
    }
    if (settings.parity != 'N') tio.c_iflag |= INPCK;
    if (settings.stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    // A rate without a code of its own is set by number once the rest is in place.
    speed_t code = speed.value_or(B38400);
    if (::cfsetispeed(&tio, code) != 0 || ::cfsetospeed(&tio, code) != 0) return Fail(errno);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return Fail(errno);
    if (!speed) {
        if (int err = SetExactRate(fd_, settings.baud)) return Fail(err);
    }
    // A device without modem lines (a pseudo-terminal) has nothing to raise or drop; that is
    // no reason to refuse the settings.
    auto noLines = [](int err) { return err == ENOTTY || err == EINVAL; };
    if (settings.dtr) {
        if (int err = SetDTR(*settings.dtr); err && !noLines(err)) return err;
    }
    if (settings.rts) {
        if (int err = SetRTS(*settings.rts); err && !noLines(err)) return err;
    }
    return 0;
}

int SerialPort::Close() {
    if (!IsOpen()) return 0;
    // The exclusive flag belongs to the device, not to this descriptor: drop it so the next
    // open succeeds even when another holder keeps the device alive (a pseudo-terminal's peer).
    ::ioctl(fd_, TIOCNXCL);
    int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR) return Fail(errno);
    return 0;
}

long SerialPort::Read(std::string& data, size_t maxBytes, int timeoutMs, const std::function<void()>& pump,
                      int sliceMs) {
    data.clear();
    if (!IsOpen()) return Fail(EBADF), -1;
    if (maxBytes == 0) return 0;
    auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    for (;;) {
        pollfd pfd{fd_, POLLIN, 0};
        int wait = std::min(std::max(1, sliceMs), MsLeft(deadline));
        int ready = ::poll(&pfd, 1, wait);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return Fail(errno), -1;
        }
        if (ready > 0 && (pfd.revents & POLLIN)) {
            data.resize(maxBytes);
            ssize_t got = ::read(fd_, data.data(), maxBytes);
            if (got < 0) {
                int err = errno;
                data.clear();
                if (err == EAGAIN || err == EINTR) continue;
                return Fail(err), -1;
            }
            data.resize(static_cast<size_t>(got));
            // Readable with nothing to read: the device has hung up. That is the end.
            if (got == 0) return HungUp();
            Gather(data, maxBytes);
            return static_cast<long>(data.size());
        } else if (ready > 0 && (pfd.revents & POLLNVAL)) {
            return Fail(EBADF), -1;
        } else if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR))) {
            return HungUp();
        }
        if (MsLeft(deadline) <= 0) return 0;
        if (pump) pump();
        // What the pump ran may have closed the port.
        if (!IsOpen()) return Fail(EBADF), -1;
    }
}

// While bytes keep coming, what the line brings over a short slice joins the read: a paced
// line then costs a wake-up (and a pump of the caller's window) per slice, not per byte. The
// slice ends early once a step passes with nothing new, so the end of a reply comes late by
// one step at most. Gathering only reads what is there; a hang-up or a failure met meanwhile
// is left for the next read to report, as a read that had returned at once would have met it.
void SerialPort::Gather(std::string& data, size_t maxBytes) {
    const auto until = Clock::now() + std::chrono::milliseconds(kGatherSliceMs);
    while (data.size() < maxBytes && Clock::now() < until) {
        pollfd pfd{fd_, POLLIN, 0};
        if (readEnd_ >= 0) {
            // A reply with a known last byte is taken as it comes, so its end is seen within a
            // short pause: the pause lets a paced line bring a few bytes a wake-up, not one.
            if (!data.empty() && static_cast<unsigned char>(data.back()) == readEnd_) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(kGatherEndPauseMs));
            if (::poll(&pfd, 1, kGatherStepMs) <= 0 || !(pfd.revents & POLLIN)) return;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(kGatherStepMs));
            if (::poll(&pfd, 1, 0) <= 0 || !(pfd.revents & POLLIN)) return;
        }
        const size_t had = data.size();
        data.resize(maxBytes);
        const ssize_t got = ::read(fd_, data.data() + had, maxBytes - had);
        data.resize(had + static_cast<size_t>(std::max<ssize_t>(got, 0)));
        if (got <= 0) return;
    }
}

// A device that has gone (a stick unplugged, the other end of a pseudo-terminal closed) gives
// nothing more: the port is closed, so its owner sees it closed, and the read fails.
long SerialPort::HungUp() {
    Close();
    return Fail(EIO), -1;
}

long SerialPort::Write(const std::string& data, int timeoutMs) {
    if (!IsOpen()) return Fail(EBADF), -1;
    auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    size_t done = 0;
    while (done < data.size()) {
        ssize_t put = ::write(fd_, data.data() + done, data.size() - done);
        if (put > 0) {
            done += static_cast<size_t>(put);
            continue;
        }
        if (put < 0 && errno != EAGAIN && errno != EINTR) return Fail(errno), -1;
        int left = MsLeft(deadline);
        if (left <= 0) break;
        pollfd pfd{fd_, POLLOUT, 0};
        if (::poll(&pfd, 1, left) < 0 && errno != EINTR) return Fail(errno), -1;
    }
    return static_cast<long>(done);
}

int SerialPort::Purge() {
    if (!IsOpen()) return Fail(EBADF);
    if (::tcflush(fd_, TCIOFLUSH) != 0) return Fail(errno);
    return 0;
}

int SerialPort::SetBreak(bool on) {
    if (!IsOpen()) return Fail(EBADF);
    if (::ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) != 0) return Fail(errno);
    return 0;
}

int SerialPort::SetModemLine(int line, bool on) {
    if (!IsOpen()) return Fail(EBADF);
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) != 0) return Fail(errno);
    return 0;
}

int SerialPort::SetDTR(bool on) { return SetModemLine(TIOCM_DTR, on); }
int SerialPort::SetRTS(bool on) { return SetModemLine(TIOCM_RTS, on); }

int SerialPort::ModemStatus(int& bits) {
    bits = 0;
    if (!IsOpen()) return Fail(EBADF);
    if (::ioctl(fd_, TIOCMGET, &bits) != 0) return Fail(errno);
    return 0;
}

unsigned SerialPort::LineErrors() {
    if (!IsOpen()) return 0;
    serial_icounter_struct now{};
    if (::ioctl(fd_, TIOCGICOUNT, &now) != 0) return 0;
    unsigned flags = 0;
    if (now.buf_overrun != counts_.bufOverrun) flags |= 1;
    if (now.overrun != counts_.overrun) flags |= 2;
    if (now.parity != counts_.parity) flags |= 4;
    if (now.frame != counts_.frame) flags |= 8;
    if (now.brk != counts_.brk) flags |= 16;
    counts_ = {now.frame, now.overrun, now.parity, now.brk, now.buf_overrun};
    return flags;
}
