#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>

#include "backup/modDIME.h"
#include "backup/modRVBS.h"
#include "core/modCommon.h"
#include "fixtures/ScriptedPrompts.h"
#include "fixtures/TempHome.h"
#include "platform/DateTime.h"
#include "sim/FakeRVBS.h"

namespace {

using Bytes = modDIME::Bytes;

Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<unsigned char>(v));
    return out;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Text(const std::string& s, std::size_t zeros = 0) {
    Bytes out(s.begin(), s.end());
    out.resize(out.size() + zeros, 0);
    return out;
}

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

// What the address sanitizer holds of the memory freed, to catch a later use of it (its
// quarantine, 256 MB unless set), in MB: resident like any other.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kQuarantineMB = 256;
#else
constexpr long kQuarantineMB = 0;
#endif

// The most memory the process has held since the last call, in MB.
long PeakMB() {
    long kb = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) kb = std::stol(line.substr(6));
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    return kb / 1024;
}

const std::string ID1 = "uuid:11111111-2222-3333-4444-555555555555";
const std::string ID2 = "uuid:AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE";

TEST(DIME, TwoRecordMessageIsLaidOutByteForByte) {
    Bytes chunk = B({1, 2, 3, 4, 5});
    Bytes message = modDIME::CreateDIME("<e/>", chunk, ID1, ID2);
    Bytes expected = B({0x0C, 0x20, 0, 0, 0, 41, 0, 41, 0, 0, 0, 4}) + Text(ID1, 3) +
                     Text("http://schemas.xmlsoap.org/soap/envelope/", 3) + Text("<e/>") +
                     B({0x0A, 0x10, 0, 0, 0, 41, 0, 19, 0, 0, 0, 5}) + Text(ID2, 3) + Text("application/unknown", 1) +
                     B({1, 2, 3, 4, 5, 0, 0, 0});
    EXPECT_EQ(message, expected);
    EXPECT_EQ(chunk, B({1, 2, 3, 4, 5, 0, 0, 0})) << "the caller's piece is padded in place";

    Bytes back;
    ASSERT_TRUE(modDIME::ReadDIME(message, back));
    EXPECT_EQ(back, B({1, 2, 3, 4, 5}));

    Bytes four = B({9, 9, 9, 9});
    modDIME::PadTo4(four);
    EXPECT_EQ(four.size(), 4u);
    Bytes empty;
    modDIME::PadTo4(empty);
    EXPECT_TRUE(empty.empty());
}

TEST(DIME, AnythingButExactlyTwoWholeRecordsIsCorrupt) {
    Bytes chunk = Text("0123456789");
    const Bytes good = modDIME::CreateDIME("<envelope/>", chunk, ID1, ID2);
    Bytes out;
    auto corrupt = [&](Bytes message) { return !modDIME::ReadDIME(message, out); };

    Bytes badFirst = good;
    badFirst[0] = 0x0E;  // chunked
    EXPECT_TRUE(corrupt(badFirst));
    Bytes badSecond = good;
    std::size_t second = 12 + 44 + 44 + 12;
    ASSERT_EQ(badSecond[second], 0x0A);
    badSecond[second] = 0x08;  // not the last record
    EXPECT_TRUE(corrupt(badSecond));
    Bytes pastEnd = good;
    pastEnd[second + 11] = 200;  // data length beyond the body
    EXPECT_TRUE(corrupt(pastEnd));
    Bytes firstPastEnd = good;
    firstPastEnd[8] = 0x7F;  // record 1 claims far more than there is
    EXPECT_TRUE(corrupt(firstPastEnd));
    EXPECT_TRUE(corrupt(Bytes(good.begin(), good.begin() + second + 6)));
    EXPECT_TRUE(corrupt(Bytes(good.begin(), good.end() - 4)));
    EXPECT_TRUE(corrupt({}));
}

class RVBSTest : public ::testing::Test {
protected:
    TempHome home;
    ScriptedPrompts prompts;
    std::unique_ptr<FakeRVBS> fake;

