#include "devices/MobilePhoneImport.h"

#include <QTextDocument>

#include <algorithm>
#include <chrono>

#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "devices/HandheldImport.h"
#include "devices/modHandheld.h"
#include "platform/DateTime.h"
#include "platform/Rtf.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"

using HandheldImport::RunOne;

namespace {

constexpr long kLastImportGroup = 1;
constexpr long kNewAnimalsGroup = 2;
constexpr long kTagOnly = 0, kOwned = 1, kReference = 2;
constexpr long kDeleted = 2;

[[noreturn]] void Fail(long number, const std::string& text) { throw RuntimeError(number, text); }

// The names of the fields of each kind of record, as the keeper is told of one that is wrong.
const std::vector<std::string> kAnimalFieldNames = {"animal id", "tag",    "EIDs",      "species",   "date of birth",
                                                    "breed id",  "gender", "dam's tag", "sire's tag"};
const std::vector<std::string> kGroupFieldNames = {"", "group", "", "member's tag"};
const std::vector<std::string> kCommentFieldNames = {"note id", "animal id", "text", "date", "", "action"};

bool IsWholeNumber(const std::string& text) {
    const size_t digits = text.size() - (text.rfind('-', 0) == 0 ? 1 : 0);
    return digits > 0 && digits <= 9 && AllDigits(std::string_view(text).substr(text.size() - digits));
}

// "yyyymmdd" in the first eight characters.
std::optional<DateTime> PhoneDate(const std::string& text) {
    const std::string digits = text.substr(0, 8);
    if (digits.size() != 8 || !AllDigits(digits)) return std::nullopt;
    return DateTime::FromText(digits.substr(0, 4) + "-" + digits.substr(4, 2) + "-" + digits.substr(6, 2));
}

// Whether the text holds the paragraphs whole: from a line's start to a line's end.
bool HoldsParagraphs(const QString& text, const QString& paragraphs) {
    for (qsizetype at = text.indexOf(paragraphs); at >= 0; at = text.indexOf(paragraphs, at + 1)) {
        const qsizetype end = at + paragraphs.size();
        if ((at == 0 || text[at - 1] == QLatin1Char('\n')) && (end == text.size() || text[end] == QLatin1Char('\n')))
            return true;
    }
    return false;
}

// Each record of a payload; an empty one (a payload ending in "#") holds nothing.
template <class Handle>
void EachRecord(const std::string& payload, const char* kind, const std::vector<std::string>& names, Handle handle) {
    for (const std::string& record : modHandheld::SplitText(payload, modHandheld::ItemSeparator))
        if (!record.empty()) handle(MobilePhoneImport::Record(kind, names, record));
}

Value NullIfEmpty(const std::string& field, const std::function<Value()>& value) {
    return field.empty() ? Value() : value();
}

}  // namespace

// The import's writes, each prepared once.
struct MobilePhoneImport::Statements {
    explicit Statements(Connection& db)
        : addAnimal(db, "INSERT INTO Animals (AnimalType,TagNumber,TagSort,Species) VALUES (?,?,?,?)"),
          updateAnimal(
              db,
              "UPDATE Animals SET AnimalType=?, DateOfBirth=ifnull(?,DateOfBirth), GenderID=ifnull(?,GenderID),"
              " BreedID=ifnull(?,BreedID), DamID=ifnull(?,DamID), SireID=ifnull(?,SireID) WHERE AnimalID=?"),
          ownParent(db, "UPDATE Animals SET AnimalType=1 WHERE AnimalID=?"),
          addGender(db, "INSERT INTO Genders (GenderName,Species) VALUES (?,?)"),
          addEID(db, "INSERT INTO EIDs (AnimalID,EIDNumber) VALUES (?,?)"),
          addGroup(db, "INSERT INTO Groups (GroupName,ExportToHH) VALUES (?,0)"),
          link(db, "INSERT INTO GroupLink (GroupID,AnimalID) VALUES (?,?)"),
          emptyGroup(db, "DELETE FROM GroupLink WHERE GroupID=?"),
          addNote(db, "INSERT INTO Notes (AnimalID,Note) VALUES (?,?)"),
          setNote(db, "UPDATE Notes SET Note=? WHERE RecordID=?"),
          deleteNote(db, "DELETE FROM Notes WHERE RecordID=?") {}
    Connection::Prepared addAnimal, updateAnimal, ownParent, addGender, addEID, addGroup, link, emptyGroup, addNote,
        setNote, deleteNote;
};

