#include <gtest/gtest.h>

#include <QComboBox>

#include <chrono>
#include <fstream>
#include <thread>
#include <tuple>

#include "core/modRegistry.h"
#include "devices/DeviceDialog.h"
#include "devices/clsKRComm.h"
#include "devices/modHandheld.h"
#include "fixtures/StickOnPort.h"
#include "fixtures/TempHome.h"
#include "fixtures/ThreadCpu.h"
#include "platform/IniFile.h"
#include "platform/Program.h"
#include "platform/RuntimeError.h"

namespace {

const std::string kSettings = "baud=19200 parity=N data=8 stop=1";
const std::string kPatternN = modHandheld::ReplyPattern("n");

using Clock = std::chrono::steady_clock;

long ElapsedMs(Clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

std::string ErrorText(const clsKRComm& comm) {
    std::string text;
    comm.CommGetError(text);
    return text;
}

class CommTest : public ::testing::Test {
protected:
    TempHome home;
    StickOnPort stick{5};
    clsKRComm comm;

    void Open(long readTimeout = 1000) {
        ASSERT_EQ(comm.CommOpen(stick.Port(), kSettings, readTimeout, false), 0) << ErrorText(comm);
        ASSERT_TRUE(comm.IsOpen());
    }
    std::string Ask(const std::string& command, const std::string& word) {
        return comm.CommSendCommandAndGetReply(command + "\r", modHandheld::ReplyPattern(word), false);
    }
};

// ---- Port list and opening -----------------------------------------------------------------

TEST(CommPortList, OrdersByNumberAndSkipsNamesWithoutDigits) {
    TempHome home;
    std::string system = home.SystemSettingsPath();
    std::string user = modRegistry::MachineSettingsPath();
    IniFile::Write(user, "SerialComm", "/dev/simA", "COM10");
    IniFile::Write(user, "SerialComm", "/dev/simB", "COM2");
    IniFile::Write(user, "SerialComm", "/dev/simC", "Modem");
    // The system's file names a device the user's file names too: the system's entry wins.
    IniFile::Write(system, "SerialComm", "/dev/simA", "COM11");
    IniFile::Write(system, "SerialComm", "/dev/simD", "COM3");

    auto list = clsKRComm::EnumSerialPorts();
    std::vector<std::string> ours;
    long previous = 0;
    for (const auto& entry : list) {
        EXPECT_FALSE(entry[2].empty());
        EXPECT_LE(previous, std::stol(entry[2])) << "list not ordered by port number";
        previous = std::stol(entry[2]);
        if (entry[0].rfind("/dev/sim", 0) == 0) ours.push_back(entry[1] + "=" + entry[0]);
    }
    EXPECT_EQ(ours, (std::vector<std::string>{"COM2=/dev/simB", "COM3=/dev/simD", "COM11=/dev/simA"}));
    EXPECT_EQ(clsKRComm::DevicePathForPort(2), "/dev/simB");
    EXPECT_EQ(clsKRComm::DevicePathForPort(11), "/dev/simA");
    // Numbers the settings do not give stand for the serial devices' fixed numbers.
    EXPECT_EQ(clsKRComm::DevicePathForPort(1), "/dev/ttyS0");
    EXPECT_EQ(clsKRComm::DevicePathForPort(103), "/dev/ttyUSB3");
    EXPECT_EQ(clsKRComm::DevicePathForPort(300), "/dev/rfcomm0");
}

TEST(CommPortList, APortNamedWithMoreDigitsThanANumberHoldsIsOfferedAsPortNone) {
    TempHome home;
    const std::string name = "COM3edvga_ar/dev/f" + std::string(35, '5') + "mrocm0";  // as a fuzzed file named it
    IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", "/dev/simF", name);
    QComboBox ports;
    DeviceDialog::FillPortList(&ports, 2);
    ASSERT_GE(ports.findText(QString::fromStdString(name)), 0);
    EXPECT_EQ(ports.itemData(ports.findText(QString::fromStdString(name))).toLongLong(), 0);
    EXPECT_EQ(clsKRComm::DevicePathForPort(0), "/dev/simF");
}

TEST(CommOpen, MissingPortRetriesOnceThenReportsTheSystemError) {
    TempHome home;
    UseTestTimeScale();
    IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", home.root() + "/no-such-tty", "COM7");
    clsKRComm comm;
    auto start = Clock::now();
    EXPECT_EQ(comm.CommOpen(7, kSettings, 1000, false), ENOENT);
    long elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, Program::ScaledMs(2000) - 5);
    EXPECT_LT(elapsed, Program::ScaledMs(2000) + 500);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.CommPort(), 0);
    EXPECT_EQ(ErrorText(comm), "Error (2): CommOpen (CreateFile) - No such file or directory");
}

