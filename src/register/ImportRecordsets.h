#pragma once
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Connection.h"
#include "platform/DateTime.h"
#include "platform/Value.h"

// What AnimalImport::AddOneAnimal finds and adds animals through: the working species'
// genders, breeds and animals and every EID, each read once when first needed and kept up to
// date with what is added, so that a later line of an import finds what an earlier one added;
// and the statements that write, each prepared once. Every call raises on a failing statement,
// so the caller's transaction decides what stays.
class ImportRecordsets {
public:
    // Group 1 holds the animals of the latest import.
    static constexpr long kLastImport = 1;

    explicit ImportRecordsets(Connection& connection);
    ~ImportRecordsets();

    // The file's line being imported (0 for none), and what the keeper is told about the lines.
    long line = 0;
    std::vector<std::string> notes;
    // Adds what the keeper is to check on the line being imported (nothing outside a file).
    void Note(const std::string& what);
    bool gendersAdded = false, breedsAdded = false;

    // The key of the gender (or breed) of that name, added to the species when it has none.
    long NameID(bool gender, const std::string& name);
    std::optional<long> FindAnimal(const std::string& tag);
    // Whether an animal of the working species wore the tag before (its tag changes); the line
    // is then noted with that animal's tag now, which `wornBy` keeps.
    bool WornBefore(const std::string& tag);
    std::string wornBy;
    long AddAnimal(long type, const std::string& tag, const Value& born, const Value& gender, const Value& breed,
                   long dam, long sire);
    // Items given as null, and parents given as negative, keep their recorded values.
    void UpdateAnimal(long id, const std::string& tag, const Value& born, const Value& gender, const Value& breed,
                      long dam, long sire);
    void JoinGroup(long group, long animal);
    // Group 1, once; an animal that joins again is a tag given on two lines, which is noted.
    void JoinLastImport(long animal, const std::string& tag);
    void PlaceOnHolding(long animal, const DateTime& date);
    // Adds the EID for the animal unless some animal has it already.
    void AddEID(long animal, const std::string& eid);

    // The date the text gives; a text given that is no date is noted.
    std::optional<DateTime> Date(const std::string& text);
    // The stored form of an EID given as 15 or 16 decimal digits or as 16 hexadecimal ones, with
    // blanks or other marks between them; "" (noted) for anything else.
    std::string EID(const std::string& text);

private:
    using KeyMap = std::unordered_map<std::string, long>;
    Connection& db_;
    const std::string species_;
    std::optional<KeyMap> genders_, breeds_;
    std::optional<std::unordered_map<std::string, std::string>> oldTags_;  // old tag -> the tag now
    std::unordered_map<long, long> lastImport_;                            // animal -> the line that put it in group 1
    std::unordered_map<std::string, std::optional<DateTime>> dates_;
    std::unique_ptr<Connection::Prepared> insert_, update_, groupLink_, locationLink_, eid_, findAnimal_, findEID_;

    KeyMap Keys(const std::string& sql);
    Connection::Prepared& Statement(std::unique_ptr<Connection::Prepared>& statement, const char* sql);
};
