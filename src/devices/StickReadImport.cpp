#include "devices/StickReadImport.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "core/modCommonTags.h"
#include "core/modEID.h"
#include "devices/HandheldImport.h"
#include "devices/modHandheld.h"
#include "platform/Connection.h"
#include "platform/FileSystem.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

using HandheldImport::RunOne;

namespace {

constexpr size_t kEIDLength = 16;
constexpr size_t kEIDTail = 15;  // the first digit holds the animal flag and the retag counter
constexpr long kDecimalFormat = 2;
constexpr long kISODecimalFormat = 3;
constexpr long kLastImportGroup = 1;
constexpr long kNewAnimalsGroup = 2;

bool IsHexEID(const std::string& text) { return text.size() == kEIDLength && AllHexDigits(text); }

// The first four characters, a blank and the last twelve.
std::string SplitAfterFour(const std::string& text) {
    if (text.size() < kEIDLength) return text;
    return text.substr(0, 4) + " " + text.substr(text.size() - 12);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

}  // namespace

// The import's writes, each prepared once.
struct StickReadImport::Statements {
    explicit Statements(Connection& db)
        : convert(db, "UPDATE Animals SET AnimalType=1, Species=?, TaggingDate=? WHERE AnimalID=?"),
          addAnimal(db,
                    "INSERT INTO Animals (AnimalType, TagNumber, TagSort, Species, TaggingDate) VALUES (1,?,?,?,?)"),
          addEID(db, "INSERT INTO EIDs (AnimalID, EIDNumber) VALUES (?,?)"),
          link(db, "INSERT INTO GroupLink (GroupID,AnimalID) VALUES (?,?)"),
          addGroup(db, "INSERT INTO Groups (GroupName, ExportToHH) VALUES (?,0)"),
          emptyGroup(db, "DELETE FROM GroupLink WHERE GroupID=?") {}
    Connection::Prepared convert, addAnimal, addEID, link, addGroup, emptyGroup;
};

StickReadImport::Records StickReadImport::ParseRecords(const std::string& payload) {
    Records records;
    for (const std::string& record : modHandheld::SplitText(payload, modHandheld::ItemSeparator)) {
        if (record.find_first_not_of(modHandheld::FieldSeparator) == std::string::npos) continue;
        std::vector<std::string> fields = modHandheld::SplitText(record, modHandheld::FieldSeparator);
        if (!IsHexEID(fields[0])) {
            records.unread.push_back(record);
            continue;
        }
        fields.resize(std::max<std::size_t>(fields.size(), 3));
        // The register keeps EIDs in capitals, whatever case the stick sends them in.
        records.reads.push_back({UpperAscii(fields[0]), fields[1], fields[2]});
    }
    return records;
}

bool StickReadImport::KeepUnread(const std::string& path, const std::vector<std::string>& records,
                                 const std::string& stick, const DateTime& at) {
    std::string lines;
    for (const std::string& record : records) lines += at.ToText() + "\t" + stick + "\t" + record + "\r\n";
    return FileSystem::Append(path, lines);
}

std::string StickReadImport::TagText(const std::string& hexEID, long displayFormat) {
    const EIDRecord forms = modEID::HexEIDToDecimalEID(hexEID);
    // A UK tag keeps its whole printed form, the register's form of a UK sheep tag.
    std::string printed = modEID::DecimalToWYSIWYG(forms.Decimal, "04");
    if (!printed.empty()) return printed;
    if (displayFormat == kDecimalFormat) return SplitAfterFour(forms.Decimal);
    if (displayFormat == kISODecimalFormat) return forms.ISODecimal;
    return SplitAfterFour(hexEID);
}

std::string StickReadImport::GroupNameStem(const DateTime& startedAt) {
    char stem[32];
    std::snprintf(stem, sizeof stem, "%04d%02d%02d%02d%02d%02d Stick Group ", startedAt.year, startedAt.month,
                  startedAt.day, startedAt.hour, startedAt.minute, startedAt.second);
    return stem;
}

DateTime StickReadImport::TaggingDate(const std::string& readTime) {
    if (readTime.size() < 6 || !AllDigits(std::string_view(readTime).substr(0, 6))) return DateTime::Today();
    auto two = [&](size_t at) { return (readTime[at] - '0') * 10 + (readTime[at + 1] - '0'); };
    const int day = two(0), month = two(2), yy = two(4);
    const int year = yy < 30 ? 2000 + yy : 1900 + yy;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return DateTime::Today();
    return {year, month, day, 0, 0, 0};
}

StickReadImport::StickReadImport(Connection& db, long displayFormat, std::string groupNameStem, int species)
    : db_(db), displayFormat_(displayFormat), stem_(std::move(groupNameStem)), species_(species) {}

StickReadImport::~StickReadImport() = default;

StickReadImport::Outcome StickReadImport::Import(const std::vector<StickRead>& reads) {
    outcome_ = {};
    Connection::Transaction transaction(db_);
    LoadIndexes();
    sql_ = std::make_unique<Statements>(db_);
    db_.Execute("DELETE FROM GroupLink WHERE GroupID=1");
    db_.Execute("DELETE FROM GroupLink WHERE GroupID=2");
    for (const StickRead& read : reads) File(read);
    sql_.reset();
    transaction.Commit();
    return outcome_;
}

// The register as it stands, read once. Where several rows share a key the first one counts,
// as a search from the first row found it.
void StickReadImport::LoadIndexes() {
    Recordset animals = db_.Query("SELECT AnimalID, AnimalType, TagNumber FROM Animals ORDER BY AnimalID");
    for (long row = 0; row < animals.Rows(); ++row) {
        const long animalID = static_cast<long>(animals.At(row, 0).ToLong());
        typeOfAnimal_.emplace(animalID,
                              animals.At(row, 1).IsNull() ? 0 : static_cast<long>(animals.At(row, 1).ToLong()));
        animalByTag_.emplace(UpperAscii(animals.At(row, 2).ToStringOr("")), animalID);
    }
    Recordset eids = db_.Query("SELECT AnimalID, EIDNumber FROM EIDs ORDER BY EIDID");
    for (long row = 0; row < eids.Rows(); ++row) {
        std::string eid = UpperAscii(eids.At(row, 1).ToStringOr(""));
        storedEIDs_.insert(eid);
        const Value& owner = eids.At(row, 0);
        // An EID whose animal has gone names no animal.
        if (owner.IsNull() || !typeOfAnimal_.count(static_cast<long>(owner.ToLong()))) continue;
        const long animalID = static_cast<long>(owner.ToLong());
        animalByEID_.emplace(eid, animalID);
        if (eid.size() == kEIDLength) animalByEIDTail_.emplace(eid.substr(kEIDLength - kEIDTail), animalID);
    }
    Recordset groups = db_.Query("SELECT GroupID, GroupName FROM Groups ORDER BY GroupID");
    for (long row = 0; row < groups.Rows(); ++row)
        groupByName_.emplace(UpperAscii(groups.At(row, 1).ToStringOr("")),
                             static_cast<long>(groups.At(row, 0).ToLong()));
}

void StickReadImport::File(const StickRead& read) {
    bool added = false;
    const long animalID = FindOrMakeAnimal(read, TagText(read.hexEID, displayFormat_), added);
    RecordEID(animalID, read.hexEID);
    JoinImportGroups(animalID, added);
    // A read without a stick group goes to the group the stem names, without its last blank.
    JoinDatedGroup(animalID, read.group.empty() ? TrimBlanks(stem_) : stem_ + read.group);
    ++outcome_.reads;
}

// The animal that owns the EID: the same EID, else one that differs in the first digit alone
// (the same tag retagged).
long StickReadImport::FindAnimalByEID(const std::string& hexEID) const {
    const std::string key = UpperAscii(hexEID);
    if (auto found = animalByEID_.find(key); found != animalByEID_.end()) return found->second;
    if (auto found = animalByEIDTail_.find(key.substr(kEIDLength - kEIDTail)); found != animalByEIDTail_.end())
        return found->second;
    return 0;
}

// The read's animal, found by EID or tag text, or made. An animal known by its tag only
// becomes an owned animal of the current species. `added` tells whether the import made the
// animal or turned it into an owned one.
long StickReadImport::FindOrMakeAnimal(const StickRead& read, const std::string& tagText, bool& added) {
    long animalID = FindAnimalByEID(read.hexEID);
    const std::string tagKey = UpperAscii(tagText);
    if (animalID == 0 && !tagText.empty()) {
        if (auto found = animalByTag_.find(tagKey); found != animalByTag_.end()) animalID = found->second;
    }
    const std::string taggingDate = TaggingDate(read.readTime).ToText();
    if (animalID != 0) {
        long& type = typeOfAnimal_[animalID];
        if (type == 0) {
            RunOne(sql_->convert, {Value(species_), Value(taggingDate), Value(animalID)});
            type = 1;
            added = true;
            ++outcome_.converted;
        }
        return animalID;
    }
    RunOne(sql_->addAnimal,
           {Value(tagText), Value(modCommon::GetTagSortFromTag(tagText)), Value(species_), Value(taggingDate)});
    animalID = static_cast<long>(db_.LastInsertId());
    typeOfAnimal_[animalID] = 1;
    animalByTag_.emplace(tagKey, animalID);
    added = true;
    ++outcome_.created;
    return animalID;
}

void StickReadImport::RecordEID(long animalID, const std::string& hexEID) {
    const std::string key = UpperAscii(hexEID);
    if (!storedEIDs_.insert(key).second) return;
    RunOne(sql_->addEID, {Value(animalID), Value(hexEID)});
    animalByEID_.emplace(key, animalID);
    animalByEIDTail_.emplace(key.substr(kEIDLength - kEIDTail), animalID);
}

// An animal read twice in one import joins each group once.
void StickReadImport::JoinImportGroups(long animalID, bool added) {
    if (!inGroup1_.insert(animalID).second) return;
    if (added) Link(kNewAnimalsGroup, animalID);
    Link(kLastImportGroup, animalID);
}

void StickReadImport::JoinDatedGroup(long animalID, const std::string& groupName) {
    const long groupID = DatedGroup(groupName);
    const unsigned long long member =
        static_cast<unsigned long long>(groupID) << 32 | static_cast<unsigned long>(animalID);
    if (datedMembers_.insert(member).second) Link(groupID, animalID);
}

// The dated group of the name, made when missing; one met for the first time in this import
// loses the members it had.
long StickReadImport::DatedGroup(const std::string& groupName) {
    const std::string key = UpperAscii(groupName);
    const bool firstMeeting = seenGroups_.insert(key).second;
    if (auto found = groupByName_.find(key); found != groupByName_.end()) {
        if (firstMeeting) sql_->emptyGroup.Run({Value(found->second)});
        return found->second;
    }
    RunOne(sql_->addGroup, {Value(groupName)});
    const long groupID = static_cast<long>(db_.LastInsertId());
    groupByName_.emplace(key, groupID);
    return groupID;
}

void StickReadImport::Link(long groupID, long animalID) { RunOne(sql_->link, {Value(groupID), Value(animalID)}); }