    void SetUp() override {
        fake = std::make_unique<FakeRVBS>(modRVBS::ServiceNamespace());
        fake->Start();
        home.SetMachineSetting(modRVBS::EndpointSetting, fake->Endpoint());
        modRVBS::SetSignIn("keeper", "secret");
    }

    std::string Backup(const std::string& data, long pieces) {
        std::string guid = modCommon::CreateGUIDString(), tracking = modCommon::CreateGUIDString();
        for (long i = 1; i <= pieces; ++i) {
            std::size_t from = data.size() * (i - 1) / pieces, to = data.size() * i / pieces;
            Bytes chunk(data.begin() + from, data.begin() + to);
            std::string error = modRVBS::SendBackupChunk(tracking, guid, "Backup", i, pieces, chunk);
            EXPECT_EQ(error, "") << "piece " << i;
        }
        return guid;
    }
};

TEST_F(RVBSTest, EnvelopesAreWrittenLineForLineWithValuesEscaped) {
    DateTime::PinClock({2024, 3, 5, 14, 7, 9});
    modRVBS::SetSignIn("jo@farm", "p<&>w");
    const std::string ns = modRVBS::ServiceNamespace();
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:wsa=\"http://schemas.xmlsoap.org/ws/2004/03/addressing\" "
        "xmlns:wsse=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd\" "
        "xmlns:wsu=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd\">\r\n"
        "<soap:Body>\r\n";
    auto fileHead = [&](const std::string& op, const std::string& dataSource) {
        return "   <" + op + " xmlns=\"" + ns + "\">\r\n       <RequestDocument>\r\n   <" + op + " xmlns=\"" + ns +
               "\">\r\n       <FileHead>\r\n"
               "           <SchemaVersion>1.0</SchemaVersion>\r\n"
               "           <CreationDateTime>2024-03-05T14:07:09</CreationDateTime>\r\n"
               "           <DataSourceID>" +
               dataSource +
               "</DataSourceID>\r\n"
               "           <SoftwareID>" +
               modRVBS::ProductID +
               "</SoftwareID>\r\n"
               "           <SoftwareVersion>" +
               modCommon::ProgramVersion() +
               "</SoftwareVersion>\r\n"
               "           <DocumentTrackingID>T-1</DocumentTrackingID>\r\n"
               "       </FileHead>\r\n"
               "       <Authorisation>\r\n"
               "           <RVBSUserName>jo@farm</RVBSUserName>\r\n"
               "           <RVBSPassword>p&lt;&amp;&gt;w</RVBSPassword>\r\n"
               "       </Authorisation>\r\n";
    };
    auto tail = [](const std::string& op) {
        return "   </" + op + ">\r\n       </RequestDocument>\r\n   </" + op +
               ">\r\n  </soap:Body>\r\n</soap:Envelope>";
    };

    EXPECT_EQ(modRVBS::RestoreDataSourceListEnvelope("T-1"),
              head + fileHead("RestoreDataSourceList", "") +
                  "       <RestoreDataSourceList DocumentType=\"Request\"/>\r\n" + tail("RestoreDataSourceList"));
    EXPECT_EQ(modRVBS::BackupDataEnvelope("T-1", "G-1", "Backup for holding 12/34 & \"Hill\"", 7, 101),
              head + fileHead("BackupData", "G-1") +
                  "       <BackupDataHeader DocumentType=\"Request\">\r\n"
                  "           <DataSourceDescription>Backup for holding 12/34 &amp; &quot;Hill&quot;"
                  "</DataSourceDescription>\r\n"
                  "       </BackupDataHeader>\r\n"
                  "       <BackupMessageInfo>\r\n"
                  "           <MessageNo>7</MessageNo>\r\n"
                  "           <TotalMessages>101</TotalMessages>\r\n"
                  "       </BackupMessageInfo>\r\n" +
                  tail("BackupData"));
    EXPECT_EQ(modRVBS::RestoreDataEnvelope("G-2", "T-1", 100, 100),
              head + fileHead("RestoreData", modRVBS::ProductID) +
                  "       <RestoreDataHeader DocumentType=\"Request\">\r\n"
                  "           <RestoreDataSourceGUID>G-2</RestoreDataSourceGUID>\r\n"
                  "       </RestoreDataHeader>\r\n"
                  "       <RestoreMessageInfo>\r\n"
                  "           <MessageNo>100</MessageNo>\r\n"
                  "           <TotalMessages>100</TotalMessages>\r\n"
                  "       </RestoreMessageInfo>\r\n" +
                  tail("RestoreData"));
}

