#include "backup/modDIME.h"

#include "core/modCommon.h"

namespace modDIME {
namespace {

constexpr unsigned char FirstRecord = 0x0C;  // version 1, message begin
constexpr unsigned char LastRecord = 0x0A;   // version 1, message end
constexpr unsigned char TypeAbsoluteURI = 0x20;
constexpr unsigned char TypeMediaType = 0x10;
constexpr std::size_t HeaderSize = 12;
const std::string SoapEnvelopeURI = "http://schemas.xmlsoap.org/soap/envelope/";

std::size_t Padded(std::size_t length) { return (length + 3) / 4 * 4; }

void Put16(Bytes& out, std::size_t value) {
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}

void Put32(Bytes& out, std::size_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutPadded(Bytes& out, const unsigned char* data, std::size_t length) {
    out.insert(out.end(), data, data + length);
    out.resize(out.size() + Padded(length) - length, 0);
}

void PutRecord(Bytes& out, unsigned char flags, unsigned char typeFormat, const std::string& id,
               const std::string& type, const unsigned char* data, std::size_t length) {
    out.push_back(flags);
    out.push_back(typeFormat);
    Put16(out, 0);  // no options
    Put16(out, id.size());
    Put16(out, type.size());
    Put32(out, length);
    PutPadded(out, reinterpret_cast<const unsigned char*>(id.data()), id.size());
    PutPadded(out, reinterpret_cast<const unsigned char*>(type.data()), type.size());
    PutPadded(out, data, length);
}

std::size_t Get16(const Bytes& in, std::size_t at) { return std::size_t(in[at]) << 8 | in[at + 1]; }

std::size_t Get32(const Bytes& in, std::size_t at) {
    return std::size_t(in[at]) << 24 | std::size_t(in[at + 1]) << 16 | std::size_t(in[at + 2]) << 8 | in[at + 3];
}

// The header of the record at `at`; false when it does not fit in the message.
struct RecordHeader {
    unsigned char flags;
    std::size_t options, id, type, data;
};

bool ReadHeader(const Bytes& in, std::size_t at, RecordHeader& header) {
    if (at > in.size() || in.size() - at < HeaderSize) return false;
    header = {in[at], Get16(in, at + 2), Get16(in, at + 4), Get16(in, at + 6), Get32(in, at + 8)};
    return true;
}

}  // namespace

void PadTo4(Bytes& bytes) { bytes.resize(Padded(bytes.size()), 0); }

Bytes CreateDIME(const std::string& envelopeText, Bytes& data, const std::string& envelopeID,
                 const std::string& dataID) {
    std::size_t dataLength = data.size();
    PadTo4(data);
    Bytes out;
    out.reserve(envelopeText.size() + data.size() + 256);
    PutRecord(out, FirstRecord, TypeAbsoluteURI, envelopeID, SoapEnvelopeURI,
              reinterpret_cast<const unsigned char*>(envelopeText.data()), envelopeText.size());
    PutRecord(out, LastRecord, TypeMediaType, dataID, "application/unknown", data.data(), dataLength);
    return out;
}

Bytes CreateDIME(const std::string& envelopeText, Bytes& data) {
    return CreateDIME(envelopeText, data, "uuid:" + modCommon::CreateGUIDString(),
                      "uuid:" + modCommon::CreateGUIDString());
}

bool ReadDIME(const Bytes& message, Bytes& data) {
    RecordHeader first, second;
    if (!ReadHeader(message, 0, first) || first.flags != FirstRecord) return false;
    std::size_t at = HeaderSize + Padded(first.options) + Padded(first.id) + Padded(first.type) + Padded(first.data);
    if (!ReadHeader(message, at, second) || second.flags != LastRecord) return false;
    at += HeaderSize + Padded(second.options) + Padded(second.id) + Padded(second.type);
    if (at > message.size() || message.size() - at < second.data) return false;
    data.assign(message.begin() + at, message.begin() + at + second.data);
    return true;
}

}  // namespace modDIME
