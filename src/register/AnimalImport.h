#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "register/AnimalImportFile.h"
#include "register/ImportRecordsets.h"

class Connection;

// Animals added to the register, or corrected, from their tags and details: the lines of an
// animal import file, each with its dam and sire if wanted, and a parent given by its tag alone.
class AnimalImport {
public:
    // What an animal is to the import: the animal of a line, a dam or a sire.
    enum Kind : long { kAnimal = 0, kDam = 1, kSire = 2 };

    // `damType` and `sireType`: the AnimalType given to the dams and sires that are not yet
    // recorded, 1 owned, 2 reference.
    AnimalImport(Connection& db, long damType, long sireType);

    // What an import file did, for the keeper.
    struct Result {
        bool gendersAdded = false, breedsAdded = false;
        std::vector<std::string> notes;  // the lines to check, each once
    };
    // The whole file as one transaction: a failure part-way raises with the line it failed on,
    // and leaves the register as it was. The groups of the last import and of the animals it
    // created hold this import's alone. `progress` hears the share done, in percent, after each
    // line.
    static Result ImportFile(Connection& db, const AnimalImportFile::Contents& file, long damType, long sireType,
                             const std::function<void(int)>& progress);

    // A parent given by its tag alone, within the caller's transaction: the animal of the
    // working species with that tag, else a new reference animal. Its AnimalID, 0 when none;
    // `wornBy` then gives the tag now of an animal that wore that tag before, if one did.
    static long AddParent(Connection& db, const std::string& tag, bool sire, std::string* wornBy = nullptr);

    // Adds or updates one animal from its tag, date of birth, gender, breed and EID (rewritten
    // in place). A negative parent leaves that link as recorded. The animal's AnimalID, 0 when
    // the tag names none.
    long AddOneAnimal(std::array<std::string, 5>& astrAnimalData, long lngDamID, long lngSireID, long lngAnimalKind);

private:
    ImportRecordsets recordsets_;
    const long damType_, sireType_;

    // The line's animal after its dam and sire.
    void ImportLine(const AnimalImportFile::Fields& fields);
};
