#include "register/AnimalNotes.h"

#include "platform/Connection.h"

// Should an animal have more than one row, the first recorded is its note, read and written.
std::optional<std::string> AnimalNotes::Note(Connection& db, long animal) {
    Recordset rs = db.Query("SELECT Note FROM Notes WHERE AnimalID=? ORDER BY RecordID LIMIT 1", {Value(animal)});
    if (rs.Eof()) return std::nullopt;
    return rs.Field("Note").ToString();
}

void AnimalNotes::Save(Connection& db, long animal, const std::string& rtf) {
    Connection::Transaction transaction(db);
    if (db.Query("SELECT AnimalID FROM Animals WHERE AnimalID=?", {Value(animal)}).Eof()) return;
    if (rtf.empty()) {
        Connection::Prepared(db, "DELETE FROM Notes WHERE AnimalID=?").Run({Value(animal)});
    } else if (Connection::Prepared(db,
                                    "UPDATE Notes SET Note=? WHERE RecordID="
                                    "(SELECT RecordID FROM Notes WHERE AnimalID=? ORDER BY RecordID LIMIT 1)")
                   .Run({Value(rtf), Value(animal)}) == 0) {
        Connection::Prepared(db, "INSERT INTO Notes (AnimalID, Note) VALUES (?,?)").Run({Value(animal), Value(rtf)});
    }
    transaction.Commit();
}
