#include "backup/modRVBS.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <pugixml.hpp>

#include <algorithm>
#include <functional>
#include <optional>

#include "backup/modDIME.h"
#include "core/Trap.h"
#include "core/modCommon.h"
#include "core/modRegistry.h"
#include "platform/DateTime.h"
#include "platform/Program.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

namespace modRVBS {
namespace {

const char* const kModule = "modRVBS";
const std::string NoStatusText = "No status returned from the RVBS - operation failed.";

std::string userName_, password_;

// Network-layer failures are reported with status numbers from 12000 up, which the
// error texts treat as "cannot contact".
constexpr int StatusTimedOut = 12002;
constexpr int StatusBadEndpoint = 12005;
constexpr int StatusNameNotResolved = 12007;
constexpr int StatusCannotConnect = 12029;
constexpr int StatusConnectionAborted = 12030;
constexpr int StatusSecureFailure = 12175;

std::string XmlEscaped(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&apos;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Element(const std::string& indent, const std::string& name, const std::string& value) {
    return indent + "<" + name + ">" + XmlEscaped(value) + "</" + name + ">";
}

std::string CreationDateTime() {
    std::string text = DateTime::Now().ToText();  // "YYYY-MM-DD HH:MM:SS"
    text[10] = 'T';
    return text;
}

std::string Envelope(const std::string& op, const std::string& dataSourceID, const std::string& documentTrackingID,
                     const std::vector<std::string>& operationHeader) {
    const std::string ns = XmlEscaped(ServiceNamespace());
    const std::string opLine = "   <" + op + " xmlns=\"" + ns + "\">";
    const std::string in1 = "       ", in2 = "           ";
    std::vector<std::string> lines = {
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\""
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
        " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
        " xmlns:wsa=\"http://schemas.xmlsoap.org/ws/2004/03/addressing\""
        " xmlns:wsse=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd\""
        " xmlns:wsu=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd\">",
        "<soap:Body>",
        opLine,
        in1 + "<RequestDocument>",
        opLine,
        in1 + "<FileHead>",
        Element(in2, "SchemaVersion", "1.0"),
        Element(in2, "CreationDateTime", CreationDateTime()),
        Element(in2, "DataSourceID", dataSourceID),
        Element(in2, "SoftwareID", ProductID),
        Element(in2, "SoftwareVersion", modCommon::ProgramVersion()),
        Element(in2, "DocumentTrackingID", documentTrackingID),
        in1 + "</FileHead>",
        in1 + "<Authorisation>",
        Element(in2, "RVBSUserName", userName_),
        Element(in2, "RVBSPassword", password_),
        in1 + "</Authorisation>",
    };
    lines.insert(lines.end(), operationHeader.begin(), operationHeader.end());
    lines.insert(lines.end(), {"   </" + op + ">", in1 + "</RequestDocument>", "   </" + op + ">", "  </soap:Body>",
                               "</soap:Envelope>"});
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? CRLF : "") + lines[i];
    return text;
}

std::vector<std::string> MessageInfo(const std::string& element, long messageNo, long total) {
    return {"       <" + element + ">", Element("           ", "MessageNo", std::to_string(messageNo)),
            Element("           ", "TotalMessages", std::to_string(total)), "       </" + element + ">"};
}

// ---- HTTP --------------------------------------------------------------------------------

bool IsLoopback(const QString& host) {
    if (host.compare("localhost", Qt::CaseInsensitive) == 0) return true;
    QHostAddress address;
    return address.setAddress(host) && address.isLoopback();
}

// https anywhere; plain http only to this machine, so the sign-in never crosses a network
// in clear text.
bool EndpointAllowed(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    if (url.scheme() == "https") return true;
    return url.scheme() == "http" && IsLoopback(url.host());
}

int NetworkStatus(QNetworkReply::NetworkError error) {
    switch (error) {
        case QNetworkReply::TimeoutError:
        case QNetworkReply::OperationCanceledError: return StatusTimedOut;
        case QNetworkReply::HostNotFoundError: return StatusNameNotResolved;
        case QNetworkReply::RemoteHostClosedError: return StatusConnectionAborted;
        case QNetworkReply::SslHandshakeFailedError: return StatusSecureFailure;
        default: return StatusCannotConnect;
    }
}

// Failures below the HTTP layer: connection, time-out, secure channel, proxy.
bool IsNetworkFailure(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
}

// The most of a reply the network layer holds for the program before it stops reading.
constexpr qint64 kNetworkBuffer = 1 << 20;

// Waits for the reply's end, taking its body as it comes straight into `received`, so that no
// more than the cap is ever held. The deadline and the cap each cut the exchange off: the result
// is the status that says which, or 0.
//
// Qt's network thread reads a reply on its own, without bound, until it is given a buffer size,
// whatever this thread is doing meanwhile. The size reaches that thread only once the request
// has been handed to it, which the reply does in an event posted when it was made: the size
// is set in the event posted next, so that both are handled before this thread can be held up
// by anything else, and long before the first byte of the answer.
int AwaitReply(QNetworkReply* reply, QByteArray& received) {
    QObject waiting;  // the connections below end with it
    QMetaObject::invokeMethod(
        &waiting, [reply] { reply->setReadBufferSize(kNetworkBuffer); }, Qt::QueuedConnection);
    int cutOff = 0;
    const auto stop = [&](int why) {
        cutOff = why;
        reply->abort();
    };
    // Room for the whole cap is set aside but taken only as the body fills it.
    received.reserve(MaxReplyBytes + 1);
    const auto take = [&] {
        // What has come, never more than one byte past the cap.
        const qint64 had = received.size();
        const qint64 wanted = std::min(reply->bytesAvailable(), MaxReplyBytes + 1 - had);
        received.resize(had + wanted);
        received.resize(had + std::max<qint64>(reply->read(received.data() + had, wanted), 0));
        return received.size() <= MaxReplyBytes;
    };
    QObject::connect(reply, &QNetworkReply::readyRead, &waiting, [&] {
        if (!take()) stop(StatusConnectionAborted);
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &waiting, [&] { stop(StatusTimedOut); });
    deadline.start(Program::ScaledMs(RequestTimeoutMs));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    if (!cutOff && !take()) cutOff = StatusConnectionAborted;
    return cutOff;
}

Reply Post(const std::string& op, const QByteArray& contentType, const QByteArray& body) {
    Reply result;
    QUrl url(QString::fromStdString(Endpoint()));
    if (!EndpointAllowed(url)) {
        result.status = StatusBadEndpoint;
        return result;
    }
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    request.setHeader(QNetworkRequest::ContentLengthHeader, body.size());
    request.setRawHeader("SOAPAction", QByteArray::fromStdString("\"" + ServiceNamespace() + "/" + op + "\""));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);

    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.post(request, body);
    QByteArray received;
    const int cutOff = AwaitReply(reply, received);

    // A reply cut off by the time-out or a dropped connection may already carry a status and
    // part of its body; it is no answer all the same.
    QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!cutOff && status.isValid() && status.toInt() > 0 && !IsNetworkFailure(reply->error())) {
        result.status = status.toInt();
        result.statusText = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().toStdString();
        result.contentType = reply->rawHeader("Content-Type").toStdString();
        result.body = received.toStdString();
    } else {
        result.status = cutOff ? cutOff : NetworkStatus(reply->error());
        result.statusText = reply->errorString().toStdString();
    }
    reply->deleteLater();
    return result;
}

// ---- Replies -----------------------------------------------------------------------------

// The service's answers nest a few levels. A text nested deeper is no answer of the service, and
// the readers below, which walk it level by level, would spend stack and time as deep as it goes.
constexpr int kDeepest = 100;

struct DepthCheck : pugi::xml_tree_walker {
    bool for_each(pugi::xml_node&) override { return depth() < kDeepest; }
};

bool LoadXml(const std::string& text, pugi::xml_document& doc) {
    DepthCheck shallow;
    return doc.load_buffer(text.data(), text.size()) && doc.document_element() && doc.traverse(shallow);
}

std::string NamespaceOf(pugi::xml_node element) {
    std::string name = element.name();
    auto colon = name.find(':');
    std::string attribute = colon == std::string::npos ? "xmlns" : "xmlns:" + name.substr(0, colon);
    for (pugi::xml_node n = element; n; n = n.parent())
        if (pugi::xml_attribute a = n.attribute(attribute.c_str())) return a.value();
    return "";
}

std::string LocalName(pugi::xml_node element) {
    std::string name = element.name();
    auto colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

// The elements below `root` (in document order) of the service's namespace with that name.
std::vector<pugi::xml_node> Select(pugi::xml_node root, const std::string& localName) {
    std::vector<pugi::xml_node> found;
    const std::string ns = ServiceNamespace();
    std::function<void(pugi::xml_node)> walk = [&](pugi::xml_node node) {
        for (pugi::xml_node child : node.children()) {
            if (child.type() != pugi::node_element) continue;
            if (LocalName(child) == localName && NamespaceOf(child) == ns) found.push_back(child);
            walk(child);
        }
    };
    walk(root);
    return found;
}

// The text of a node and everything below it: each piece of text trimmed, blank pieces
// left out, the rest joined by single blanks.
std::string NodeText(pugi::xml_node node) {
    std::string text;
    std::function<void(pugi::xml_node)> walk = [&](pugi::xml_node n) {
        for (pugi::xml_node child : n.children()) {
            if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
                std::string piece = TrimWhiteSpace(child.value());
                if (!piece.empty()) text += (text.empty() ? "" : " ") + piece;
            } else {
                walk(child);
            }
        }
    };
    walk(node);
    return text;
}

// The reply's ResponseStatus text; nothing when the reply is not XML or has none. An empty
// status is no status: as an error text it would read as success.
std::optional<std::string> ResponseStatus(const Reply& reply, pugi::xml_document& doc) {
    if (!LoadXml(reply.body, doc)) return std::nullopt;
    auto status = Select(doc, "ResponseStatus");
    if (status.empty()) return std::nullopt;
    std::string text = NodeText(status.front());
    if (text.empty()) return std::nullopt;
    return text;
}

void RemoveFirst(std::string& text, const std::string& what) {
    auto at = text.find(what);
    if (at != std::string::npos) text.erase(at, what.size());
}

std::string HttpError(const Reply& reply, const std::string& nothingMoved) {
    const std::string status = std::to_string(reply.status);
    if (reply.status < 600) {
        pugi::xml_document doc;
        std::string text = LoadXml(reply.body, doc) ? NodeText(doc) : "";
        if (!text.empty()) {
            RemoveFirst(text, "soap:Server ");
            RemoveFirst(text, "soap:Client ");
            return "The RVBS responded with...Error " + status + " - " + reply.statusText + CRLF + text + CRLF +
                   nothingMoved;
        }
    }
    return "The RVBS failed to respond...Error " + status + " - " +
           (reply.status >= 12000 ? std::string("Cannot contact the RVBS server") : reply.statusText);
}

// The error text of a reply below 400 that carries only a status: "OK" is success.
std::string StatusError(const Reply& reply) {
    pugi::xml_document doc;
    auto status = ResponseStatus(reply, doc);
    if (!status) return NoStatusText;
    return *status == "OK" ? "" : *status;
}

QByteArray Utf8(const std::string& text) { return QByteArray(text.data(), qsizetype(text.size())); }

// What an exchange that failed on our side gives instead of the service's word: why it failed.
std::string Description(const RuntimeError& error) { return error.description; }

}  // namespace

