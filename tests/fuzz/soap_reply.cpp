// An answer of the online service to each operation (the first byte choosing its status and
// content type, the rest its body): read as an error text, the backups' list or a piece of data.
#include "backup/modRVBS.h"
#include "fuzz/Fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const int statuses[] = {200, 500, 404, 12029};
    const modRVBS::Reply reply{statuses[data[0] % 4], "Internal Server Error",
                               data[0] & 4 ? "application/dime" : "text/xml; charset=utf-8",
                               Fuzz::Text(data + 1, size - 1)};
    std::string list;
    modRVBS::Bytes chunk;
    modRVBS::BackupChunkResult(reply);
    modRVBS::BackupListResult(reply, list);
    modRVBS::RestoreChunkResult(reply, chunk);
    return 0;
}
