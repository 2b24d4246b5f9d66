#include "register/LaterRecords.h"

#include "platform/Connection.h"
#include "register/Movements.h"

namespace LaterRecords {

Counts Deleted(Connection& db, long locationType, const GridAnimals& animals, const DateTime& date) {
    const std::string type = Movements::MovementType(locationType, true);
    if (type != "Dead" && type != "Out") return {};
    std::vector<long long> moved;
    for (const GridAnimal& animal : animals)
        if (Movements::Moves(locationType, animal)) moved.push_back(animal.id);
    if (moved.empty()) return {};
    db.SetKeyTable("LaterAnimals", "AnimalID", moved);
    const std::string animalsIn = "AnimalID IN (SELECT AnimalID FROM temp.LaterAnimals)", after = date.ToText();
    Recordset rs = db.Query("SELECT (SELECT Count(*) FROM LocationLink WHERE " + animalsIn +
                                " AND EventDate>?), (SELECT Count(*) FROM TreatmentLink INNER JOIN Treatments ON "
                                "TreatmentLink.TreatmentID=Treatments.TreatmentID WHERE TreatmentLink." +
                                animalsIn + " AND Treatments.EventDate>?), (SELECT Count(*) FROM TagChanges WHERE " +
                                animalsIn + " AND EventDate>?)",
                            {after, after, after});
    return {static_cast<long>(rs.Field(0).ToLong()), static_cast<long>(rs.Field(1).ToLong()),
            static_cast<long>(rs.Field(2).ToLong())};
}

bool More(const Counts& now, const Counts& told) {
    return now.movements > told.movements || now.treatments > told.treatments || now.tagChanges > told.tagChanges;
}

}  // namespace LaterRecords