std::string ServiceNamespace() { return modCommon::ServiceHomeURI() + "/RVBSBackup"; }

std::string Endpoint() { return modRegistry::GetRegistryValue(EndpointSetting, ""); }

void SetSignIn(const std::string& userName, const std::string& password) {
    userName_ = userName;
    password_ = password;
}

std::string BackupDataEnvelope(const std::string& documentTrackingID, const std::string& dataSourceID,
                               const std::string& dataSourceDescription, long messageNo, long totalMessages) {
    std::vector<std::string> header = {"       <BackupDataHeader DocumentType=\"Request\">",
                                       Element("           ", "DataSourceDescription", dataSourceDescription),
                                       "       </BackupDataHeader>"};
    auto info = MessageInfo("BackupMessageInfo", messageNo, totalMessages);
    header.insert(header.end(), info.begin(), info.end());
    return Envelope("BackupData", dataSourceID, documentTrackingID, header);
}

std::string RestoreDataSourceListEnvelope(const std::string& documentTrackingID) {
    return Envelope("RestoreDataSourceList", "", documentTrackingID,
                    {"       <RestoreDataSourceList DocumentType=\"Request\"/>"});
}

std::string RestoreDataEnvelope(const std::string& restoreDataSourceGUID, const std::string& documentTrackingID,
                                long messageNo, long totalMessages) {
    std::vector<std::string> header = {"       <RestoreDataHeader DocumentType=\"Request\">",
                                       Element("           ", "RestoreDataSourceGUID", restoreDataSourceGUID),
                                       "       </RestoreDataHeader>"};
    auto info = MessageInfo("RestoreMessageInfo", messageNo, totalMessages);
    header.insert(header.end(), info.begin(), info.end());
    return Envelope("RestoreData", ProductID, documentTrackingID, header);
}

