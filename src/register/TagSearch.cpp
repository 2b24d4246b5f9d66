#include "register/TagSearch.h"

#include "core/modCommon.h"
#include "core/modEID.h"
#include "platform/Connection.h"

namespace {

// The search text as a pattern of LIKE ... ESCAPE '\' that matches it literally.
std::string LiteralPattern(const std::string& text) {
    std::string pattern;
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern;
}

// The owners of the typed EID, the likeliest first. A decimal EID is the number printed on the
// tag: its country and national number, the last 12 of the stored form's 16 hexadecimal digits;
// the stored form's first four carry the tag's flags (user information, retag counter), which
// the printed number does not show, so any flags match, an EID without them first.
Recordset EIDOwners(Connection& db, const std::string& search) {
    if (search.rfind('0', 0) != 0) return db.Query("SELECT AnimalID FROM EIDs WHERE EIDNumber=?", {Value(search)});
    const std::string eid = modEID::DecimalEIDToHexEID(search, 0, 0);
    if (eid.size() != 16) return db.Query("SELECT AnimalID FROM EIDs WHERE EIDNumber=''");
    return db.Query("SELECT AnimalID FROM EIDs WHERE substr(EIDNumber,5)=? ORDER BY EIDNumber<>?, EIDID",
                    {Value(eid.substr(4)), Value(eid)});
}

}  // namespace

TagSearch::Found TagSearch::Find(Connection& db, const std::string& search) {
    // "+Species": a holding keeps one species, so its index would have every animal read.
    const std::string found = "SELECT Animals.AnimalID, Animals.TagNumber FROM Animals WHERE +Species=? AND ";
    const Value species(modCommon::Species);
    Found result;
    Recordset rows = db.Query(found + "TagNumber LIKE ? ESCAPE '\\'", {species, Value("% " + LiteralPattern(search))});
    if (rows.Eof()) rows = db.Query(found + "TagNumber = ?", {species, Value(search)});
    if (rows.Eof()) {
        Recordset owner = EIDOwners(db, search);
        if (!owner.Eof()) {
            rows = db.Query(found + "AnimalID = ?", {species, owner.Field("AnimalID")});
            result.byEID = !rows.Eof();
        }
    }
    for (; !rows.Eof(); rows.MoveNext()) result.animals.push_back(static_cast<long>(rows.Field("AnimalID").ToLong()));
    return result;
}
