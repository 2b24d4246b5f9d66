#include "sticktool/StickAcceptanceTest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTextEdit>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <tuple>

#include "devices/clsKRComm.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "devices/modStickReaderConfiguration.h"
#include "platform/FileSystem.h"
#include "platform/Program.h"
#include "platform/Prompts.h"
#include "platform/Rtf.h"
#include "platform/Text.h"
#include "platform/TextFile.h"
#include "sticktool/EngineeringFrame.h"
#include "sticktool/StickConnection.h"

namespace {

constexpr long kRed = 255, kGreen = 32768;
constexpr double kSlowest = 511.936946, kFastest = 512.031527, kNominal = 512;
constexpr long kSerialNumberItem = 2;

bool IsUpperHexDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'); }

std::string FourDigits(long page) {
    char text[24];
    std::snprintf(text, sizeof text, "%04ld", page);
    return text;
}

// The position a configuration line "wNN|value" writes, or -1 when it is no such line.
long ItemPosition(const std::string& line) {
    const std::size_t bar = line.find('|');
    if (line.size() < 3 || line[0] != 'w' || bar == std::string::npos || bar < 2 || bar > 6) return -1;
    for (std::size_t i = 1; i < bar; ++i)
        if (!std::isdigit(static_cast<unsigned char>(line[i]))) return -1;
    return std::stol(line.substr(1, bar - 1));
}

// "   i.e. " and the label of a list item's value, or "" for a free text item.
std::string LabelOf(const modStickReader::StickConfigDefinition& definition, const std::string& value) {
    for (const auto& choice : definition.choices)
        if (std::to_string(choice.value) == value) return "   i.e. " + choice.label;
    return "";
}

}  // namespace

long StickAcceptanceTest::CalibrationValue(double frequency) {
    const double steps = frequency < kNominal ? (kNominal - frequency) * 31 / (kNominal - kSlowest) + 32
                                              : (frequency - kNominal) * 31 / (kFastest - kNominal);
    return std::lround(std::nearbyint(steps)) + 100;
}

char StickAcceptanceTest::ReversedDigit(char hexDigit) {
    const int value = std::isdigit(static_cast<unsigned char>(hexDigit)) ? hexDigit - '0' : hexDigit - 'A' + 10;
    const int reversed = (value & 1) << 3 | (value & 2) << 1 | (value & 4) >> 1 | (value & 8) >> 3;
    return "0123456789ABCDEF"[reversed];
}

