// A DIME message from the network: its data piece is read or the message refused; and any
// envelope and piece framed read back as they were.
#include "backup/modDIME.h"
#include "fuzz/Fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    modDIME::Bytes message(data, data + size), piece(message), read;
    modDIME::ReadDIME(message, read);
    const modDIME::Bytes framed = modDIME::CreateDIME(Fuzz::Text(data, size), piece, "uuid:1", "uuid:2");
    Fuzz::Check(modDIME::ReadDIME(framed, read) && read == message, "a framed piece reads back");
    return 0;
}