TEST(CommOpen, AFileThatIsNoTerminalIsRefused) {
    TempHome home;
    UseTestTimeScale();
    std::string path = home.root() + "/plain-file";
    std::ofstream(path) << "x";
    IniFile::Write(modRegistry::MachineSettingsPath(), "SerialComm", path, "COM8");
    clsKRComm comm;
    EXPECT_EQ(comm.CommOpen(8, kSettings, 1000, false), ENOTTY);
    EXPECT_FALSE(comm.IsOpen());
}

TEST_F(CommTest, PortWhoseSettingsFailIsClosedAndReportedNotOpen) {
    EXPECT_EQ(comm.CommOpen(stick.Port(), "baud=12345 parity=N data=8 stop=1", 1000, false), EINVAL);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(ErrorText(comm), "Error (22): CommOpen (BuildCommDCB) - Invalid argument");
    // Nothing is sent over a port that is not open.
    EXPECT_EQ(Ask("n", "n"), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(stick->Received().empty());
    // The same port opens with good settings.
    Open();
    EXPECT_EQ(Ask("n", "n"), "(nS)\r");
}

TEST_F(CommTest, ReopeningAndASecondObjectAfterCloseWork) {
    Open();
    Open();  // an open port is closed and opened again
    EXPECT_EQ(comm.CommPort(), stick.Port());
    EXPECT_EQ(comm.CommClose(0), 0);
    clsKRComm other;
    ASSERT_EQ(other.CommOpen(stick.Port(), kSettings, 1000, true), 0) << ErrorText(other);
    EXPECT_EQ(other.CommSendCommandAndGetReply("n\r", kPatternN, false), "(nS)\r");
}

TEST_F(CommTest, CloseOfAClosedPortPausesAndSucceeds) {
    auto start = Clock::now();
    EXPECT_EQ(comm.CommClose(500), 0);
    EXPECT_GE(ElapsedMs(start), Program::ScaledMs(500) - 5);
}

TEST_F(CommTest, ReadTimeoutBelongsToTheOpenPort) {
    EXPECT_FALSE(comm.SetReadTimeout(300));
    EXPECT_EQ(comm.GetReadTimeout(), 0);
    Open(1000);
    EXPECT_EQ(comm.GetReadTimeout(), 1000);
    EXPECT_TRUE(comm.SetReadTimeout(300));
    EXPECT_EQ(comm.GetReadTimeout(), 300);
}

// ---- The exchange --------------------------------------------------------------------------

TEST_F(CommTest, CarriageReturnsPassUnchangedInRawMode) {
    Open();
    // The terminal starts cooked (CR read as LF, lines held back): only raw mode gives these
    // bytes back as they were sent.
    stick->SetIdentity("ab\rcd\nef");
    EXPECT_EQ(Ask("n", "n"), "ab\rcd\nef(nS)\r");
    EXPECT_EQ(stick->Received(), std::vector<std::string>{"n"});
}

TEST_F(CommTest, ReplyInChunksWithCarriageReturnsInside) {
    Open();
    stick->SetIdentity("x\ry\r|z");
    // "x\r" ends a chunk with CR long before the reply is complete; pieces well apart, each a
    // read of its own.
    stick->SetFaults({.chunkSize = 2, .chunkDelayMs = 200});
    std::vector<long> counts;
    std::string lastBuffer;
    comm.OnDataReceived([&](const std::string& buffer, long count) {
        counts.push_back(count);
        lastBuffer = buffer;
    });
    EXPECT_EQ(Ask("n", "n"), "x\ry\r|z(nS)\r");
    ASSERT_GE(counts.size(), 3u);
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
    EXPECT_EQ(counts.back(), 11);
    EXPECT_EQ(lastBuffer.substr(0, 11), "x\ry\r|z(nS)\r");
    EXPECT_EQ(lastBuffer.substr(11), std::string(lastBuffer.size() - 11, ' '));
}

TEST_F(CommTest, LostTailGivesNoReplyAfterOneReadTimeout) {
    Open(1000);
    stick->SetFaults({.dropTail = 2});
    auto start = Clock::now();
    EXPECT_EQ(Ask("t", "t"), "");
    long elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, Program::ScaledMs(1000) - 5) << "gave up early";
    EXPECT_LT(elapsed, Program::ScaledMs(1000) * 3 / 2 + 100) << "gave up late";
}

TEST_F(CommTest, SilenceGivesNoReplyAfterOneReadTimeoutWhilePumping) {
    Open(1000);
    stick->SetFaults({.silent = true});
    int pumps = 0;
    comm.SetMessagePump([&] { ++pumps; });
    auto start = Clock::now();
    EXPECT_EQ(Ask("n", "n"), "");
    EXPECT_GE(ElapsedMs(start), Program::ScaledMs(1000) - 5);
    EXPECT_GT(pumps, 11) << "the window is not kept alive while the port waits";
}