std::string SendBackupChunk(const std::string& documentTrackingID, const std::string& dataSourceID,
                            const std::string& dataSourceDescription, long messageNo, long totalMessages,
                            Bytes& chunk) {
    // A failure of our own must not read as a piece sent.
    return TrapOr("SendBackupChunk", kModule, Description, [&] {
        std::string envelope =
            BackupDataEnvelope(documentTrackingID, dataSourceID, dataSourceDescription, messageNo, totalMessages);
        modDIME::Bytes dime = modDIME::CreateDIME(envelope, chunk);
        return BackupChunkResult(Post("BackupData", "application/dime",
                                      QByteArray(reinterpret_cast<const char*>(dime.data()), qsizetype(dime.size()))));
    });
}

std::string BackupChunkResult(const Reply& reply) {
    if (reply.status >= 400) return HttpError(reply, "No data was transferred.");
    return StatusError(reply);
}

bool GetBackupList(std::string& list) {
    list.clear();
    const auto failed = [&](const RuntimeError& error) {
        list = error.description;
        return false;
    };
    return TrapOr("GetBackupList", kModule, failed, [&] {
        return BackupListResult(Post("RestoreDataSourceList", "text/xml; charset=utf-8",
                                     Utf8(RestoreDataSourceListEnvelope(modCommon::CreateGUIDString()))),
                                list);
    });
}