TEST_F(RVBSTest, BackupGoesUpListsAndComesBackInAHundredPieces) {
    modRVBS::SetSignIn("jo@farm", "pa@ss");
    fake->SetAccount("jo@farm", "pa@ss");
    std::string data;
    for (int i = 0; i < 12345; ++i) data += static_cast<char>(i * 13 % 256);
    const std::string description = "Holding Ålbæk @ 5 <north>";
    std::string guid = modCommon::CreateGUIDString(), tracking = modCommon::CreateGUIDString();
    for (long i = 1; i <= 3; ++i) {
        std::size_t from = data.size() * (i - 1) / 3, to = data.size() * i / 3;
        Bytes chunk(data.begin() + from, data.begin() + to);
        ASSERT_EQ(modRVBS::SendBackupChunk(tracking, guid, description, i, 3, chunk), "");
    }
    ASSERT_EQ(fake->BackupData(guid), data);
    auto requests = fake->Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].soapAction, "\"" + modRVBS::ServiceNamespace() + "/BackupData\"");
    EXPECT_EQ(requests[0].contentType, "application/dime");
    EXPECT_EQ(requests[0].fields.at("DataSourceDescription"), description) << "values arrive unchanged, \"@\" and all";
    EXPECT_EQ(requests[0].fields.at("RVBSUserName"), "jo@farm");

    std::string list;
    ASSERT_TRUE(modRVBS::GetBackupList(list));
    auto backups = fake->Backups();
    EXPECT_EQ(list, description + "\r\n" + backups[0].lastBackupDate + "\r\n12345\r\n" + guid);
    auto listRequest = fake->Requests().back();
    EXPECT_EQ(listRequest.contentType, "text/xml; charset=utf-8");
    EXPECT_EQ(listRequest.contentLength, std::to_string(listRequest.body.size()));

    std::string restored;
    std::string restoreTracking = modCommon::CreateGUIDString();
    for (long i = 1; i <= 100; ++i) {
        Bytes chunk;
        ASSERT_EQ(modRVBS::GetRestoreChunk(guid, restoreTracking, i, 100, chunk), "") << i;
        restored += Str(chunk);
    }
    EXPECT_EQ(restored, data);
    EXPECT_EQ(fake->Requests().back().fields.at("DataSourceID"), modRVBS::ProductID);
}

TEST_F(RVBSTest, ListHoldsOneFormFeedBetweenRecordsAndSaysWhenEmpty) {
    std::string list;
    EXPECT_FALSE(modRVBS::GetBackupList(list));
    EXPECT_EQ(list, "The RVBS has no backups of your data");

    fake->AddBackup({"G1", "First", "2024-01-02T03:04:05", "abc"});
    fake->AddBackup({"G2", "Empty", "2024-02-02T03:04:05", "", "0"});
    ASSERT_TRUE(modRVBS::GetBackupList(list));
    EXPECT_EQ(list, "First\r\n2024-01-02T03:04:05\r\n3\r\nG1\fEmpty\r\n2024-02-02T03:04:05\r\n0\r\nG2");
}

struct FailureCase {
    std::string operation;
    FakeRVBS::Failure kind;
    int httpStatus;
    std::string text;
    std::string expected;
};