TEST_F(CommTest, SlowReplyWithinTheReadTimeoutIsTaken) {
    Open(1000);
    stick->SetFaults({.replyDelayMs = 600});
    EXPECT_EQ(Ask("e", "e"), "(eS)\r");
}

TEST_F(CommTest, ReplyOfAnotherCommandDoesNotMatch) {
    Open(500);
    stick->SetHandler('q', [](const std::string&) { return SimStick::Reply{"1", 'S'}; });
    EXPECT_EQ(Ask("q", "n"), "");
}

TEST_F(CommTest, NothingIsWrittenWithoutPortPatternOrCommand) {
    EXPECT_EQ(Ask("n", "n"), "");  // closed
    Open();
    EXPECT_EQ(comm.CommSendCommandAndGetReply("n\r", "", false), "");
    EXPECT_EQ(comm.CommSendCommandAndGetReply("", kPatternN, false), "");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(stick->Received().empty());
}

TEST_F(CommTest, EndlessTextThatNeverMatchesEndsAtTheDeadline) {
    Open(1000);
    comm.SetExchangeLimits(3000, clsKRComm::DefaultMaxReplyChars);
    stick->SetFaults({.garbage = true, .garbageIntervalMs = 20});  // always sooner than the read time-out
    auto start = Clock::now();
    EXPECT_EQ(Ask("r", "r"), "");
    long elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, Program::ScaledMs(3000) - 5);
    EXPECT_LT(elapsed, Program::ScaledMs(3000) + Program::ScaledMs(1000) + 200);
    EXPECT_EQ(ErrorText(comm), "Error (110): CommSendCommandAndGetReply - Connection timed out");
}

TEST_F(CommTest, EndlessTextThatNeverMatchesEndsAtTheSizeLimit) {
    Open(1000);
    comm.SetExchangeLimits(clsKRComm::DefaultExchangeDeadlineMs, 20000);
    stick->SetFaults({.garbage = true});
    long received = 0;
    comm.OnDataReceived([&](const std::string&, long count) { received = count; });
    EXPECT_EQ(Ask("r", "r"), "");
    EXPECT_GT(received, 20000);
    EXPECT_LT(received, 20000 + 81);
    EXPECT_EQ(ErrorText(comm), "Error (90): CommSendCommandAndGetReply - Message too long");
}

TEST_F(CommTest, LongReplyIsCollectedWhole) {
    Open(1000);
    for (int i = 0; i < 2000; ++i) stick->AddRecordText("8000F5A2C3D4E5F" + std::to_string(i % 10) + "|1|010124120000");
    std::string reply = Ask("r", "r");
    ASSERT_FALSE(reply.empty());
    EXPECT_EQ(reply.size(), 2000u * 32 - 1 + 5);
    EXPECT_EQ(reply.substr(reply.size() - 5), "(rS)\r");
}

// ---- Pattern, settings and lines -----------------------------------------------------------

TEST(CommPattern, WildcardsMatchTheWholeText) {
    const std::string reply = "*(n[SFX])\r";
    // {text, pattern, matches}: case counts, and "?" is itself here.
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {{"(nS)\r", reply, true},
                                                                           {"data(nX)\r", reply, true},
                                                                           {"(nQ)\r", reply, false},
                                                                           {"(ns)\r", reply, false},
                                                                           {"(nS)\rmore", reply, false},
                                                                           {"nS)\r", reply, false},
                                                                           {"A12B", "A##B", true},
                                                                           {"A1xB", "A##B", false},
                                                                           {"A12", "A##B", false},
                                                                           {"key=1;x=2;end", "key=*;*end", true},
                                                                           {"key=1;x=2;en", "key=*;*end", false},
                                                                           {"", "*", true},
                                                                           {"a?c", "a?c", true},
                                                                           {"abc", "a?c", false}};
    for (const auto& [text, pattern, matches] : cases)
        EXPECT_EQ(clsKRComm::TextMatches(text, pattern), matches) << text << " ~ " << pattern;
}

TEST(CommSettings, SettingsTextIsReadOrRefused) {
    auto settings = SerialPort::ParseSettings("baud=19200 parity=N data=8 stop=1 dtr=on rts=on");
    ASSERT_TRUE(settings);
    EXPECT_EQ(std::tie(settings->baud, settings->parity, settings->dataBits, settings->stopBits, settings->dtr,
                       settings->rts),
              std::make_tuple(19200, 'N', 8, 1, true, true));
    settings = SerialPort::ParseSettings("BAUD=9600 Parity=e data=7 stop=2");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->parity, 'E');
    EXPECT_FALSE(settings->dtr);
    for (const char* bad : {"", "baud=12345", "baud=19200 parity=Q", "baud=19200 data=9", "baud=19200 stop=3",
                            "baud=19200 dtr=maybe", "speed=19200", "baud19200"})
        EXPECT_FALSE(SerialPort::ParseSettings(bad)) << bad;
}

