#include "sticktool/StickConnection.h"

#include <cmath>

#include "devices/clsKRComm.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "devices/modStickReaderConfiguration.h"

namespace {

constexpr std::size_t kStickTypeEntry = 13;

}  // namespace

StickConnection::StickConnection(std::function<Port()> chosenPort)
    : chosenPort_(std::move(chosenPort)),
      comm_(std::make_unique<clsKRComm>()),
      exchange_(std::make_unique<modStickReader::StickExchange>(*comm_)) {}

StickConnection::~StickConnection() = default;

// ---- Commands -----------------------------------------------------------------------------------

bool StickConnection::SendStickCommand(const std::string& strCommand, const std::string& strReplyPattern,
                                       long lngReadTimeout) {
    const Port port = chosenPort_();
    exchange_->Port = port.number;
    exchange_->Settings = port.settings;
    return exchange_->SendStickCommand(strCommand, strReplyPattern, lngReadTimeout);
}

bool StickConnection::SendFactoryCommand(const std::string& command) {
    return SendStickCommand(command + "|" + modStickReader::StickAccessCode, modHandheld::ReplyPattern("q"),
                            CommandTimeout) &&
           StickReplyOK(LastReply());
}

const std::string& StickConnection::LastReply() const { return exchange_->LastReply; }

bool StickConnection::StickReplyOK(const std::string& reply) {
    return reply.size() > 3 && reply.compare(reply.size() - 3, 3, "S)\r") == 0;
}

std::string StickConnection::StickReplyData(const std::string& reply) {
    return modStickReader::StripReplyStatus(reply);
}

std::optional<std::vector<std::string>> StickConnection::ReadConfiguration() {
    if (!SendStickCommand("c", modHandheld::ReplyPattern("c"), CommandTimeout) || !StickReplyOK(LastReply()))
        return std::nullopt;
    return modHandheld::SplitText(StickReplyData(LastReply()), modHandheld::ItemSeparator);
}

void StickConnection::OpenPort(long readTimeout) {
    const Port port = chosenPort_();
    comm_->CommOpen(port.number, port.settings, readTimeout, false);
}

void StickConnection::Close(long pause) {
    if (comm_->IsOpen()) comm_->CommClose(pause);
}

// ---- Connecting ---------------------------------------------------------------------------------

void StickConnection::Open() {
    Close();
    OpenPort(CommandTimeout);
}

bool StickConnection::Identify() {
    bool found = false;
    exchange_->LastReply.clear();
    for (int tries = 0; comm_->IsOpen() && !found && tries < modStickReader::IdentifyTries; ++tries)
        found = SendStickCommand("n", modHandheld::ReplyPattern("n"), CommandTimeout);
    return found;
}

StickConnection::StickType StickConnection::ReadStickType(long mode) {
    StickType found;
    const auto entries = ReadConfiguration();
    if (!entries) return found;
    found.configured = true;
    if (entries->size() <= kStickTypeEntry) return found;
    const auto typeFields = modHandheld::SplitText((*entries)[kStickTypeEntry], modHandheld::FieldSeparator);
    if (typeFields.size() < 2) return found;
    found.firmwareVersion = modStickReader::FirmwareVersionOf(*entries);
    found.suits = std::lround(modHandheld::LeadingNumber(typeFields[1])) == mode;
    if (found.suits) firmwareVersion_ = found.firmwareVersion;
    return found;
}

bool StickConnection::SetClock() { return modStickReader::CheckStickClock(*exchange_); }

std::optional<long> StickConnection::ReadMemorySize() {
    if (!SendFactoryCommand("qM")) return std::nullopt;
    return std::lround(modHandheld::LeadingNumber(StickReplyData(LastReply())));
}
