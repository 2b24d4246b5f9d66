// The payload of a stick's "r" reply (its first byte choosing the EID display format): the tags
// the stick tool shows, and the import into the register, rolled back after.
#include "devices/StickReadImport.h"
#include "fuzz/Fuzz.h"
#include "platform/Connection.h"
#include "sticktool/StickTagTable.h"

const Fuzz::Prepare prepared([] { Fuzz::Database(); });

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const long format = data[0] % 8;
    const std::string payload = Fuzz::Text(data + 1, size - 1);
    Recordset table = StickTagTable::Create();
    StickTagTable::AddRecords(table, payload, format, nullptr);
    StickTagTable::Sort(table, format % 2);
    Connection& db = Fuzz::Database();
    db.Begin();
    Fuzz::Refusable([&] {
        StickReadImport(db, format, "20250101120000 Stick Group ", 1 + data[0] / 128)
            .Import(StickReadImport::ParseRecords(payload).reads);
    });
    db.Rollback();
    return 0;
}