MobilePhoneImport::Record::Record(const char* kind, const std::vector<std::string>& names, std::string text)
    : kind_(kind),
      names_(names),
      text_(std::move(text)),
      fields_(modHandheld::SplitText(text_, modHandheld::FieldSeparator)) {
    if (fields_.size() < names_.size())
        Fail(ErrorNumber::SubscriptOutOfRange,
             Described() + " has " + std::to_string(fields_.size()) + " fields, not " + std::to_string(names_.size()));
}

std::string MobilePhoneImport::Record::Described() const {
    return "The phone's " + std::string(kind_) + " record '" + text_ + "'";
}

void MobilePhoneImport::Record::WrongKind(size_t field, const char* kind) const {
    Fail(ErrorNumber::TypeMismatch, Described() + " has '" + fields_[field] + "' as its " + names_[field] + " (field " +
                                        std::to_string(field + 1) + "), which is no " + kind);
}

// A whole number as the phone writes one: digits, a minus sign before them at most.
long MobilePhoneImport::Record::Number(size_t field) const {
    if (!IsWholeNumber(fields_[field])) WrongKind(field, "whole number");
    return std::stol(fields_[field]);
}

DateTime MobilePhoneImport::Record::Date(size_t field) const {
    const std::optional<DateTime> date = PhoneDate(fields_[field]);
    if (!date) WrongKind(field, "date");
    return *date;
}

MobilePhoneImport::MobilePhoneImport(Connection& db, Passing passing, NotePane pane)
    : db_(db), passing_(std::move(passing)), pane_(std::move(pane)) {}

// A transaction not committed is rolled back here.
MobilePhoneImport::~MobilePhoneImport() {
    sql_.reset();
    transaction_.reset();
}

template <class Body>
void MobilePhoneImport::Timed(Body body) {
    const auto start = std::chrono::steady_clock::now();
    struct Add {
        double& seconds;
        std::chrono::steady_clock::time_point start;
        ~Add() { seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); }
    } add{seconds_, start};
    body();
}

void MobilePhoneImport::Begin() {
    // The note pane stores the note it shows before the transaction opens: a note typed there
    // is then kept whatever becomes of the import, and read below with the rest.
    if (pane_.Get && pane_.Set) pane_.Set(pane_.Get());
    Timed([&] {
        transaction_ = std::make_unique<Connection::Transaction>(db_);
        LoadIndexes();
        sql_ = std::make_unique<Statements>(db_);
        for (long group : {kLastImportGroup, kNewAnimalsGroup}) {
            sql_->emptyGroup.Run({Value(group)});
            groupMembers_[group].clear();
        }
    });
}

void MobilePhoneImport::Commit() {
    Timed([&] {
        sql_.reset();
        transaction_->Commit();
        transaction_.reset();
    });
}

