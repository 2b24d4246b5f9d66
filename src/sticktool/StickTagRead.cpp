#include "sticktool/StickTagRead.h"

#include <cmath>
#include <optional>

#include "core/modCommon.h"
#include "devices/clsKRComm.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "devices/modStickReaderConfiguration.h"
#include "platform/DateTime.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/Recordset.h"
#include "platform/SerialPort.h"
#include "platform/Text.h"
#include "sticktool/StickConnection.h"
#include "sticktool/StickTagTable.h"

namespace {

constexpr long kLatestFirmware = 12;
constexpr long kSerialNumberItem = 2;
constexpr long kDisplayFormatItem = 19;

using modCommon::Translate;

// The look-up of a stick that shows tags by it: the copy of the list last sent to that stick,
// else the keeper's list.
StickTagTable::Lookup TagLookupFor(const std::string& serial) {
    std::string path = FileSystem::Join(modCommon::GetDatabaseFilespec(), serial + "Eartags.csv");
    if (!FileSystem::Exists(path)) path = modStickReader::GetEartagFileSpec();
    return FileSystem::Exists(path) ? StickTagTable::Lookup::FromFile(path) : StickTagTable::Lookup();
}

}  // namespace

std::optional<Recordset> StickTagRead::Run() {
    help_(Translate("Reading from stick") + "...");
    stick_.OpenPort(StickConnection::ActionReadTimeout);
    long displayFormat = StickTagTable::NoFormat;
    std::string serial;
    const bool read = ReadDisplayFormat(displayFormat, serial) && ReadStoredTags();
    stick_.Comm().CommClose(0);
    help_("");
    if (!read) {
        Prompts::MsgBox(Translate("Failed to get animal data from the stick") + ".", Prompts::OKOnly,
                        Translate("Animal Data NOT Received"));
        return std::nullopt;
    }
    const std::string data = StickConnection::StickReplyData(stick_.LastReply());
    if (data.empty()) {
        Prompts::MsgBox(Translate("No animal data was detected on your stick") + ".", Prompts::OKOnly,
                        Translate("No Data to Receive"));
        return std::nullopt;
    }
    help_(Translate("Extracting tags") + "...");
    std::optional<StickTagTable::Lookup> lookup;
    if (displayFormat == StickTagTable::TagLookup) lookup = TagLookupFor(serial);
    Recordset table = StickTagTable::Create();
    TellUnread(StickTagTable::AddRecords(table, data, displayFormat, lookup ? &*lookup : nullptr));
    if (options_.sortTags) StickTagTable::Sort(table, options_.includeGroupLabels);
    return table;
}

// The records that are no read, listed (the first few, when there are many) before the keeper
// sees the tags and may erase the stick.
void StickTagRead::TellUnread(const std::vector<std::string>& unread) {
    if (unread.empty()) return;
    constexpr std::size_t kListed = 20;
    std::string text = Translate(unread.size() == 1 ? "The stick holds a record that could not be read"
                                                    : "The stick holds records that could not be read") +
                       " (" + std::to_string(unread.size()) + "):";
    for (std::size_t i = 0; i < unread.size() && i < kListed; ++i) text += CRLF + unread[i];
    if (unread.size() > kListed) text += CRLF + "...";
    Prompts::MsgBox(text, Prompts::Exclamation, Translate("Records Not Read"));
}

// The stick's display format from its configuration, and for the tag look-up format its
// serial number. False (with a message) when the configuration did not come.
bool StickTagRead::ReadDisplayFormat(long& displayFormat, std::string& serial) {
    const auto entries = stick_.ReadConfiguration();
    if (!entries) {
        Prompts::MsgBox(Translate("Failed to get configuration data from the stick") + ".", Prompts::OKOnly,
                        Translate("Configuration Data NOT Received"));
        return false;
    }
    const long version = modStickReader::FirmwareVersionOf(*entries);
    if (version > kLatestFirmware) {
        Prompts::MsgBox(Translate("This stick is a later version than this program can handle." + CRLF +
                                  "You will need to get an updated version of this program."),
                        Prompts::Exclamation, Translate("New Program Required"));
        return true;
    }
    modStickReader::InitialiseStickConfigurationStrings(version);
    displayFormat =
        std::lround(modHandheld::LeadingNumber(modStickReader::ConfiguredValue(*entries, kDisplayFormatItem)));
    if (displayFormat == StickTagTable::TagLookup)
        serial = modStickReader::ConfiguredValue(*entries, kSerialNumberItem);
    return true;
}

// The stored reads, within the bounds a full stick's reply needs at the chosen line speed.
bool StickTagRead::ReadStoredTags() {
    const auto line = SerialPort::ParseSettings(stick_.ChosenPort().settings);
    const modStickReader::StoredReadsLimits limits(stick_.Comm(), line ? line->baud / 10.0 : 0.0);
    return stick_.SendStickCommand("r", modHandheld::ReplyPattern("r"), StickConnection::CommandTimeout) &&
           StickConnection::StickReplyOK(stick_.LastReply());
}
