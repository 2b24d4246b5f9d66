#include <gtest/gtest.h>

#include <chrono>
#include <climits>

#include "core/modRegistry.h"
#include "devices/clsKRComm.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "devices/modStickReaderConfiguration.h"
#include "fixtures/StickOnPort.h"
#include "fixtures/TempHome.h"
#include "platform/IniFile.h"
#include "platform/Program.h"

using namespace modStickReader;

namespace {

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

const DateTime kPcTime{2024, 3, 15, 10, 20, 30};

// A stick on COM5 and the stick reader window's side of the conversation, with the PC's
// clock pinned so that clock differences are exact.
class StickTest : public ::testing::Test {
protected:
    StickTest() {
        exchange.Port = stick.Port();
        DateTime::PinClock(kPcTime);
    }
    ~StickTest() override { DateTime::PinClock({}); }

    TempHome home;
    StickOnPort stick{5};
    clsKRComm comm;
    StickExchange exchange{comm};
};

// ---- Reply tests ---------------------------------------------------------------------------

TEST(StickReply, StatusComesFromTheClosingTailOnly) {
    for (const char* ok : {"(nS)\r", "0|12#1|2(cS)\r"}) EXPECT_TRUE(IsReplyOK(ok)) << ok;
    // "S)" in the payload is data, not the status.
    for (const char* bad : {"(cF)\r", "(cX)\r", "21|ABS)#22|1(cF)\r", "S)\r", "(cS)", ""})
        EXPECT_FALSE(IsReplyOK(bad)) << bad;
    EXPECT_EQ(modHandheld::ReplyStatus("x(cS)(rF)\r", "r"), 'F');
    EXPECT_EQ(modHandheld::ReplyStatus("x(cS)\r", "r"), '\0');
    EXPECT_EQ(modHandheld::ReplyStatus("list(ab1X)\r", "ab1"), 'X');
}

TEST(StickReply, StripReplyStatusDropsTheFiveCharacterTail) {
    for (const auto& [reply, payload] :
         {std::pair{"(nS)\r", ""}, {"7(nS)\r", "7"}, {"0|12#1|2(cS)\r", "0|12#1|2"}, {"abc", ""}})
        EXPECT_EQ(StripReplyStatus(reply), payload);
}

TEST(StickReply, FirmwareVersionUpToTwelveIsSupported) {
    // "0|": no number reads as 0; "0#1|2": the first item has no second field.
    for (const char* ok : {"0|12", "0|", "0|9#1|2", "0|11b"}) EXPECT_TRUE(IsStickVersionSupported(ok)) << ok;
    for (const char* bad : {"0|13", "012", "0#1|2"}) EXPECT_FALSE(IsStickVersionSupported(bad)) << bad;
}

TEST(StickReply, FirmwareVersionOfAnyReplyIsAWholeNumber) {
    const std::string many = "5" + std::string(100, '7');  // the version a fuzzed reply gave
    for (const auto& [reply, version] : {std::pair<std::string, long>{"0|11#1|2(cS)\r", 11},
                                         {"0|9.7(cS)\r", 9},
                                         {"(cS)\r", 0},
                                         {"0|" + many + "#1|(cS)\r", LONG_MAX},
                                         {"0|-" + many + "(cS)\r", LONG_MIN}})
        EXPECT_EQ(FirmwareVersionOf(modHandheld::SplitText(StripReplyStatus(reply), '#')), version) << reply;
}

TEST(StickReply, ReplyPatternFollowsTheTemplate) {
    EXPECT_EQ(modHandheld::ReplyPattern("n"), "*(n[SFX])\r");
    EXPECT_EQ(modHandheld::ReplyPattern("qM"), "*(qM[SFX])\r");
    EXPECT_EQ(modHandheld::SplitText("#a|b#", '#'), (std::vector<std::string>{"", "a|b", ""}));
    EXPECT_TRUE(modHandheld::SplitText("", '#').empty());
    EXPECT_EQ(modHandheld::LeadingNumber(" 12.5x"), 12.5);
    EXPECT_EQ(modHandheld::LeadingNumber("x12"), 0);
}

// ---- Clock ---------------------------------------------------------------------------------

TEST(StickClock, DifferenceOfTenSecondsIsAcceptedElevenIsNot) {
    DateTime::PinClock(kPcTime);
    // 10 s behind and ahead; 11 s behind and ahead, too short, not all digits, no time.
    for (const char* ok : {"150324102020(tS)\r", "150324102040"}) EXPECT_TRUE(IsStickTimeDifferenceOK(ok)) << ok;
    for (const char* bad : {"150324102019(tS)\r", "150324102041(tS)\r", "15032410203", "1503241020x0(tS)\r", "(tS)\r"})
        EXPECT_FALSE(IsStickTimeDifferenceOK(bad)) << bad;
    DateTime::PinClock({});
}

TEST(StickClock, YearRollsOverAndPartsOutOfRangeRunOn) {
    DateTime::PinClock({2000, 1, 1, 0, 0, 5});
    EXPECT_TRUE(IsStickTimeDifferenceOK("311299235959"));  // 6 s before, in 1999
    const std::vector<std::pair<std::string, DateTime>> values = {
        {"311299235959", {1999, 12, 31, 23, 59, 59}}, {"010130000000", {1930, 1, 1, 0, 0, 0}},
        {"311224240000", {2025, 1, 1, 0, 0, 0}},      {"000124000000", {2023, 12, 31, 0, 0, 0}},
        {"011324000000", {2025, 1, 1, 0, 0, 0}},      {"290224000000", {2024, 2, 29, 0, 0, 0}},
        {"300223000000", {2023, 3, 2, 0, 0, 0}},      {"010100999999", {2000, 1, 5, 4, 40, 39}}};
    for (const auto& [text, value] : values) EXPECT_EQ(StickTimeValue(text), value) << text;
    EXPECT_EQ(StickTimeText({2009, 2, 3, 4, 5, 6}), "030209040506");
    DateTime::PinClock({});
}

// ---- Exchange over the port ----------------------------------------------------------------

TEST_F(StickTest, EveryStatusLetterCountsAsAReplyOnlySPassesTheTest) {
    for (char status : {'S', 'F', 'X'}) {
        stick->SetFaults({.status = {{'c', status}}});
        EXPECT_TRUE(exchange.Send(ReadConfigurationCommand)) << status;
        EXPECT_TRUE(exchange.ReplyReceived);
        EXPECT_EQ(exchange.LastReply.substr(exchange.LastReply.size() - 5), std::string("(c") + status + ")\r");
        EXPECT_EQ(IsReplyOK(exchange.LastReply), status == 'S') << status;
    }
}

TEST_F(StickTest, ClosedPortIsOpenedForOneCommandAndClosedAfterAPause) {
    auto start = Clock::now();
    EXPECT_TRUE(exchange.SendStickCommand("n", modHandheld::ReplyPattern("n"), 1000));
    EXPECT_GE(ElapsedMs(start), Program::ScaledMs(500) - 5);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(exchange.LastReply, "(nS)\r");

    // The port opened for a command waits as long as that command asks.
    SimStick::Faults slow;
    slow.replyDelayMs = 1500;
    stick->SetFaults(slow);
    EXPECT_TRUE(exchange.SendStickCommand("n", modHandheld::ReplyPattern("n"), 3000));
    EXPECT_FALSE(exchange.SendStickCommand("n", modHandheld::ReplyPattern("n"), 1000));
}

TEST_F(StickTest, OpenPortStaysOpenWithItsOwnReadTimeout) {
    ASSERT_EQ(comm.CommOpen(stick.Port(), StickSettings, 1000, false), 0);
    EXPECT_TRUE(exchange.Send(EraseCommand));  // asks for 30000 ms
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(comm.GetReadTimeout(), 1000);
}

TEST_F(StickTest, MissingPortSendsNothing) {
    IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", home.root() + "/gone", "COM6");
    exchange.Port = 6;
    exchange.LastReply = "old";
    EXPECT_FALSE(exchange.Send(IdentifyCommand));
    EXPECT_EQ(exchange.LastReply, "");
    EXPECT_FALSE(exchange.ReplyReceived);
    EXPECT_TRUE(stick->Received().empty());
}

TEST_F(StickTest, StickAnsweringTheThirdIdentifyIsFound) {
    stick->SetFaults({.silentCommands = 2});
    EXPECT_TRUE(IdentifyStick(exchange));
    EXPECT_EQ(stick->CountOf('n'), 3);
}

TEST_F(StickTest, SilentStickIsAskedFiveTimes) {
    stick->SetFaults({.silent = true});
    auto start = Clock::now();
    EXPECT_FALSE(IdentifyStick(exchange));
    EXPECT_EQ(stick->CountOf('n'), 5);
    EXPECT_GE(ElapsedMs(start), 5 * Program::ScaledMs(1000 + 500) - 10);
}

TEST_F(StickTest, IdentifyAnsweredWithFailureStillCounts) {
    stick->SetFaults({.status = {{'n', 'F'}}});
    EXPECT_TRUE(IdentifyStick(exchange));
    EXPECT_EQ(stick->CountOf('n'), 1);
}

TEST_F(StickTest, ClockTenSecondsOffIsLeftAlone) {
    for (long long offset : {10LL, -10LL, 0LL}) {
        stick->SetClockOffset(offset);
        stick->ClearReceived();
        EXPECT_TRUE(CheckStickClock(exchange));
        EXPECT_EQ(stick->Received(), std::vector<std::string>{"t"}) << offset;
        EXPECT_EQ(stick->ClockOffset(), offset);
    }
}

TEST_F(StickTest, ClockElevenSecondsOffIsSetToThePcTime) {
    for (long long offset : {11LL, -11LL, -86400LL * 400}) {
        stick->SetClockOffset(offset);
        stick->ClearReceived();
        EXPECT_TRUE(CheckStickClock(exchange));
        EXPECT_EQ(stick->Received(), (std::vector<std::string>{"t", "s150324102030"})) << offset;
        EXPECT_EQ(stick->ClockOffset(), 0);
    }
}

TEST_F(StickTest, ClockAcrossTheCenturyIsComparedAsDates) {
    DateTime::PinClock({2000, 1, 1, 0, 0, 5});
    stick->SetClockOffset(-6);
    EXPECT_TRUE(CheckStickClock(exchange));
    EXPECT_EQ(stick->CountOf('s'), 0);
    stick->SetClockOffset(-11);
    EXPECT_TRUE(CheckStickClock(exchange));
    EXPECT_EQ(stick->Received().back(), "s010100000005");
}

TEST_F(StickTest, MissingClockReplyLeavesTheClockAlone) {
    stick->SetFaults({.silent = true});
    stick->SetClockOffset(3600);
    EXPECT_FALSE(CheckStickClock(exchange));
    EXPECT_EQ(stick->Received(), std::vector<std::string>{"t"});
}

TEST_F(StickTest, BadClockReplyAlwaysLeadsToSettingIt) {
    stick->SetHandler('t', [](const std::string&) { return SimStick::Reply{"15032410", 'S'}; });
    EXPECT_TRUE(CheckStickClock(exchange));
    EXPECT_EQ(stick->CountOf('s'), 1);
}

TEST_F(StickTest, ConfigurationRecordsAndErase) {
    stick->SetFirmwareVersion(3);
    stick->SetConfigValue(19, "3");
    ASSERT_TRUE(exchange.Send(ReadConfigurationCommand));
    ASSERT_TRUE(IsReplyOK(exchange.LastReply));
    auto entries = modHandheld::SplitText(StripReplyStatus(exchange.LastReply), '#');
    ASSERT_EQ(entries.size(), 26u);
    EXPECT_EQ(entries[0], "0|3");
    EXPECT_EQ(entries[19], "19|3");
    EXPECT_TRUE(IsStickVersionSupported(entries[0]));

    stick->AddRecord("8000F5A2C3D4E5F6", '1', {2024, 3, 14, 9, 8, 7});
    stick->AddRecord("8000F5A2C3D4E5F7", '2', {2024, 3, 14, 9, 8, 9});
    ASSERT_TRUE(exchange.Send(ReadRecordsCommand));
    EXPECT_EQ(StripReplyStatus(exchange.LastReply), "8000F5A2C3D4E5F6|1|140324090807#8000F5A2C3D4E5F7|2|140324090809");
    ASSERT_TRUE(exchange.Send(EraseCommand));
    EXPECT_TRUE(stick->Records().empty());
    ASSERT_TRUE(exchange.Send(ReadRecordsCommand));
    EXPECT_EQ(exchange.LastReply, "(rS)\r");
}

TEST_F(StickTest, UnknownCommandIsRefusedWithX) {
    EXPECT_TRUE(exchange.SendStickCommand("z1", modHandheld::ReplyPattern("z"), 1000));
    EXPECT_EQ(exchange.LastReply, "(zX)\r");
    EXPECT_EQ(StickAccessCode, "bqrtvwnhk905");
}

}  // namespace