// The register as it stands, read once. Where several rows share a key the lowest id counts,
// as a search from the first row found it.
void MobilePhoneImport::LoadIndexes() {
    Recordset animals = db_.Query("SELECT AnimalID, AnimalType, Species, TagNumber FROM Animals");
    for (long row = 0; row < animals.Rows(); ++row) {
        const long id = static_cast<long>(animals.At(row, 0).ToLong());
        const std::string tag = animals.At(row, 3).ToStringOr("");
        animals_[id] = {static_cast<long>(animals.At(row, 1).IsNull() ? 0 : animals.At(row, 1).ToLong()),
                        static_cast<long>(animals.At(row, 2).IsNull() ? 0 : animals.At(row, 2).ToLong()), tag};
        animalsByTag_[UpperAscii(tag)].insert(id);
    }
    Recordset eids = db_.Query("SELECT EIDNumber FROM EIDs");
    for (long row = 0; row < eids.Rows(); ++row) storedEIDs_.insert(UpperAscii(eids.At(row, 0).ToStringOr("")));
    Recordset genders = db_.Query("SELECT GenderID, GenderName, Species FROM Genders ORDER BY GenderID");
    for (long row = 0; row < genders.Rows(); ++row)
        gendersByName_[UpperAscii(genders.At(row, 1).ToStringOr(""))].emplace_back(
            static_cast<long>(genders.At(row, 0).ToLong()),
            static_cast<long>(genders.At(row, 2).IsNull() ? 0 : genders.At(row, 2).ToLong()));
    Recordset groups = db_.Query("SELECT GroupID, GroupName FROM Groups ORDER BY GroupID");
    for (long row = 0; row < groups.Rows(); ++row)
        groupByName_.emplace(
            UpperAscii(groups.At(row, 1).ToStringOr("")),
            std::pair(static_cast<long>(groups.At(row, 0).ToLong()), groups.At(row, 1).ToStringOr("")));
    Recordset notes = db_.Query("SELECT RecordID, AnimalID, Note FROM Notes WHERE NOT (AnimalID IS Null)");
    for (long row = 0; row < notes.Rows(); ++row) {
        const long recordID = static_cast<long>(notes.At(row, 0).ToLong());
        const long animalID = static_cast<long>(notes.At(row, 1).ToLong());
        notesOfAnimal_[animalID].insert(recordID);
        noteText_[recordID] = {animalID, notes.At(row, 2).ToStringOr("")};
    }
}

// ---- Animals ------------------------------------------------------------------------------

void MobilePhoneImport::Animals(const std::string& payload) {
    Timed([&] { EachRecord(payload, "animal", kAnimalFieldNames, [&](const Record& a) { Animal(a); }); });
}

// The record's species decides which animals it may change, and is that of the animals it
// makes: the register's other species is left alone.
void MobilePhoneImport::Animal(const Record& a) {
    const long species = a.Number(3);
    if (passing_) passing_(a[1]);
    bool isNew = false;
    const long id = FindOrAddAnimal(a, species, isNew);
    const std::optional<DateTime> born = a[4].empty() ? std::nullopt : std::optional<DateTime>(a.Date(4));
    RunOne(sql_->updateAnimal, {Value(animals_[id].type), born ? Value(born->ToText()) : Value(),
                                NullIfEmpty(a[6], [&] { return Value(GenderID(a[6], species)); }),
                                NullIfEmpty(a[5], [&] { return Value(a.Number(5)); }),
                                NullIfEmpty(a[7], [&] { return Value(ParentID(a[7], species)); }),
                                NullIfEmpty(a[8], [&] { return Value(ParentID(a[8], species)); }), Value(id)});
    if (a.Number(0) < 0 && !temporaryIDs_.emplace(a[0], id).second)
        Fail(ErrorNumber::InvalidCall, "The phone gave the temporary id " + a[0] + " to two animals");
    Link(kLastImportGroup, id);
    if (isNew) {
        Link(kNewAnimalsGroup, id);
        if (born) Link(GroupID("DoB " + born->ToUserText()), id);
    }
    AddEIDs(id, a[2]);
}

