#pragma once
#include <string>
#include <vector>

// The online backup service's three operations. Each returns an error text; empty means
// success. Requests go to the endpoint set in the machine's settings, over https (plain
// http is accepted only to this machine, for tests), each with a time-out.
namespace modRVBS {

using Bytes = std::vector<unsigned char>;

// The setting that names the endpoint. The service's namespace is its home address
// (modCommon::ServiceHomeURI) followed by "/RVBSBackup".
inline constexpr const char* EndpointSetting = "RVBSEndpoint";
// The program's product identifier, sent as SoftwareID.
inline constexpr const char* ProductID = "AC92F607-F00C-4F29-A2C1-3EA360FFA2C1";
// How long a request may take as a whole, from its first byte sent to its reply's last, before
// it counts as unanswered: a service that answers a byte at a time ends it too.
inline constexpr int RequestTimeoutMs = 60000;
// The longest reply read. The service's largest, a restore's piece, is a hundredth of a backup:
// a reply past this (a piece of a 3 GB backup) is no answer, and the request ends there.
inline constexpr long long MaxReplyBytes = 32LL << 20;

std::string ServiceNamespace();
std::string Endpoint();

// The sign-in that every request carries; the window sets it from its boxes.
void SetSignIn(const std::string& userName, const std::string& password);

// The request envelopes, with the sign-in and the current time.
std::string BackupDataEnvelope(const std::string& documentTrackingID, const std::string& dataSourceID,
                               const std::string& dataSourceDescription, long messageNo, long totalMessages);
std::string RestoreDataSourceListEnvelope(const std::string& documentTrackingID);
std::string RestoreDataEnvelope(const std::string& restoreDataSourceGUID, const std::string& documentTrackingID,
                                long messageNo, long totalMessages);

std::string SendBackupChunk(const std::string& documentTrackingID, const std::string& dataSourceID,
                            const std::string& dataSourceDescription, long messageNo, long totalMessages, Bytes& chunk);
// True with the backups' records in `list` (four lines each, records separated by form
// feeds); false with the error text in `list`.
bool GetBackupList(std::string& list);
std::string GetRestoreChunk(const std::string& restoreDataSourceGUID, const std::string& documentTrackingID,
                            long messageNo, long totalMessages, Bytes& chunk);

// An answer of the service as the operations read it: the HTTP status (from 12000 up, the number
// of a failure below HTTP: no connection, a time-out), its reason, content type and body.
struct Reply {
    int status = 0;
    std::string statusText, contentType, body;
};
// What the operations above make of an answer, without the network.
std::string BackupChunkResult(const Reply& reply);
bool BackupListResult(const Reply& reply, std::string& list);
std::string RestoreChunkResult(const Reply& reply, Bytes& chunk);

}  // namespace modRVBS
