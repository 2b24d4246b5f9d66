#include "register/DateChanges.h"

#include <string>
#include <unordered_map>

#include "platform/Connection.h"

namespace DateChanges {

void SetDates(Connection& db, bool dateOfBirth, const DateTime& date, const GridAnimals& animals,
              const ActionStep& step) {
    Connection::Transaction transaction(db);
    Connection::Prepared setDate(
        db, std::string("UPDATE Animals SET ") + (dateOfBirth ? "DateOfBirth" : "TaggingDate") + "=? WHERE AnimalID=?");
    Connection::Prepared moveBirth(db, "UPDATE LocationLink SET EventDate=? WHERE AnimalId=? AND EventDate=?");
    const Value newDate(date.ToText());
    for (const GridAnimal& animal : animals) {
        if (animal.type != 0) {
            setDate.Run({newDate, animal.id});
            if (dateOfBirth && !animal.dateOfBirth.IsNull()) moveBirth.Run({newDate, animal.id, animal.dateOfBirth});
        }
        if (step) step();
    }
    transaction.Commit();
}

std::vector<std::size_t> MovedBeforeBirth(Connection& db, const GridAnimals& animals) {
    std::unordered_map<long long, std::string> earliest;
    Recordset first = db.Query("SELECT AnimalID, MIN(EventDate) FROM LocationLink GROUP BY AnimalID");
    for (; !first.Eof(); first.MoveNext())
        if (!first.Field(1).IsNull()) earliest.emplace(first.Field(0).ToLong(), first.Field(1).ToString());
    std::vector<std::size_t> moved;
    for (std::size_t i = 0; i < animals.size(); ++i) {
        const GridAnimal& animal = animals[i];
        if (animal.dateOfBirth.IsNull()) continue;
        const auto found = earliest.find(animal.id);
        if (found != earliest.end() && found->second < animal.dateOfBirth.ToString()) moved.push_back(i);
    }
    return moved;
}

}  // namespace DateChanges