std::vector<std::string> StickAcceptanceTest::ConfigurationLines(const std::string& fileText, bool allowMemory,
                                                                 const std::string& serial,
                                                                 const std::string& calibration, bool smallBattery,
                                                                 bool agricultural) {
    const std::string text = "w01|" + std::string(allowMemory ? "2" : "1") + CRLF + "w02|" + serial + CRLF + "w03|" +
                             calibration + CRLF + fileText;
    std::vector<std::string> lines;
    bool battery = false, use = false;
    for (std::string line : TextFile::SplitLines(text)) {
        for (auto [item, value, done] : {std::tuple{"w04|", smallBattery ? "1" : "2", &battery},
                                         std::tuple{"w05|", agricultural ? "1" : "2", &use}}) {
            const std::size_t at = line.find(item);
            if (*done || at == std::string::npos) continue;
            line = line.substr(0, at + 4) + value;
            *done = true;
        }
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// ---- The test ---------------------------------------------------------------------------------

void StickAcceptanceTest::Run() {
    EngineeringFrame& w = frame_;
    w.window()->setEnabled(false);
    w.ClearConsole();
    w.txbSerialNumber->clear();
    w.txbRTCValue->clear();
    w.lstConfiguration->clear();
    if (!OptionsChosen()) return;
    // The stick's items as its firmware has them: the serial number's rule, and the items the
    // configuration lines write.
    modStickReader::InitialiseStickConfigurationStrings(stick_.FirmwareVersionOf());
    if (!CalibrationMode()) {
        ok_ = false;
        Line("Could not set the stick into RTC calibrate mode.");
    }
    startTime_ = modStickReader::StickTimeText(DateTime::Now());
    if (SetClock(startTime_)) AskSerialNumber();
    if (ok_) CheckVersion();
    if (w.optAgricultural[0]->isChecked()) {
        if (ok_) Autotune();
    } else {
        Line("Note: Autotune test is not carried out for industrial sticks.");
    }
    if (ok_) RangeTest();
    if (ok_) MemoryTest();
    if (ok_) WriteConfiguration();
    if (ok_) LoadAndCheckClock();
    stick_.Close(0);
    Verdict();
}

// Without both options, or without a configuration file, the test does not start: no command
// goes to the stick.
bool StickAcceptanceTest::OptionsChosen() {
    EngineeringFrame& w = frame_;
    const bool battery = w.optBattery[0]->isChecked() || w.optBattery[1]->isChecked();
    const bool use = w.optAgricultural[0]->isChecked() || w.optAgricultural[1]->isChecked();
    if (!battery)
        Prompts::MsgBox("You MUST select either the small or the big battery option.", Prompts::OKOnly,
                        "Battery Option Not Selected");
    if (!use)
        Prompts::MsgBox("You MUST select either the agricultural or the industrial option.", Prompts::OKOnly,
                        "Use Option Not Selected");
    if (!battery || !use) return false;
    if (w.cboConfigFiles->currentIndex() < 0) {
        Prompts::MsgBox("You MUST select a configuration file.", Prompts::OKOnly, "Use Option Not Selected");
        return false;
    }
    return true;
}

// The configuration file, the memory, the port and the stick's calibration mode, then the
// measured frequency. False when the stick could not be put into calibration mode.
bool StickAcceptanceTest::CalibrationMode() {
    EngineeringFrame& w = frame_;
    const std::string path =
        FileSystem::Join(Program::ProgramFolder(), w.cboConfigFiles->currentData().toString().toStdString());
    if (!FileSystem::Exists(path)) {
        FailureLine("Can't find the stick configuration file " + path);
        return false;
    }
    fileText_ = FileSystem::ReadAll(path);
    if (w.PageCount() < 1) {
        FailureLine("The stick has reported zero memory - no testing is possible.");
        return false;
    }
    if (!stick_.Comm().IsOpen()) stick_.OpenPort(StickConnection::ActionReadTimeout);
    if (!stick_.Comm().IsOpen()) {
        Line("Cannot see the stick on " + std::to_string(stick_.ChosenPort().number) + " - acceptance test aborted");
        Prompts::MsgBox("Cannot see the stick anymore", Prompts::OKOnly, "Stick not Responding");
        return false;
    }
    if (!Factory("qK")) return false;
    AskFrequency();
    return true;
}

void StickAcceptanceTest::AskFrequency() {
    EngineeringFrame& w = frame_;
    for (;;) {
        const std::string answer =
            Prompts::InputBox("Please enter the real time clock frequency now", "Enter RTC Frequency");
        w.txbRTCValue->setText(QString::fromStdString(answer));
        if (answer.empty()) {
            Line("User cancelled RTC clock frequency setup - acceptance test aborted");
            Prompts::MsgBox("Stick test cancelled", Prompts::OKOnly, "Stick Test Cancelled");
            ok_ = false;
            return;
        }
        bool numeric = false;
        const double frequency = QString::fromStdString(answer).trimmed().toDouble(&numeric);
        if (!numeric) continue;
        if (frequency < kSlowest || frequency > kFastest) {
            Prompts::MsgBox("The RTC frequency must be between 511.936946 and 512.031527", Prompts::OKOnly,
                            "Enter RTC Frequency");
            continue;
        }
        w.txbRTCValue->setProperty("Tag", QString::number(CalibrationValue(frequency)));
        return;
    }
}

bool StickAcceptanceTest::SetClock(const std::string& time) {
    if (Send("s" + time)) return true;
    FailureLine("Failed to set the real time clock to " + time);
    return false;
}

// The serial number is written to the stick and names the report: nine digits, as the
// stick's serial number item takes.
void StickAcceptanceTest::AskSerialNumber() {
    for (;;) {
        serial_ = TrimBlanks(Prompts::InputBox("Please enter the stick serial number now", "Enter Serial Number"));
        if (modStickReader::ValidateStickConfigItem(serial_, kSerialNumberItem).Valid) break;
        Prompts::MsgBox(
            serial_.empty() ? "You must enter the serial number." : "The serial number must be nine digits.",
            Prompts::OKOnly, "Enter Serial Number");
    }
    frame_.txbSerialNumber->setText(QString::fromStdString(serial_));
}

void StickAcceptanceTest::CheckVersion() {
    if (Send("v")) Line("Version number: " + ReplyData());
    else FailureLine("Failed to get version number.");
}

// Each tag read gives the stick's autotune digit; a KRX250, which cannot report it, has it
// typed in. The last attempt decides.
void StickAcceptanceTest::Autotune() {
    const bool bigBattery = frame_.optBattery[1]->isChecked();
    bool passed = true;
    for (;;) {
        if (Prompts::MsgBox("To carry out the autotune test please read a tag with the stick and then click OK." +
                                CRLF + "To exit the autotune test click Cancel.",
                            Prompts::OKCancel, "Autotune Test") == Prompts::Cancel)
            break;
        const std::string data = Factory("qA") ? ReplyData() : "";
        passed = !data.empty() && IsUpperHexDigit(data.back());
        if (passed) {
            Line("Autotune Value: " + std::string(1, bigBattery ? ReversedDigit(data.back()) : data.back()));
            continue;
        }
        // A KRX250 cannot report the digit: the keeper's answer decides instead.
        frame_.ConsoleWriteLine("Failed to get the autotune data.", true, kRed);
        const std::string typed = Prompts::InputBox("If this is an KRX250 you must enter the autotune character now." +
                                                        CRLF + "If this is not an KRX250 please press 'Cancel",
                                                    "KRX 250 Autotune Entry");
        passed = typed.size() == 1 && IsUpperHexDigit(typed[0]);
        if (passed) {
            Line("Autotune Value: " + typed);
            break;
        }
    }
    if (!passed) ok_ = false;
}

// Only a stick that says it started the test is tested.
void StickAcceptanceTest::RangeTest() {
    if (Factory("qC")) {
        Line("Read range test started...");
        if (Prompts::MsgBox("The read range test has started..." + CRLF +
                                "Click OK to stop the test and record an acceptable range result." + CRLF +
                                "Click Cancel to stop the test and record an unacceptable range reult",
                            Prompts::OKCancel, "Running Read Range Test") == Prompts::Cancel)
            FailureLine("Read range test unacceptable.", true);
        else Line("Read range test OK.", true);
    } else {
        FailureLine("Failed to start the read range test.");
    }
    Factory("qQ");
}

void StickAcceptanceTest::MemoryTest() {
    for (long page = 0; page < frame_.PageCount(); ++page) {
        if (!Factory("qT" + FourDigits(page))) {
            FailureLine("Page " + std::to_string(page) + " memory test failed.");
            return;
        }
        Line("Page " + std::to_string(page) + " OK.", page > 0);
    }
    Line("Memory test passed.", true);
}

// Each line writes the item its number names, with the access code where the stick asks for
// it. The lines go out as written, and none goes unless every one names an item the stick has.
void StickAcceptanceTest::WriteConfiguration() {
    EngineeringFrame& w = frame_;
    const auto lines = ConfigurationLines(fileText_, w.ckbAllowMemory->isChecked(), serial_,
                                          w.txbRTCValue->property("Tag").toString().toStdString(),
                                          w.optBattery[0]->isChecked(), w.optAgricultural[0]->isChecked());
    std::vector<long> positions;
    for (const std::string& line : lines) {
        w.lstConfiguration->addItem(QString::fromStdString(line));
        positions.push_back(ItemPosition(line));
        if (positions.back() < 0 || positions.back() >= static_cast<long>(modStickReader::StickConfigStrings.size())) {
            FailureLine("The configuration line " + line + " names no configuration item of this stick.");
            return;
        }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto definition = modStickReader::StickConfigDefinitionAt(positions[i]);
        const bool code = modStickReader::StickAccessCodeRequired(positions[i]);
        if (!Send(lines[i] + (code ? "|" + modStickReader::StickAccessCode : ""))) {
            FailureLine("Failed to write the " + definition.name + " configuration.");
            return;
        }
        const std::string value = lines[i].substr(lines[i].find('|') + 1);
        Line("Wrote configuration item " + definition.name + " (" + value + LabelOf(definition, value) + ")");
    }
}

void StickAcceptanceTest::LoadAndCheckClock() {
    if (!Send("l")) {
        FailureLine("Failed to load the new configuration data.");
        return;
    }
    Line("New configuration data loaded.");
    if (!Send("t")) {
        ok_ = false;
        return;
    }
    const std::string now = ReplyData();
    if (now == startTime_) {
        FailureLine("Failed to read the stick's clock after memory test");
        return;
    }
    Line("Stick's clock is going - was " + startTime_ + " at test start and is now " + now);
    const std::string time = modStickReader::StickTimeText(DateTime::Now());
    if (SetClock(time)) Line("Real time clock set to " + time);
}

// The verdict, then the console as the stick's report: written whole before it takes its name.
void StickAcceptanceTest::Verdict() {
    EngineeringFrame& w = frame_;
    if (ok_) w.ConsoleWriteLine("Stick serial number " + serial_ + " has passed acceptance testing.", true, kGreen);
    else FailureLine("Stick serial number " + serial_ + " has failed acceptance testing.");
    const std::string path =
        FileSystem::Join(Program::ProgramFolder(), "Test Report for Stick Serial Number " + serial_ + ".rtf");
    TextFile::Replace(path, Rtf::Write(*w.rtbText->document()));
    w.ConsoleWriteLine("The test report has been saved in " + path, false, kGreen);
}

// ---- Exchanges and console lines --------------------------------------------------------------

bool StickAcceptanceTest::Send(const std::string& command) {
    return stick_.SendStickCommand(command, modHandheld::ReplyPattern(command.substr(0, 1)), 1000) &&
           StickConnection::StickReplyOK(stick_.LastReply());
}

bool StickAcceptanceTest::Factory(const std::string& command) { return stick_.SendFactoryCommand(command); }

std::string StickAcceptanceTest::ReplyData() const { return StickConnection::StickReplyData(stick_.LastReply()); }

void StickAcceptanceTest::Line(const std::string& text, bool overwrite) {
    frame_.ConsoleWriteLine(text, false, 0, overwrite);
}

void StickAcceptanceTest::FailureLine(const std::string& text, bool overwrite) {
    ok_ = false;
    frame_.ConsoleWriteLine(text, true, kRed, overwrite);
}
