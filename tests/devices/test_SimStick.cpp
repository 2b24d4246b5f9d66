#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "devices/clsKRComm.h"
#include "devices/modStickReader.h"
#include "fixtures/StickOnPort.h"
#include "fixtures/TempHome.h"
#include "platform/FileSystem.h"

using namespace modStickReader;

namespace {

using Clock = std::chrono::steady_clock;

// The simulated stick on COM5 (time-outs scaled down) and a window's side of the line.
class SimulatedLine : public ::testing::Test {
protected:
    SimulatedLine() {
        exchange.Port = stick.Port();
        for (int i = 0; i < 30; ++i)
            stick->AddRecord("8000F5A4C3B2A1" + std::to_string(10 + i), '1',
                             DateTime{2024, 3, 15, 10, 20, i});
    }

    TempHome home;
    StickOnPort stick{5};
    clsKRComm comm;
    StickExchange exchange{comm};
};

}  // namespace

TEST_F(SimulatedLine, PacedLineCarriesBothWaysAtItsSpeedInRealTime) {
    stick->SetBytesPerSecond(1920);
    const auto start = Clock::now();
    ASSERT_TRUE(exchange.Send(ReadRecordsCommand));
    const double elapsedMs =
        std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    // "r" CR out, the records and the tail back: about half a second at 19,200 baud, however
    // much the time-outs are scaled down.
    const double wireMs = (2 + exchange.LastReply.size()) * 1000.0 / 1920;
    EXPECT_GT(wireMs, 480);
    EXPECT_GE(elapsedMs, wireMs - 2);
    EXPECT_LT(elapsedMs, wireMs + 250);
    EXPECT_TRUE(IsReplyOK(exchange.LastReply));
    EXPECT_EQ(StripReplyStatus(exchange.LastReply).size(), 30u * 32 - 1);

    // The chunk and delay switches still shape a paced reply.
    SimStick::Faults faults;
    faults.chunkSize = 100;
    faults.chunkDelayMs = 100;
    stick->SetFaults(faults);
    ASSERT_TRUE(exchange.Send(ReadRecordsCommand));
    EXPECT_TRUE(IsReplyOK(exchange.LastReply));
}

TEST_F(SimulatedLine, StickPulledOutMidReplyIsGoneAfterItsFirstBytes) {
    SimStick::Faults faults;
    faults.unplugDuring = 'r';
    faults.unplugAfter = 40;
    stick->SetFaults(faults);
    ASSERT_TRUE(exchange.Send(IdentifyCommand));  // other commands are answered

    long bytesSeen = 0;
    comm.OnDataReceived([&](const std::string&, long count) { bytesSeen = count; });
    EXPECT_FALSE(exchange.Send(ReadRecordsCommand));
    EXPECT_EQ(bytesSeen, 40);
    EXPECT_TRUE(stick->Unplugged());
    EXPECT_FALSE(FileSystem::Exists(stick->SlavePath()));
    EXPECT_FALSE(exchange.Send(IdentifyCommand));
    EXPECT_EQ(stick->Records().size(), 30u);
}
