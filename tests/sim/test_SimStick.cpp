#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>

#include "core/modCommon.h"
#include "devices/clsKRComm.h"
#include "devices/modHandheld.h"
#include "devices/modStickReader.h"
#include "devices/modStickReaderConfiguration.h"
#include "fixtures/StickOnPort.h"
#include "fixtures/TempHome.h"

using namespace modStickReader;

namespace {

using Clock = std::chrono::steady_clock;

// The simulated stick on COM5 (time-outs scaled down) and a window's side of the line.
class SimulatedLine : public ::testing::Test {
protected:
    SimulatedLine() {
        exchange.Port = stick.Port();
        for (int i = 0; i < 30; ++i)
            stick->AddRecord("8000F5A4C3B2A1" + std::to_string(10 + i), '1', DateTime{2024, 3, 15, 10, 20, i});
    }

    // The command's reply status letter, or '-' when none came.
    char Status(const std::string& word, const std::string& argument) {
        if (!exchange.Send(StickCommand{word.c_str(), 1000}, argument)) return '-';
        return modHandheld::ReplyStatus(exchange.LastReply, word);
    }
    char Factory(const std::string& command) { return Status("q", command + "|" + StickAccessCode); }
    std::string Data() const { return StripReplyStatus(exchange.LastReply); }

    TempHome home;
    StickOnPort stick{5};
    clsKRComm comm;
    StickExchange exchange{comm};
};

const std::string kNul(1, '\0');

}  // namespace

TEST_F(SimulatedLine, PacedLineCarriesBothWaysAtItsSpeedInRealTime) {
    stick->SetBytesPerSecond(1920);
    const auto start = Clock::now();
    ASSERT_TRUE(exchange.Send(ReadRecordsCommand));
    const double elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    // "r" CR out, the records and the tail back: about half a second at 19,200 baud, however
    // much the time-outs are scaled down.
    const double wireMs = (2 + exchange.LastReply.size()) * 1000.0 / 1920;
    EXPECT_GT(wireMs, 480);
    EXPECT_GE(elapsedMs, wireMs - 2);
    EXPECT_LT(elapsedMs, wireMs + 250);
    EXPECT_TRUE(IsReplyOK(exchange.LastReply));
    EXPECT_EQ(StripReplyStatus(exchange.LastReply).size(), 30u * 32 - 1);

    // The chunk and delay switches still shape a paced reply.
    stick->SetFaults({.chunkSize = 100, .chunkDelayMs = 100});
    ASSERT_TRUE(exchange.Send(ReadRecordsCommand));
    EXPECT_TRUE(IsReplyOK(exchange.LastReply));
}

// stick-sim --reads: a file of reads, a record a line or several joined by "#", a blank line an
// empty record, as the reply sends them.
TEST_F(SimulatedLine, ReadsWrittenInAFileComeBackInTheRecordsReply) {
    ASSERT_TRUE(exchange.Send(EraseCommand));
    stick->AddRecordsText(
        "8000CE82DFDC1C35|1|150624093000#8000CE82DFDC1C36|2|150624093512\r\n\n"
        "8000CE82DFDC1C37|1|150624094000\n");
    ASSERT_TRUE(exchange.Send(ReadRecordsCommand));
    EXPECT_EQ(Data(),
              "8000CE82DFDC1C35|1|150624093000#8000CE82DFDC1C36|2|150624093512##8000CE82DFDC1C37|1|150624094000");
}

TEST_F(SimulatedLine, StickPulledOutMidReplyIsGoneAfterItsFirstBytes) {
    stick->SetFaults({.unplugDuring = 'r', .unplugAfter = 40});
    ASSERT_TRUE(exchange.Send(IdentifyCommand));  // other commands are answered

    long bytesSeen = 0;
    comm.OnDataReceived([&](const std::string&, long count) { bytesSeen = count; });
    EXPECT_FALSE(exchange.Send(ReadRecordsCommand));
    EXPECT_EQ(bytesSeen, 40);
    // Whether the terminal's path is gone is not asked: the system may already have given
    // its number to another test's terminal.
    EXPECT_TRUE(stick->Unplugged());
    // The hung-up port is closed. No further command is sent: it would open the terminal's
    // path anew, which the system may already have given to another test's terminal.
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(stick->Records().size(), 30u);
}

