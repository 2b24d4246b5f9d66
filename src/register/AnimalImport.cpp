#include "register/AnimalImport.h"

#include <optional>

#include "core/modCommonTags.h"
#include "platform/Connection.h"
#include "platform/RuntimeError.h"

namespace {

// The group of the animals of the last import and that of those it created.
constexpr long kLastImport = ImportRecordsets::kLastImport, kCreatedByImport = 2;

}  // namespace

AnimalImport::AnimalImport(Connection& db, long damType, long sireType)
    : recordsets_(db), damType_(damType), sireType_(sireType) {}

long AnimalImport::AddOneAnimal(std::array<std::string, 5>& astrAnimalData, long lngDamID, long lngSireID,
                                long lngAnimalKind) {
    if (astrAnimalData[0].empty()) return 0;
    const auto [prefix, number] = modCommon::SplitTag(astrAnimalData[0]);
    astrAnimalData[0] = prefix + (number.empty() ? "" : " " + number);
    if (astrAnimalData[0].empty()) return 0;  // blanks alone name no animal
    const std::string& tag = astrAnimalData[0];
    // A tag without its animal number is a batch animal, always a new one.
    const std::optional<long> found = number.empty() ? std::nullopt : recordsets_.FindAnimal(tag);
    // A tag that an animal wore before names that animal: it makes no new one.
    if (!found && !number.empty() && recordsets_.WornBefore(tag)) return 0;

    const std::optional<DateTime> born = recordsets_.Date(astrAnimalData[1]);
    astrAnimalData[1] = born ? born->ToText() : "";
    // A gender or breed given by name becomes its key, the name recorded when it is new.
    auto key = [&](std::string& name, bool gender) {
        if (name.empty()) return Value();
        const long id = recordsets_.NameID(gender, name);
        name = std::to_string(id);
        return Value(id);
    };
    const Value gender = key(astrAnimalData[2], true), breed = key(astrAnimalData[3], false);
    const std::string eid = astrAnimalData[4].empty() ? "" : recordsets_.EID(astrAnimalData[4]);

    const Value dateOfBirth = born ? Value(born->ToText()) : Value();
    long animal = 0;
    if (found) {
        animal = *found;
        recordsets_.UpdateAnimal(animal, tag, dateOfBirth, gender, breed, lngDamID, lngSireID);
    } else {
        const long type = lngAnimalKind == kDam ? damType_ : lngAnimalKind == kSire ? sireType_ : 1;
        animal = recordsets_.AddAnimal(type, tag, dateOfBirth, gender, breed, lngDamID, lngSireID);
        if (lngAnimalKind == kAnimal) recordsets_.JoinGroup(kCreatedByImport, animal);
        if (type == 1) recordsets_.PlaceOnHolding(animal, born ? *born : DateTime::Today());
    }
    if (!eid.empty()) recordsets_.AddEID(animal, eid);
    if (lngAnimalKind == kAnimal) recordsets_.JoinLastImport(animal, tag);
    return animal;
}

long AnimalImport::AddParent(Connection& db, const std::string& tag, bool sire) {
    AnimalImport import(db, 2, 2);
    std::array<std::string, 5> data{tag};
    return import.AddOneAnimal(data, -1, -1, sire ? kSire : kDam);
}

void AnimalImport::ImportLine(const AnimalImportFile::Fields& f) {
    auto item = [&](std::size_t first) {
        return std::array<std::string, 5>{f[first], f[first + 1], f[first + 2], f[first + 3], f[first + 4]};
    };
    // A parent that names no animal leaves the animal's link as it was.
    auto parent = [&](std::size_t first, long kind) {
        if (f[first].empty()) return -1L;
        auto data = item(first);
        const long id = AddOneAnimal(data, -1, -1, kind);
        return id > 0 ? id : -1L;
    };
    const long dam = parent(5, kDam), sire = parent(10, kSire);
    auto data = item(0);
    AddOneAnimal(data, dam, sire, kAnimal);
}

AnimalImport::Result AnimalImport::ImportFile(Connection& db, const AnimalImportFile::Contents& file, long damType,
                                              long sireType, const std::function<void(int)>& progress) {
    Connection::Transaction transaction(db);
    AnimalImport import(db, damType, sireType);
    ImportRecordsets& recordsets = import.recordsets_;
    Connection::Prepared emptyGroup(db, "DELETE FROM GroupLink WHERE GroupID=?");
    for (long group : {kLastImport, kCreatedByImport}) emptyGroup.Run({Value(group)});
    const std::vector<std::string>& lines = file.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        recordsets.line = static_cast<long>(i + 1);
        if (!lines[i].empty()) {
            try {
                import.ImportLine(file.fields[i]);
            } catch (const std::exception& error) {
                const RuntimeError failure = RuntimeError::From(error);
                throw RuntimeError(failure.number,
                                   "Line " + std::to_string(recordsets.line) + " of the file could not be imported (" +
                                       failure.description +
                                       "). Nothing has been imported: the records are as they were.",
                                   failure.kind);
            }
        }
        progress(static_cast<int>(100 * (i + 1) / lines.size()));
    }
    transaction.Commit();
    Result result{recordsets.gendersAdded, recordsets.breedsAdded, file.extra};
    result.notes.insert(result.notes.end(), recordsets.notes.begin(), recordsets.notes.end());
    return result;
}
