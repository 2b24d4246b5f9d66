#include "sticktool/StickTagRead.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>
#include <memory>
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
#include "platform/Text.h"
#include "sticktool/StickConnection.h"
#include "sticktool/StickTagTable.h"
#include "sticktool/frmSelectTags.h"
#include "sticktool/frmSimple.h"
#include "widgets/WaitPointer.h"

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

// The action buttons, off for the length of a read and all on again however it ends; the help
// line goes with them.
class ActionButtonsOff {
public:
    explicit ActionButtonsOff(frmSimple& window) : window_(window) {
        for (QPushButton* button : window_.cmdStickAction) button->setEnabled(false);
    }
    ~ActionButtonsOff() {
        for (QPushButton* button : window_.cmdStickAction) button->setEnabled(true);
        window_.lblHelp->clear();
        window_.lblHelp->hide();
    }
    ActionButtonsOff(const ActionButtonsOff&) = delete;
    ActionButtonsOff& operator=(const ActionButtonsOff&) = delete;

private:
    frmSimple& window_;
};

}  // namespace

void StickTagRead::Run() {
    const DateTime readAt = DateTime::Now();
    ActionButtonsOff buttons(window_);
    window_.setEnabled(false);
    auto pointer = std::make_unique<WaitPointer>();
    QCoreApplication::processEvents();
    window_.ShowHelp(Translate("Reading from stick") + "...");
    stick_.OpenPort(StickConnection::ActionReadTimeout);
    long displayFormat = StickTagTable::NoFormat;
    std::string serial;
    const bool read = ReadDisplayFormat(displayFormat, serial) && ReadStoredTags();
    stick_.Comm().CommClose(0);
    window_.lblHelp->clear();
    if (!read) {
        Prompts::MsgBox(Translate("Failed to get animal data from the stick") + ".", Prompts::OKOnly,
                        Translate("Animal Data NOT Received"));
        return;
    }
    const std::string data = StickConnection::StickReplyData(stick_.LastReply());
    if (data.empty()) {
        Prompts::MsgBox(Translate("No animal data was detected on your stick") + ".", Prompts::OKOnly,
                        Translate("No Data to Receive"));
        return;
    }
    window_.ShowHelp(Translate("Extracting tags") + "...");
    std::optional<StickTagTable::Lookup> lookup;
    if (displayFormat == StickTagTable::TagLookup) lookup = TagLookupFor(serial);
    Recordset table = StickTagTable::Create();
    StickTagTable::AddRecords(table, data, displayFormat, lookup ? &*lookup : nullptr);
    if (window_.ckbSortTags->isChecked()) StickTagTable::Sort(table, window_.ckbIncludeGroupLabels->isChecked());
    if (window_.optTagsToSave[1]->isChecked()) {
        // The window owns the selection, so it takes input while the selection is open.
        pointer.reset();
        window_.setEnabled(true);
        frmSelectTags::ShowModal(&window_, table);
        window_.setEnabled(false);
        pointer = std::make_unique<WaitPointer>();
    }
    WriteOut(table, readAt);
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
    const modStickReader::StoredReadsLimits limits(
        stick_.Comm(), modHandheld::LeadingNumber(window_.cboBaudRate->currentText().toStdString()) / 10);
    return stick_.SendStickCommand("r", modHandheld::ReplyPattern("r"), StickConnection::CommandTimeout) &&
           StickConnection::StickReplyOK(stick_.LastReply());
}

void StickTagRead::WriteOut(Recordset& table, const DateTime& readAt) {
    window_.ShowHelp(Translate("Saving to") + " " + window_.fraTagReadOptions->OutputName());
    if (!window_.DoExcelOutput(table)) window_.TagReadOutput(table, readAt);
}
