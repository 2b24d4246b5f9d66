#include "register/PedigreeLinks.h"

#include "platform/Connection.h"
#include "register/AnimalImport.h"

namespace {

const char* ParentColumn(bool sire) { return sire ? "SireID" : "DamID"; }

}  // namespace

void PedigreeLinks::ClearParent(Connection& db, long animal, bool sire) {
    Connection::Transaction transaction(db);
    Connection::Prepared(db, std::string("UPDATE Animals SET ") + ParentColumn(sire) + "=0 WHERE AnimalID=?")
        .Run({Value(animal)});
    transaction.Commit();
}

PedigreeLinks::Added PedigreeLinks::AddParent(Connection& db, long animal, const std::string& tag, bool sire) {
    Connection::Transaction transaction(db);
    Added added;
    // Looked for in the write's own transaction: another copy of the program may have removed it.
    added.animalGone = db.Query("SELECT 1 FROM Animals WHERE AnimalID=?", {animal}).Eof();
    if (added.animalGone) return added;
    const long parent = AnimalImport::AddParent(db, tag, sire);
    added.ownTag = parent == animal;
    if (added.ownTag) return added;  // what finding it wrote goes back with the transaction
    if (parent > 0) {
        Connection::Prepared(db, "UPDATE Animals SET AnimalType=1 WHERE AnimalType=0 AND AnimalID=?")
            .Run({Value(parent)});
        Connection::Prepared(db, std::string("UPDATE Animals SET ") + ParentColumn(sire) + "=? WHERE AnimalID=?")
            .Run({Value(parent), Value(animal)});
    }
    transaction.Commit();
    added.parent = parent;
    return added;
}