TEST_F(RVBSTest, EachFailureOfTheServiceGivesItsText) {
    fake->AddBackup({"G1", "First", "2024-01-02T03:04:05", "abc"});
    const std::string noStatus = "No status returned from the RVBS - operation failed.";
    const std::string corrupt = "Corrupted data received from the RVBS";
    using F = FakeRVBS::Failure;
    const std::vector<FailureCase> cases = {
        {"BackupData", F::Status, 200, "DataSource not registered", "DataSource not registered"},
        {"BackupData", F::NoStatus, 200, "", noStatus},
        {"BackupData", F::NotXml, 200, "", noStatus},
        {"BackupData", F::HttpFault, 500, "soap:Server",
         "The RVBS responded with...Error 500 - Internal Server Error\r\n"
         "Server was unable to process request.\r\nNo data was transferred."},
        {"BackupData", F::HttpEmpty, 503, "", "The RVBS failed to respond...Error 503 - Service Unavailable"},
        {"RestoreDataSourceList", F::HttpFault, 500, "soap:Client",
         "The RVBS responded with...Error 500 - Internal Server Error\r\n"
         "Server was unable to process request.\r\nNo data was received."},
        {"RestoreDataSourceList", F::Status, 200, "Account suspended", "Account suspended"},
        {"RestoreDataSourceList", F::NoStatus, 200, "", noStatus},
        {"RestoreDataSourceList", F::NotXml, 200, "", noStatus},
        {"RestoreData", F::PlainRestore, 200, "", "OK"},
        {"RestoreData", F::NotXml, 200, "", noStatus},
        {"RestoreData", F::BadFirstRecord, 200, "", corrupt},
        {"RestoreData", F::BadSecondRecord, 200, "", corrupt},
        {"RestoreData", F::LengthPastEnd, 200, "", corrupt},
        {"RestoreData", F::HttpFault, 400, "soap:Client",
         "The RVBS responded with...Error 400 - Bad Request\r\n"
         "Server was unable to process request.\r\nNo data was transferred."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.operation + " -> " + c.expected);
        fake->ClearFaults();
        fake->FailOn({c.operation, 0, c.kind, c.httpStatus, c.text});
        std::string error;
        Bytes chunk = Text("piece");
        if (c.operation == "BackupData") {
            error = modRVBS::SendBackupChunk("T", "G9", "d", 1, 2, chunk);
        } else if (c.operation == "RestoreData") {
            error = modRVBS::GetRestoreChunk("G1", "T", 1, 100, chunk);
        } else {
            EXPECT_FALSE(modRVBS::GetBackupList(error));
        }
        EXPECT_EQ(error, c.expected);
    }

    fake->ClearFaults();
    modRVBS::SetSignIn("keeper", "wrong");
    std::string list;
    EXPECT_FALSE(modRVBS::GetBackupList(list));
    EXPECT_EQ(list, "Invalid user name or password");
}

TEST(RVBSReply, AnswerNestedDeeperThanTheServiceNestsIsNoAnswer) {
    TempHome home;
    std::string deep;  // nested deeper than a stack holds
    for (int i = 0; i < 200000; ++i) deep += i < 100000 ? "<a>" : "</a>";
    const modRVBS::Reply ok{200, "OK", "text/xml", deep}, failed{500, "Internal Server Error", "text/xml", deep};
    std::string list;
    Bytes chunk;
    EXPECT_EQ(modRVBS::BackupChunkResult(ok), "No status returned from the RVBS - operation failed.");
    EXPECT_FALSE(modRVBS::BackupListResult(ok, list));
    EXPECT_EQ(modRVBS::RestoreChunkResult(ok, chunk), "No status returned from the RVBS - operation failed.");
    EXPECT_EQ(modRVBS::BackupChunkResult(failed), "The RVBS failed to respond...Error 500 - Internal Server Error");
}