// The register's animal of the record, of the record's species: by its id when the phone had it
// from the register and it is still there, else by its tag; made anew when there is none. An
// animal the register gave the phone and no longer holds is made anew once: an import run again
// (its done unanswered) finds it by its tag. One known by its tag only becomes an owned one.
// Either is new.
long MobilePhoneImport::FindOrAddAnimal(const Record& a, long species, bool& isNew) {
    const long phoneID = a.Number(0);
    const auto known = animals_.find(phoneID);
    long id = phoneID >= 0 && known != animals_.end() && known->second.species == species ? phoneID : 0;
    if (id == 0) id = AnimalWithTag(a[1], species);
    if (id == 0) {
        isNew = true;
        return AddAnimal(a[1], kOwned, species);
    }
    if (animals_[id].type == kTagOnly) {
        animals_[id].type = kOwned;
        isNew = true;
    }
    return id;
}

// The gender of the name in the record's species, else in any; made in the record's species
// when the register has none of the name.
long MobilePhoneImport::GenderID(const std::string& name, long species) {
    auto& genders = gendersByName_[UpperAscii(name)];
    auto same = std::find_if(genders.begin(), genders.end(), [&](const auto& g) { return g.second == species; });
    if (same != genders.end()) return same->first;
    if (!genders.empty()) return genders.front().first;
    RunOne(sql_->addGender, {Value(name), Value(species)});
    genders.emplace_back(static_cast<long>(db_.LastInsertId()), species);
    return genders.back().first;
}

// The parent of the tag: the animal of the record's species with that tag (the lowest id). A
// tag it lacks becomes a reference animal of the record's species; one known by its tag only
// becomes owned.
long MobilePhoneImport::ParentID(const std::string& tag, long species) {
    const long id = AnimalWithTag(tag, species);
    if (id == 0) return AddAnimal(tag, kReference, species);
    if (animals_[id].type == kTagOnly) {
        RunOne(sql_->ownParent, {Value(id)});
        animals_[id].type = kOwned;
    }
    return id;
}

// The animal with the tag and of the species (of any species when it is 0), the lowest id; 0
// when there is none.
long MobilePhoneImport::AnimalWithTag(const std::string& tag, long species) const {
    auto found = animalsByTag_.find(UpperAscii(tag));
    if (found == animalsByTag_.end()) return 0;
    for (long id : found->second)
        if (species == 0 || animals_.at(id).species == species) return id;
    return 0;
}

long MobilePhoneImport::AddAnimal(const std::string& tag, long type, long species) {
    RunOne(sql_->addAnimal, {Value(type), Value(tag),
                             Value(modCommon::GetTagSortFromTag(tag, static_cast<int>(species))), Value(species)});
    const long id = static_cast<long>(db_.LastInsertId());
    animals_[id] = {type, species, tag};
    animalsByTag_[UpperAscii(tag)].insert(id);
    return id;
}

// An EID number already stored, for any animal, stays where it is.
void MobilePhoneImport::AddEIDs(long animalID, const std::string& eids) {
    for (const std::string& eid : modHandheld::SplitText(eids, ','))
        if (!eid.empty() && storedEIDs_.insert(UpperAscii(eid)).second)
            RunOne(sql_->addEID, {Value(animalID), Value(eid)});
}

// ---- Management groups --------------------------------------------------------------------

void MobilePhoneImport::Groups(const std::string& payload) {
    Timed([&] { EachRecord(payload, "management group", kGroupFieldNames, [&](const Record& g) { Group(g); }); });
}

void MobilePhoneImport::Group(const Record& g) {
    const long groupID = GroupID(g[1]);
    const long member = AnimalWithTag(g[3], 0);
    if (member == 0) Fail(ErrorNumber::NoCurrentRecord, "No animal has the tag '" + g[3] + "'");
    if (passing_)
        passing_("Adding " + animals_[member].tag + " to management group " + groupByName_[UpperAscii(g[1])].second +
                 "...");
    Link(groupID, member);
}

long MobilePhoneImport::GroupID(const std::string& name) {
    const std::string key = UpperAscii(name);
    if (auto found = groupByName_.find(key); found != groupByName_.end()) return found->second.first;
    RunOne(sql_->addGroup, {Value(name)});
    const long id = static_cast<long>(db_.LastInsertId());
    groupByName_.emplace(key, std::pair(id, name));
    groupMembers_[id];
    return id;
}

