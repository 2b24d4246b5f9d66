#include "fuzz/FuzzLine.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "devices/clsKRComm.h"
#include "platform/SerialPort.h"
#include "platform/Text.h"

namespace {

// A port whose device is Fuzz::Line(): it opens whatever it is asked to, and moves the device's
// bytes without waiting.
class FuzzLine : public SerialPort {
public:
    int Open(const std::string&) override {
        open_ = true;
        Fuzz::Line().unread.clear();  // what a device said to a closed port is lost
        return 0;
    }
    int CheckState() override { return open_ ? 0 : EBADF; }
    int Configure(const Settings&) override { return open_ ? 0 : EBADF; }
    int Close() override {
        open_ = false;
        return 0;
    }
    bool IsOpen() const override { return open_; }
    int Purge() override {
        if (!open_) return EBADF;
        Fuzz::Line().unread.clear();
        return 0;
    }
    long Write(const std::string& data, int) override {
        if (!open_) return -1;
        Fuzz::Device& device = Fuzz::Line();
        for (const std::string& line : Split(data, "\r")) {
            if (line.empty()) continue;
            device.heard.push_back(line);
            if (device.answer) device.unread += device.answer(line);
        }
        return static_cast<long>(data.size());
    }
    long Read(std::string& data, std::size_t maxBytes, int, const std::function<void()>&, int) override {
        data.clear();
        if (!open_) return -1;
        Fuzz::Device& device = Fuzz::Line();
        if (device.unread.empty()) {
            if (!device.hangsUp) return 0;
            open_ = false;
            return -1;
        }
        std::size_t size = device.pieces[device.nextPiece++ % device.pieces.size()];
        size = std::min({size, maxBytes, device.unread.size()});
        data = device.unread.substr(0, size);
        device.unread.erase(0, size);
        return static_cast<long>(size);
    }

private:
    bool open_ = false;
};

}  // namespace

namespace Fuzz {

Device& Line() {
    static Device device;
    return device;
}

void InstallLine() {
    clsKRComm::SetDefaultLine([] { return std::make_unique<FuzzLine>(); });
}

void Device::Reset(std::uint8_t pace) {
    answer = nullptr;
    pieces = {1u + (pace & 7u), 1u + (pace >> 3 & 15u) * 5};
    hangsUp = (pace & 0x80) != 0;
    heard.clear();
    unread.clear();
    nextPiece = 0;
}

void Device::AnswerAlways(const std::string& bytes) {
    answer = [bytes](const std::string&) { return bytes; };
}

void Device::AnswerInTurn(const std::string& script) {
    auto replies = std::make_shared<std::vector<std::string>>(Split(script, "\n"));
    auto next = std::make_shared<std::size_t>(0);
    answer = [replies, next](const std::string&) {
        return *next < replies->size() ? (*replies)[(*next)++] : std::string();
    };
}

}  // namespace Fuzz