bool BackupListResult(const Reply& reply, std::string& list) {
    list.clear();
    if (reply.status >= 400) {
        list = HttpError(reply, "No data was received.");
        return false;
    }
    pugi::xml_document doc;
    auto status = ResponseStatus(reply, doc);
    if (!status || *status != "OK") {
        list = status ? *status : NoStatusText;
        return false;
    }
    for (pugi::xml_node source : Select(doc, "DataSource")) {
        auto field = [&](const char* name, const std::string& replacement) {
            auto found = Select(source, name);
            return found.empty() ? replacement : NodeText(found.front());
        };
        list += field("DataSourceDescription", "") + CRLF + field("LastBackupDate", "") + CRLF +
                field("FileSize", "0") + CRLF + field("DataSourceGUID", "") + '\f';
    }
    if (list.size() >= 2) {
        list.pop_back();
        return true;
    }
    list = "The RVBS has no backups of your data";
    return false;
}

std::string GetRestoreChunk(const std::string& restoreDataSourceGUID, const std::string& documentTrackingID,
                            long messageNo, long totalMessages, Bytes& chunk) {
    return TrapOr("GetRestoreChunk", kModule, Description, [&]() -> std::string {
        return RestoreChunkResult(
            Post("RestoreData", "text/xml; charset=utf-8",
                 Utf8(RestoreDataEnvelope(restoreDataSourceGUID, documentTrackingID, messageNo, totalMessages))),
            chunk);
    });
}

std::string RestoreChunkResult(const Reply& reply, Bytes& chunk) {
    if (reply.status >= 400) return HttpError(reply, "No data was transferred.");
    if (QString::fromStdString(reply.contentType).contains("dime", Qt::CaseInsensitive)) {
        modDIME::Bytes message(reply.body.begin(), reply.body.end());
        if (!modDIME::ReadDIME(message, chunk)) return "Corrupted data received from the RVBS";
        return "";
    }
    // Without a DIME body there is no data, whatever the status says.
    pugi::xml_document doc;
    auto status = ResponseStatus(reply, doc);
    return status ? *status : NoStatusText;
}

}  // namespace modRVBS
