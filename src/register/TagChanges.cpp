#include "register/TagChanges.h"

#include <optional>

#include "core/modCommonTags.h"
#include "platform/Connection.h"

namespace TagChanges {

bool IsValidTag(const std::string& tag, bool herdFlockRequired) {
    for (char c : tag)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ')) return false;
    return !herdFlockRequired || tag.find(' ') != std::string::npos;
}

bool IsOwned(Connection& db, long animal) {
    Recordset rs = db.Query("SELECT AnimalType FROM Animals WHERE AnimalID=?", {animal});
    return !rs.Eof() && !rs.Field(0).IsNull() && rs.Field(0).ToLong() == 1;
}

// Every check that decides what is written runs in the write's own transaction: another copy
// of the program may give the tag to another animal, or remove the animal, in between.
Outcome Record(Connection& db, long animal, const std::string& newTag, const DateTime& date, int species) {
    Connection::Transaction transaction(db);
    Recordset current = db.Query("SELECT TagNumber FROM Animals WHERE AnimalID=?", {animal});
    if (current.Eof()) return Outcome::AnimalGone;
    if (!db.Query("SELECT AnimalID FROM Animals WHERE TagNumber=? AND +Species=?", {newTag, species}).Eof())
        return Outcome::TagInUse;
    Recordset last = db.Query("SELECT EventDate FROM TagChanges WHERE AnimalID=? ORDER BY EventDate DESC", {animal});
    bool latest = true;
    if (!last.Eof()) {
        const std::optional<DateTime> lastDate = DateTime::FromText(last.Field(0).ToStringOr(""));
        latest = !lastDate || *lastDate <= date;
    }
    const std::string oldTag = latest ? current.Field(0).ToStringOr("") : newTag;
    db.Execute("INSERT INTO TagChanges (AnimalID, OldTag, EventDate) VALUES (?,?,?)", {animal, oldTag, date.ToText()});
    if (latest)
        db.Execute("UPDATE Animals SET TagNumber=?, TagSort=? WHERE AnimalID=?",
                   {newTag, modCommon::GetTagSortFromTag(newTag, species), animal});
    transaction.Commit();
    return latest ? Outcome::Latest : Outcome::Recorded;
}

void Delete(Connection& db, const std::vector<long long>& tagChangeIDs) {
    Connection::Transaction transaction(db);
    Connection::Prepared remove(db, "DELETE FROM TagChanges WHERE TagChangeID=?");
    for (long long id : tagChangeIDs)
        if (id > 0) remove.Run({id});
    transaction.Commit();
}

}  // namespace TagChanges