TEST_F(CommTest, RatesWithoutATermiosCodeAreSetByNumber) {
    // The stick tool's rate list offers these besides the classic ones.
    for (const char* rate : {"14400", "56000", "128000", "256000"}) {
        EXPECT_EQ(comm.CommOpen(stick.Port(), std::string("baud=") + rate + " parity=N data=8 stop=1", 1000, false), 0)
            << rate << ": " << ErrorText(comm);
        EXPECT_EQ(Ask("n", "n"), "(nS)\r") << rate;
    }
    EXPECT_EQ(comm.CommSet("baud=128000 parity=E data=7 stop=2"), 0) << ErrorText(comm);
}

TEST_F(CommTest, LineOperationsOnAPseudoTerminal) {
    bool state = true;
    // Closed port: the failure is recorded under the operation's context.
    EXPECT_EQ(comm.CommGetLine(1, state), EBADF);
    EXPECT_FALSE(state);
    EXPECT_EQ(ErrorText(comm), "Error (9): CommReadCD (GetCommModemStatus) - Bad file descriptor");
    Open();
    EXPECT_EQ(comm.CommSetLine(9, true), EINVAL);
    EXPECT_EQ(ErrorText(comm), "Error (22): CommSetLine (EscapeCommFunction) - Invalid argument");
    EXPECT_EQ(comm.CommFlush(), 0);
    EXPECT_EQ(comm.CommSet("baud=9600 parity=N data=8 stop=1"), 0);
    EXPECT_EQ(comm.CommSet("baud=1"), EINVAL);
    EXPECT_EQ(ErrorText(comm), "Error (22): CommSet (BuildCommDCB) - Invalid argument");
}

TEST_F(CommTest, ReadAndWriteOnTheirOwn) {
    std::string data = "x";
    EXPECT_EQ(comm.CommRead(data, 80), -1);
    EXPECT_EQ(data, "");
    EXPECT_EQ(ErrorText(comm).rfind("Error (9): CommRead (ReadFile) - Bad file descriptor  "
                                    "COMM Error Flags = 0",
                                    0),
              0u);
    EXPECT_EQ(comm.CommWrite("n\r"), -1);
    Open(300);
    EXPECT_EQ(comm.CommRead(data, 0), 0);
    EXPECT_EQ(comm.CommWrite("t\r"), 2);
    std::string reply;
    for (int i = 0; i < 10 && reply.size() < 17; ++i) {
        ASSERT_GE(comm.CommRead(data, 80), 0);
        reply += data;
    }
    EXPECT_EQ(reply.size(), 17u);
    EXPECT_EQ(reply.substr(12), "(tS)\r");
}

// An unplugged stick ends a read at once, with the system's reason and the port reported
// closed, instead of the read waiting out its time-out (that of an erase here) at full speed.
TEST_F(CommTest, ADeviceThatHangsUpEndsTheReadAtOnceAndWaitsWithoutSpinning) {
    Open(30000);
    stick->SetFaults({.replyDelayMs = 2000, .unplugDuring = 't'});
    ASSERT_EQ(comm.CommWrite("t\r"), 2);
    Clock::time_point hungUp;
    std::thread watch([&] {
        while (!stick->Unplugged()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        hungUp = Clock::now();
    });
    ThreadCpu cpu;
    std::string data = "x";
    long got = comm.CommRead(data, 80);
    Clock::time_point end = Clock::now();
    const double share = cpu.Share();
    watch.join();

    EXPECT_EQ(got, -1);
    EXPECT_EQ(data, "");
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(end - hungUp).count(), 100);
    EXPECT_LT(share, 0.1) << "a wait uses under a tenth of a processor";
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(ErrorText(comm), "Error (5): CommRead (ReadFile) - Input/output error  COMM Error Flags = 0");
    EXPECT_EQ(Ask("n", "n"), "");
}

TEST_F(CommTest, FailureInsideAReadIsAFailedReadNotACount) {
    Open(300);
    comm.SetMessagePump([] { throw RuntimeError(13, "Type mismatch"); });
    std::string data = "x";
    EXPECT_EQ(comm.CommRead(data, 80), -1);
    EXPECT_EQ(data, "");
    EXPECT_EQ(ErrorText(comm), "Error (13): CommRead - Type mismatch");
    EXPECT_EQ(comm.CommWrite("n\r"), -1);
    EXPECT_EQ(ErrorText(comm), "Error (13): CommWrite - Type mismatch");
    EXPECT_EQ(Ask("n", "n"), "");
}

}  // namespace