// An animal joins a group once, however often the phone names it there.
void MobilePhoneImport::Link(long groupID, long animalID) {
    auto members = groupMembers_.find(groupID);
    if (members == groupMembers_.end()) {
        members = groupMembers_.emplace(groupID, std::unordered_set<long>{}).first;
        Recordset rs = db_.Query("SELECT AnimalID FROM GroupLink WHERE GroupID=" + std::to_string(groupID));
        for (long row = 0; row < rs.Rows(); ++row) members->second.insert(static_cast<long>(rs.At(row, 0).ToLong()));
    }
    if (members->second.insert(animalID).second) RunOne(sql_->link, {Value(groupID), Value(animalID)});
}

// ---- Comments -----------------------------------------------------------------------------

void MobilePhoneImport::Comments(const std::string& payload) {
    Timed([&] { EachRecord(payload, "comment", kCommentFieldNames, [&](const Record& c) { Comment(c); }); });
}

// A comment for the animal the note pane shows: the pane lets go of it first (storing the note
// it shows) and takes it back after, showing the new note, however the comment ends.
void MobilePhoneImport::Comment(const Record& c) {
    long animalID = c.Number(1);
    if (animalID < 0) {
        auto temporary = temporaryIDs_.find(c[1]);
        animalID = temporary == temporaryIDs_.end() ? 0 : temporary->second;
    }
    if (!animals_.count(animalID)) Fail(ErrorNumber::NoCurrentRecord, "No animal has the id " + c[1]);
    const bool shown = pane_.Get && pane_.Set && pane_.Get() == animalID;
    if (shown) pane_.Set(0);
    struct ShowAgain {
        const NotePane& pane;
        bool shown;
        long id;
        ~ShowAgain() {
            if (shown) pane.Set(static_cast<int>(id));
        }
    } showAgain{pane_, shown, animalID};
    WriteComment(animalID, c);
}

// A new comment goes on top of the animal's note, which stays below it as plain text; one the
// note holds already (an import run again after its done went unanswered) is not added twice.
// A changed comment replaces the note.
void MobilePhoneImport::WriteComment(long animalID, const Record& c) {
    const std::string& tag = animals_[animalID].tag;
    const long recordID = c.Number(0);
    if (c.Number(5) == kDeleted) {
        if (recordID < 0) return;
        if (passing_) passing_("Deleting comment for " + tag);
        sql_->deleteNote.Run({Value(recordID)});
        if (auto note = noteText_.find(recordID); note != noteText_.end()) {
            notesOfAnimal_[note->second.animalID].erase(recordID);
            noteText_.erase(note);
        }
        return;
    }
    std::set<long>& notes = notesOfAnimal_[animalID];
    const bool hasNote = !notes.empty();
    if (passing_) passing_((hasNote && recordID > 0 ? "Updating comment for " : "Adding comment for ") + tag);
    QTextDocument document;
    if (hasNote && recordID <= 0) Rtf::Load(noteText_[*notes.begin()].note, document);
    const QString previous = document.toPlainText();
    const QString comment = QString::fromStdString(c.Date(3).ToUserText() + "  " + c[2]);
    if (HoldsParagraphs(previous, comment)) return;
    document.setPlainText(comment + "\n\n" + previous);
    const std::string rtf = Rtf::Write(document);
    if (hasNote) {
        RunOne(sql_->setNote, {Value(rtf), Value(*notes.begin())});
        noteText_[*notes.begin()].note = rtf;
        return;
    }
    RunOne(sql_->addNote, {Value(animalID), Value(rtf)});
    const long added = static_cast<long>(db_.LastInsertId());
    notes.insert(added);
    noteText_[added] = {animalID, rtf};
}
