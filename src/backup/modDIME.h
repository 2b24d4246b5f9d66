#pragma once
#include <string>
#include <vector>

// The two-record DIME messages of the online service: the SOAP envelope followed by one
// piece of data.
namespace modDIME {

using Bytes = std::vector<unsigned char>;

// Appends zero bytes until the count is a multiple of 4.
void PadTo4(Bytes& bytes);

// The envelope as record 1 and the data as record 2, each with a new "uuid:" identifier.
// The data is padded in place.
Bytes CreateDIME(const std::string& envelopeText, Bytes& data);
// The same with the records' identifiers given.
Bytes CreateDIME(const std::string& envelopeText, Bytes& data, const std::string& envelopeID,
                 const std::string& dataID);

// Reads the data of record 2 of a two-record message. False when the message is not
// exactly that (record flags, version) or a length runs past its end.
bool ReadDIME(const Bytes& message, Bytes& data);

}  // namespace modDIME
