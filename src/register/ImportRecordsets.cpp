#include "register/ImportRecordsets.h"

#include <algorithm>

#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "core/modEID.h"

namespace {

constexpr long kHolding = 3;

// Tags, names and EIDs are compared without case, as their columns compare them.
std::string Fold(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

ImportRecordsets::ImportRecordsets(Connection& connection)
    : db_(connection), species_(std::to_string(modCommon::Species)) {}

ImportRecordsets::~ImportRecordsets() = default;

long ImportRecordsets::NameID(bool gender, const std::string& name) {
    auto& names = gender ? genders_ : breeds_;
    const std::string table = gender ? "Genders" : "Breeds", item = gender ? "Gender" : "Breed";
    if (!names)
        names = Keys("SELECT " + item + "ID," + item + "Name,Species FROM " + table + " WHERE Species=" + species_);
    if (auto found = names->find(Fold(name)); found != names->end()) return found->second;
    Connection::Prepared(db_, "INSERT INTO " + table + " (" + item + "Name,Species) VALUES (?,?)")
        .Run({Value(name), Value(modCommon::Species)});
    (gender ? gendersAdded : breedsAdded) = true;
    return names->emplace(Fold(name), static_cast<long>(db_.LastInsertId())).first->second;
}

// Looked up by the tag's index, one tag at a time: reading every tag of a large register would cost
// more than a file of a few thousand lines. Of two animals of the tag, the first in the tag order.
std::optional<long> ImportRecordsets::FindAnimal(const std::string& tag) {
    Statement(findAnimal_,
              "SELECT AnimalID FROM Animals WHERE TagNumber=? AND +Species=? ORDER BY TagSort, AnimalID LIMIT 1");
    Recordset found = findAnimal_->Query({Value(tag), Value(modCommon::Species)});
    return found.Eof() ? std::nullopt : std::optional<long>(static_cast<long>(found.Field(0).ToLong()));
}

// The tag changes are read once, with their tags in the shape the import gives a tag.
bool ImportRecordsets::WornBefore(const std::string& tag) {
    if (!oldTags_) {
        oldTags_.emplace();
        for (Recordset rs = db_.Query("SELECT OldTag, TagNumber FROM TagChanges INNER JOIN Animals ON "
                                      "TagChanges.AnimalID=Animals.AnimalID WHERE Species=" +
                                      species_ + " ORDER BY TagChangeID");
             !rs.Eof(); rs.MoveNext()) {
            const auto [prefix, number] = modCommon::SplitTag(rs.Field(0).ToStringOr(""));
            oldTags_->emplace(Fold(prefix + (number.empty() ? "" : " " + number)), rs.Field(1).ToStringOr(""));
        }
    }
    const auto worn = oldTags_->find(Fold(tag));
    if (worn == oldTags_->end()) return false;
    wornBy = worn->second;
    Note("the tag " + tag + " was worn before by the animal now tagged " + worn->second +
         ", so no new animal was made for it.");
    return true;
}

long ImportRecordsets::AddAnimal(long type, const std::string& tag, const Value& born, const Value& gender,
                                 const Value& breed, long dam, long sire) {
    Statement(insert_,
              "INSERT INTO Animals (AnimalType,TagNumber,TagSort,DateOfBirth,GenderID,BreedID,DamID,SireID,Species)"
              " VALUES (?,?,?,?,?,?,?,?,?)")
        .Run({type, tag, modCommon::GetTagSortFromTag(tag), born, gender, breed, std::max(dam, 0L), std::max(sire, 0L),
              modCommon::Species});
    return static_cast<long>(db_.LastInsertId());
}

void ImportRecordsets::UpdateAnimal(long id, const std::string& tag, const Value& born, const Value& gender,
                                    const Value& breed, long dam, long sire) {
    Statement(update_,
              "UPDATE Animals SET TagNumber=?,TagSort=?,DateOfBirth=ifnull(?,DateOfBirth),"
              "GenderID=ifnull(?,GenderID),BreedID=ifnull(?,BreedID),DamID=ifnull(?,DamID),"
              "SireID=ifnull(?,SireID),Species=? WHERE AnimalID=?")
        .Run({tag, modCommon::GetTagSortFromTag(tag), born, gender, breed, dam < 0 ? Value() : Value(dam),
              sire < 0 ? Value() : Value(sire), modCommon::Species, id});
}

void ImportRecordsets::JoinGroup(long group, long animal) {
    Statement(groupLink_, "INSERT INTO GroupLink (GroupID,AnimalID) VALUES (?,?)").Run({group, animal});
}

// Group 1 was emptied when the import began, so what this import put there is all it holds.
void ImportRecordsets::JoinLastImport(long animal, const std::string& tag) {
    auto [joined, first] = lastImport_.emplace(animal, line);
    if (first) JoinGroup(kLastImport, animal);
    else if (line != joined->second)
        Note("the tag " + tag + " is also on line " + std::to_string(joined->second) +
             ", so this line updated that animal.");
}

void ImportRecordsets::PlaceOnHolding(long animal, const DateTime& date) {
    Statement(locationLink_,
              "INSERT INTO LocationLink (LocationID,AnimalID,EventDate,Details) VALUES (?,?,?,'Imported from file')")
        .Run({kHolding, animal, date.ToText()});
}

void ImportRecordsets::AddEID(long animal, const std::string& eid) {
    if (!Statement(findEID_, "SELECT 1 FROM EIDs WHERE EIDNumber=? LIMIT 1").Query({Value(eid)}).Eof()) return;
    Statement(eid_, "INSERT INTO EIDs (AnimalID,EIDNumber) VALUES (?,?)").Run({animal, eid});
}

std::optional<DateTime> ImportRecordsets::Date(const std::string& text) {
    if (text.empty()) return std::nullopt;
    auto [known, first] = dates_.emplace(text, std::nullopt);
    if (first) known->second = DateTime::FromUserText(text);
    if (!known->second) Note("the date \"" + text + "\" is not a date and was left out.");
    return known->second;
}

std::string ImportRecordsets::EID(const std::string& text) {
    std::string digits;
    for (char c : Fold(text))
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) digits += c;
    std::string eid;
    if (digits.size() == 15 || (digits.size() == 16 && digits[0] == '0'))
        eid = modEID::DecimalEIDToHexEID(digits, 0, 0);
    else if (digits.size() == 16) eid = digits;
    if (eid.empty()) Note("the EID \"" + text + "\" is neither a decimal nor a hexadecimal EID and was left out.");
    return eid;
}

void ImportRecordsets::Note(const std::string& what) {
    if (line > 0) notes.push_back("Line " + std::to_string(line) + ": " + what);
}

// The first key (column 0) of every name (column 1), without case.
ImportRecordsets::KeyMap ImportRecordsets::Keys(const std::string& sql) {
    KeyMap keys;
    for (Recordset rs = db_.Query(sql); !rs.Eof(); rs.MoveNext())
        keys.emplace(Fold(rs.Field(1).ToStringOr("")), static_cast<long>(rs.Field(0).ToLong()));
    return keys;
}

Connection::Prepared& ImportRecordsets::Statement(std::unique_ptr<Connection::Prepared>& statement, const char* sql) {
    if (!statement) statement = std::make_unique<Connection::Prepared>(db_, sql);
    return *statement;
}