TEST_F(SimulatedLine, WrittenItemsWaitForTheLoadAndProtectedOnesForTheAccessCode) {
    const std::string code = "|" + StickAccessCode;
    // The serial number (2) needs the code; 22 is protected, but taken without; a v12 stick has
    // 34 items; 13 is reserved on a normal stick.
    for (const auto& [item, status] : std::vector<std::pair<std::string, char>>{{"16|2500", 'S'},
                                                                                {"2|123456789", 'F'},
                                                                                {"02|123456789|wrongcode9999", 'F'},
                                                                                {"02|123456789" + code, 'S'},
                                                                                {"22|0123456789ab" + kNul, 'S'},
                                                                                {"21|000000000000" + kNul, 'S'},
                                                                                {"34|1" + code, 'F'},
                                                                                {"x|1", 'F'},
                                                                                {"13|1", 'F'}})
        EXPECT_EQ(Status("w", item), status) << item;
    EXPECT_EQ(stick->PendingConfig(),
              (std::map<size_t, std::string>{
                  {2, "123456789"}, {16, "2500"}, {21, "000000000000" + kNul}, {22, "0123456789ab" + kNul}}));
    EXPECT_EQ(stick->Received()[5], "w21|000000000000" + kNul);

    ASSERT_EQ(Status("c", ""), 'S');
    EXPECT_NE(Data().find("#16|5000#"), std::string::npos) << "written but not loaded";
    EXPECT_EQ(Status("l", ""), 'S');
    EXPECT_TRUE(stick->PendingConfig().empty());
    // The stick reads 21 up to the NUL.
    EXPECT_EQ((std::vector<std::string>{stick->ConfigValue(16), stick->ConfigValue(2), stick->ConfigValue(21)}),
              (std::vector<std::string>{"2500", "123456789", "000000000000"}));
    ASSERT_EQ(Status("c", ""), 'S');
    EXPECT_NE(Data().find("#2|123456789#"), std::string::npos);

    // A refused write leaves nothing pending; the partner's stick takes its type unprotected;
    // building the stick's items leaves the program's table and mode alone.
    stick->SetFaults({.status = {{'w', 'F'}}});
    EXPECT_EQ(Status("w", "17|60000"), 'F');
    EXPECT_TRUE(stick->PendingConfig().empty());
    stick->SetFaults({});
    modStickReader::StickConfigStrings = {"kept"};
    stick->SetConfigValue(13, "1");
    stick->SetFirmwareVersion(12);
    EXPECT_EQ(modStickReader::StickConfigStrings, std::vector<std::string>{"kept"});
    EXPECT_EQ(modCommon::OxbrelMode, 0);
    EXPECT_EQ(Status("w", "13|1"), 'S');
    stick->SetFirmwareVersion(8);
    EXPECT_EQ(stick->ConfigCount(), 30u);
    EXPECT_EQ(Status("w", "30|1"), 'F');
}

TEST_F(SimulatedLine, EartagListAndFactoryCommandsWithTheirFaultSwitches) {
    const std::string eid = "8000F5A4C3B2A1";
    stick->SetEartags({"old"});
    stick->SetFaults({.failAddAt = 3});
    EXPECT_EQ(Status("f", ""), 'S');
    EXPECT_EQ(Status("a", eid + "01|UK123 1"), 'S');
    EXPECT_EQ(Status("a", eid + "02|\xC9"
                                "TIQUETTE"),
              'S');                                   // a Windows-1252 byte kept
    EXPECT_EQ(Status("a", eid + "03|3"), 'F');        // the third
    EXPECT_EQ(Status("a", eid + "01|UK123 9"), 'S');  // an EID held: its tag replaced
    for (const std::string& bad :
         {eid + "04", eid + "4|4", eid + "04|12345678901234567", eid + "04|a|b", eid + "04|a#b"})
        EXPECT_EQ(Status("a", bad), 'F') << bad;
    EXPECT_EQ(stick->Eartags(), (std::vector<std::string>{eid + "01|UK123 9", eid + "02|\xC9"
                                                                                    "TIQUETTE"}));
    EXPECT_EQ(Status("v", ""), 'S');
    EXPECT_EQ(Data(), "12");

    stick->SetPageCount(3);
    stick->SetPage(1, std::string("\x00\xFF", 2));
    EXPECT_EQ(Status("q", "M"), 'F');  // no access code
    EXPECT_EQ(Factory("M"), 'S');
    EXPECT_EQ(Data(), "3");
    EXPECT_EQ(Factory("R0001"), 'S');
    EXPECT_EQ(Data(), std::string("\x00\xFF", 2));
    EXPECT_EQ(Factory("W0002\x7C"), 'S');  // the character may be "|"
    EXPECT_EQ(stick->Page(2), std::string(SimStick::PageSize, '|'));
    EXPECT_EQ(Factory("E0002"), 'S');
    EXPECT_EQ(stick->Page(2), std::string(SimStick::PageSize, '\xFF'));
    EXPECT_EQ(Factory("T0003"), 'F');  // beyond the memory
    EXPECT_EQ(Factory("T2"), 'F');
    for (const char* plain : {"K", "C", "Q", "A"}) EXPECT_EQ(Factory(plain), 'S') << plain;
    EXPECT_EQ(Data(), "7");

    stick->SetFaults({.wordStatus = {{"qM", 'X'}}, .silentTo = {"qE"}, .failingPage = 1});
    EXPECT_EQ(Factory("T0000"), 'S');
    EXPECT_EQ(Factory("T0001"), 'F');
    EXPECT_EQ(Factory("M"), 'X');
    EXPECT_EQ(Factory("E0001"), '-');
    EXPECT_EQ(stick->Page(1), std::string("\x00\xFF", 2));
    // An LF ends a command on the stick: a write of that character arrives cut in two, and
    // the answers "(qF)" and "(|X)" never make a success, whether they arrive together or
    // apart.
    stick->ClearReceived();
    EXPECT_NE(Factory("W0001\n"), 'S');
    EXPECT_EQ(stick->Received(), (std::vector<std::string>{"qW0001", "|" + StickAccessCode}));
    EXPECT_EQ(stick->Page(1), std::string("\x00\xFF", 2));
}
