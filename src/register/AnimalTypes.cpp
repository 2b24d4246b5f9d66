#include "register/AnimalTypes.h"

#include "core/modCommonTags.h"
#include "platform/Connection.h"

namespace AnimalTypes {

namespace {

void BackToTag(Connection& db, long long animal, int species) {
    db.Execute(
        "UPDATE Animals SET AnimalType=0, DateOfBirth=Null, TaggingDate=Null, GenderID=0, BreedID=0 "
        "WHERE AnimalID=?",
        {animal});
    db.Execute("DELETE FROM GroupLink WHERE AnimalID=?", {animal});
    db.Execute("DELETE FROM LocationLink WHERE AnimalID=?", {animal});
    Recordset first =
        db.Query("SELECT OldTag FROM TagChanges WHERE AnimalID=? ORDER BY EventDate,TagChangeID", {animal});
    if (first.Eof()) return;
    const std::string tag = first.Field(0).ToStringOr("");
    db.Execute("UPDATE Animals SET TagNumber=?, TagSort=? WHERE AnimalID=?",
               {tag, modCommon::GetTagSortFromTag(tag, species), animal});
}

}  // namespace

void ChangeTypes(Connection& db, Change change, const GridAnimals& animals, int species) {
    Connection::Transaction transaction(db);
    for (const GridAnimal& animal : animals) {
        if (animal.type != change.from) continue;
        if (change.to == 0) BackToTag(db, animal.id, species);
        else db.Execute("UPDATE Animals SET AnimalType=? WHERE AnimalID=?", {change.to, animal.id});
    }
    transaction.Commit();
}

}  // namespace AnimalTypes
