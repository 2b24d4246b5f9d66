#include "sticktool/EartagFileTransfer.h"

#include <vector>

#include "core/Trap.h"
#include "core/modCommon.h"
#include "devices/clsKRComm.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "devices/modStickReaderConfiguration.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/Text.h"
#include "platform/TextFile.h"
#include "sticktool/EartagFile.h"
#include "sticktool/StickConnection.h"

namespace {

const char* const kObject = "frmSimple";
constexpr long kSerialNumberItem = 2;

using modCommon::Translate;

}  // namespace

// Every row of the list is checked before the stick's list is erased: a row the stick cannot
// take leaves the stick's list as it was.
void EartagFileTransfer::Send() {
    const std::string path = modStickReader::GetEartagFileSpec();
    const std::string bytes = FileSystem::Exists(path) ? FileSystem::ReadAll(path) : std::string();
    const std::vector<EartagFile::Entry> entries = EartagFile::Parse(bytes);
    if (entries.empty()) {
        Prompts::MsgBox(Translate("There is no eartag data to send to the stick") + ".", Prompts::OKOnly,
                        Translate("No Eartag Data"));
        return;
    }
    std::string refused;
    const std::vector<std::string> sent = EartagFile::StickEntries(entries, refused);
    bool ok = refused.empty();
    long count = 0;
    if (ok) {
        stick_.OpenPort(StickConnection::ActionReadTimeout);
        // Emptying the stick's list takes it longer than any other command.
        stick_.Comm().SetReadTimeout(StickConnection::EraseTimeout);
        ok = stick_.SendStickCommand("f", modHandheld::ReplyPattern("f"), StickConnection::EraseTimeout) &&
             StickConnection::StickReplyOK(stick_.LastReply());
        stick_.Comm().SetReadTimeout(StickConnection::ActionReadTimeout);
        for (auto entry = sent.begin(); ok && entry != sent.end(); ++entry, ++count)
            ok = stick_.SendStickCommand("a" + *entry, modHandheld::ReplyPattern("a"),
                                         StickConnection::CommandTimeout) &&
                 StickConnection::StickReplyOK(stick_.LastReply());
        stick_.Comm().CommClose(0);
    }
    if (!ok) {
        Prompts::MsgBox(Translate("The eartag data was not successfully sent to the stick") + "." +
                            (refused.empty() ? "" : CRLF + refused),
                        Prompts::OKOnly, Translate("Eartag Data NOT Sent"));
        return;
    }
    KeepCopyForStick(path, bytes);
    Prompts::MsgBox(Translate("Number of eartags sent to stick:") + " " + std::to_string(count), Prompts::OKOnly,
                    Translate("Successful Transfer"));
}

// The list sent, kept under the stick's serial number for that stick's reads. It takes the
// name only once written whole; a failure is logged and the transfer still counts.
void EartagFileTransfer::KeepCopyForStick(const std::string& listPath, const std::string& bytes) {
    const auto entries = stick_.ReadConfiguration();
    if (!entries) return;
    modStickReader::InitialiseStickConfigurationStrings(modStickReader::FirmwareVersionOf(*entries));
    const std::string serial = modStickReader::ConfiguredValue(*entries, kSerialNumberItem);
    if (serial.empty()) return;
    Trap("cmdStickAction_Click", kObject,
         [&] { TextFile::Replace(FileSystem::Join(FileSystem::Folder(listPath), serial + "Eartags.csv"), bytes); });
}

void EartagFileTransfer::Erase() {
    if (stick_.SendStickCommand("f", modHandheld::ReplyPattern("f"), StickConnection::EraseTimeout) &&
        StickConnection::StickReplyOK(stick_.LastReply()))
        Prompts::MsgBox(Translate("Eartag data erased") + ".", Prompts::OKOnly, Translate("Eartag Data Erased"));
    else
        Prompts::MsgBox(Translate("The eartag data on the stick was not successfully erased") + ".", Prompts::OKOnly,
                        Translate("Eartag Data NOT Erased"));
}