TEST_F(RVBSTest, AServiceThatCannotBeReachedSaysSo) {
    const std::string cannot = " - Cannot contact the RVBS server";
    Bytes chunk = Text("piece");

    home.SetMachineSetting(modRVBS::EndpointSetting, "");
    EXPECT_EQ(modRVBS::SendBackupChunk("T", "G", "d", 1, 1, chunk),
              "The RVBS failed to respond...Error 12005" + cannot);
    // Plain http would carry the password in clear text across a network.
    home.SetMachineSetting(modRVBS::EndpointSetting, "http://192.0.2.1/RVBSBackup.asmx");
    std::string list;
    EXPECT_FALSE(modRVBS::GetBackupList(list));
    EXPECT_EQ(list, "The RVBS failed to respond...Error 12005" + cannot);

    home.SetMachineSetting(modRVBS::EndpointSetting, fake->Endpoint());
    fake->FailOn({"RestoreData", 0, FakeRVBS::Failure::Delay, 0, "", 20000});
    setenv("KELVO_TIME_SCALE", "0.01", 1);
    EXPECT_EQ(modRVBS::GetRestoreChunk("G", "T", 1, 100, chunk), "The RVBS failed to respond...Error 12002" + cannot);
    // A reply that starts and then stops is no answer either, whatever its status said.
    fake->ClearFaults();
    fake->FailOn({"BackupData", 0, FakeRVBS::Failure::StallBody, 0, "", 20000});
    fake->FailOn({"RestoreData", 0, FakeRVBS::Failure::StallBody, 0, "", 20000});
    EXPECT_EQ(modRVBS::SendBackupChunk("T", "G", "d", 1, 1, chunk),
              "The RVBS failed to respond...Error 12002" + cannot);
    EXPECT_EQ(modRVBS::GetRestoreChunk("G", "T", 1, 100, chunk), "The RVBS failed to respond...Error 12002" + cannot);
    unsetenv("KELVO_TIME_SCALE");

    fake->Stop();
    EXPECT_EQ(modRVBS::SendBackupChunk("T", "G", "d", 1, 1, chunk),
              "The RVBS failed to respond...Error 12029" + cannot);
}

// A service that answers without end, a byte at a time or as fast as it can, is cut off by the
// request's deadline or by the cap on a reply's size; no more of it is taken than the cap.
TEST_F(RVBSTest, AReplyWithoutEndIsCutOffByTheDeadlineOrTheCap) {
    const std::string cannot = "The RVBS failed to respond...Error 120";
    Bytes chunk;
    fake->FailOn({"RestoreData", 1, FakeRVBS::Failure::Trickle, 0, "", 50});
    fake->FailOn({"RestoreData", 2, FakeRVBS::Failure::Flood});
    setenv("KELVO_TIME_SCALE", "0.02", 1);  // a deadline of 1.2 s, passed long before the trickle's end
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(modRVBS::GetRestoreChunk("G", "T", 1, 100, chunk), cannot + "02 - Cannot contact the RVBS server");
    EXPECT_GE(clock.elapsed(), 1000);
    unsetenv("KELVO_TIME_SCALE");
    EXPECT_EQ(modRVBS::GetRestoreChunk("G", "T", 2, 100, chunk), cannot + "30 - Cannot contact the RVBS server");
    EXPECT_LT(fake->StreamedBytes(), 2 * modRVBS::MaxReplyBytes) << "the flood was cut off";
    EXPECT_TRUE(chunk.empty());
}

// The network layer reads on while the program's thread is busy: what it takes from a flood
// meanwhile must stay within bounds too, not only what the program reads.
TEST_F(RVBSTest, AFloodWhileTheProgramIsBusyTakesNoMoreMemoryThanTheCap) {
    Bytes chunk;
    fake->FailOn({"RestoreData", 0, FakeRVBS::Failure::Flood});
    // The service answers only once the program's thread is held up, before it has seen a byte.
    std::atomic<bool> asked = false, held = false;
    fake->OnRequest([&](const FakeRVBS::Request&) {
        asked = true;
        while (!held) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    QTimer busy;
    QObject::connect(&busy, &QTimer::timeout, [&] {
        if (!asked) return;
        busy.stop();
        held = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2000));
    });
    busy.start(1);
    const long before = PeakMB();
    EXPECT_EQ(modRVBS::GetRestoreChunk("G", "T", 1, 100, chunk),
              "The RVBS failed to respond...Error 12030 - Cannot contact the RVBS server");
    EXPECT_LT(PeakMB() - before, 100 + kQuarantineMB) << fake->StreamedBytes() / (1 << 20) << " MB sent";
}

}  // namespace
