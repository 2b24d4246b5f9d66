#include "register/Treatments.h"

#include <QString>

#include "platform/Connection.h"
#include "platform/RuntimeError.h"
#include "register/GridAnimals.h"

namespace {

// The treatment's texts keep to the sizes of their columns, as they always have; the sizes count
// characters as the keeper's entry boxes do.
void CheckLength(const std::string& text, int longest, const std::string& what) {
    if (QString::fromStdString(text).size() > longest)
        throw RuntimeError(ErrorNumber::InvalidCall,
                           "The " + what + " is longer than " + std::to_string(longest) + " characters.");
}

std::vector<std::string> Column(Connection& db, const char* sql) {
    std::vector<std::string> values;
    for (Recordset rs = db.Query(sql); !rs.Eof(); rs.MoveNext()) values.push_back(rs.Field(0).ToStringOr(""));
    return values;
}

}  // namespace

Treatments::Recorded Treatments::RecordedValues(Connection& db) {
    return {Column(db, "SELECT MedicineName FROM Treatments"), Column(db, "SELECT Unit FROM Treatments"),
            Column(db, "SELECT TreatedBy FROM Treatments"), Column(db, "SELECT Reason FROM Treatments")};
}

Treatments::Given Treatments::Record(Connection& db, const Treatment& treatment, const std::vector<long>& animals) {
    CheckLength(treatment.medicine, 255, "medicine name");
    CheckLength(treatment.unit, 50, "unit");
    CheckLength(treatment.treatedBy, 255, "name of the person doing the treatment");
    CheckLength(treatment.reason, 255, "reason");
    Connection::Transaction transaction(db);
    const std::unordered_set<long long> gone = AnimalsGone(db, animals);
    Given given{0, static_cast<long>(gone.size())};
    if (gone.size() == animals.size()) return given;  // a treatment no animal received
    Connection::Prepared(
        db, "INSERT INTO Treatments (EventDate, MedicineName, Amount, Unit, TreatedBy, Reason) VALUES (?,?,?,?,?,?)")
        .Run({Value(treatment.date.ToText()), Value(treatment.medicine), Value(treatment.amount), Value(treatment.unit),
              Value(treatment.treatedBy), Value(treatment.reason)});
    given.treatment = db.LastInsertId();
    Connection::Prepared link(db, "INSERT INTO TreatmentLink (TreatmentID, AnimalID) VALUES (?,?)");
    for (long animal : animals)
        if (!gone.count(animal)) link.Run({Value(given.treatment), Value(animal)});
    transaction.Commit();
    return given;
}

void Treatments::DeleteLinks(Connection& db, const std::vector<long>& links) {
    Connection::Transaction transaction(db);
    Connection::Prepared remove(db, "DELETE FROM TreatmentLink WHERE TreatmentLinkID=?");
    for (long link : links)
        if (link > 0) remove.Run({Value(link)});
    Connection::Prepared(db,
                         "DELETE FROM Treatments WHERE TreatmentID IN (SELECT Treatments.TreatmentID FROM Treatments "
                         "LEFT JOIN TreatmentLink ON Treatments.TreatmentID=TreatmentLink.TreatmentID WHERE "
                         "TreatmentLinkID Is Null)")
        .Run({});
    transaction.Commit();
}
