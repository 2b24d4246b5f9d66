#include "devices/MobilePhoneExport.h"

#include <QTextDocument>

#include <algorithm>
#include <cstdio>

#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "core/modMainWindowServices.h"
#include "platform/Connection.h"
#include "platform/DateTime.h"
#include "platform/Rtf.h"
#include "platform/Text.h"

namespace {

constexpr long kListTimeout = 5000, kClearTimeout = 30000;
constexpr long kPickListEnd = 10;  // the own mark and at most nine others

std::string Number(const Value& value) { return value.IsNull() ? std::string{} : std::to_string(value.ToLong()); }
long Id(const Value& value) { return value.IsNull() ? 0 : static_cast<long>(value.ToLong()); }

// "yyyymmdd000000".
std::string PhoneDate(const DateTime& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d000000", date.year, date.month, date.day);
    return text;
}

std::string Record(const std::vector<std::string>& fields) {
    std::string record;
    for (size_t i = 0; i < fields.size(); ++i) record += (i ? "|" : "") + fields[i];
    return record;
}

}  // namespace

MobilePhoneExport::MobilePhoneExport(Connection& db, int species, Link link)
    : db_(db), species_(species), link_(std::move(link)) {}

std::string MobilePhoneExport::PhoneText(const std::string& text) {
    std::string clean = text;
    for (const char* lineBreak : {"\r\n", "\n", "\r", "\xE2\x80\xA9", "\xE2\x80\xA8"})
        ReplaceAll(clean, lineBreak, "  ");
    std::replace(clean.begin(), clean.end(), '|', '+');
    std::replace(clean.begin(), clean.end(), '#', '+');
    return clean;
}

// In the order the animals were recorded, whichever index answers the query.
std::string MobilePhoneExport::AllRowsSQL(int species) {
    return "SELECT AnimalID, AnimalType, TagNumber, DateOfBirth, GenderID, BreedID, Species FROM Animals WHERE Species=" +
           std::to_string(species) + " AND DeathReason IS Null ORDER BY AnimalID";
}

// ---- Pick lists ---------------------------------------------------------------------------

bool MobilePhoneExport::SendPickLists() {
    const bool sheep = species_ == modCommon::Sheep;
    const std::string herdOrFlock = sheep ? "flock" : "herd";
    link_.Start("Starting export..." + CRLF + "Deleting known " + herdOrFlock +
                " marks, breeds and genders from your phone...");
    if (!link_.Send("delfav", "", kClearTimeout)) return false;
    link_.Phase("Exporting " + herdOrFlock + " marks...");
    // A holding without its own number sends an empty own mark.
    const std::string ownMark = modCommon::FindKelvoData(sheep ? "FlockNumber" : "HerdNumber").value_or("");
    index_ = 0;
    if (!Favourite(sheep ? 1 : 2, ownMark, "", true)) return false;
    for (const std::string& mark : OtherMarks(ownMark)) {
        if (index_ >= kPickListEnd) break;
        if (!Favourite(1, mark, "", false)) return false;
    }

    link_.Phase("Exporting breeds...");
    Recordset breeds = db_.Query(
        "SELECT BreedID,BreedName,Species,(SELECT Count(AnimalID) FROM Animals WHERE Animals.BreedID=Breeds.BreedID AND "
        "DeathReason IS Null AND AnimalType=1) as Popularity FROM Breeds UNION SELECT BreedID,BreedName,Species,0 FROM "
        "Breeds WHERE BreedID=0 ORDER BY Popularity DESC");
    for (long row = 0; row < breeds.Rows(); ++row)
        if (!Favourite(Id(breeds.At(row, 2)) == modCommon::Sheep ? 6 : 3, breeds.At(row, 1).ToStringOr(""),
                       Number(breeds.At(row, 0)), false))
            return false;
    link_.Phase("Exporting genders...");
    Recordset genders = db_.Query("SELECT GenderID,GenderName,Species FROM Genders");
    for (long row = 0; row < genders.Rows(); ++row)
        if (!Favourite(Id(genders.At(row, 2)) == modCommon::Sheep ? 8 : 7, genders.At(row, 1).ToStringOr(""),
                       Number(genders.At(row, 0)), false))
            return false;
    return true;
}

bool MobilePhoneExport::Favourite(int listCode, const std::string& text, const std::string& id, bool own) {
    link_.Passing(text);
    if (!link_.Send("setfav",
                    Record({std::to_string(index_), std::to_string(listCode), PhoneText(text), id, own ? "1" : "0"}),
                    kListTimeout))
        return false;
    ++index_;
    return true;
}

// The marks of the species' living owned animals' tags, the most frequent first (equal counts
// in the order first met); empty marks and the own mark are not counted.
std::vector<std::string> MobilePhoneExport::OtherMarks(const std::string& ownMark) const {
    Recordset tags = db_.Query("SELECT TagNumber FROM Animals WHERE Species=" + std::to_string(species_) +
                               " AND AnimalType=1 AND DeathReason IS Null AND NOT(TagNumber IS Null)");
    std::vector<std::pair<std::string, long>> tally;
    std::unordered_map<std::string, size_t> at;
    for (long row = 0; row < tags.Rows(); ++row) {
        const std::string mark = modCommon::SplitTag(tags.At(row, 0).ToStringOr(""))[0].substr(0, 255);
        if (mark.empty() || mark == ownMark) continue;
        auto [found, added] = at.emplace(mark, tally.size());
        if (added) tally.emplace_back(mark, 0);
        ++tally[found->second].second;
    }
    std::stable_sort(tally.begin(), tally.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::vector<std::string> marks;
    for (const auto& entry : tally) marks.push_back(entry.first);
    return marks;
}

bool MobilePhoneExport::ClearStores() {
    const std::pair<const char*, const char*> steps[] = {
        {"Deleting tag bucket data from your phone...", "deltagbucket"},
        {"Deleting animal data from your phone...", "delanim"},
        {"Deleting animal comments from your phone...", "delcom"},
        {"Deleting group data from your phone...", "delmangrp"}};
    for (const auto& [line, word] : steps) {
        link_.Phase(line);
        if (!link_.Send(word, "", kClearTimeout)) return false;
    }
    return true;
}

// ---- Rows ---------------------------------------------------------------------------------

bool MobilePhoneExport::SendRows(int choice) {
    if (choice == None) return true;
    link_.Phase("Exporting tag bucket and animal details...");
    const std::string sql = choice == All ? AllRowsSQL(species_) : modMainWindowServices::GetGridSQL();
    if (sql.empty()) return true;  // no main window, no grid rows
    Recordset rows = db_.Query(sql);
    LoadAnimalDetails();
    if (choice != Selected) {
        for (long row = 0; row < rows.Rows(); ++row)
            if (!SendAnimalOrTag(rows, row)) return false;
        return true;
    }
    std::unordered_map<long, long> rowOf;
    const int idColumn = rows.FieldIndex("AnimalID");
    for (long row = rows.Rows() - 1; row >= 0; --row) rowOf[Id(rows.At(row, idColumn))] = row;
    for (long animalID : modMainWindowServices::SelectedAnimalIDs()) {
        auto found = rowOf.find(animalID);
        if (found != rowOf.end() && !SendAnimalOrTag(rows, found->second)) return false;
    }
    return true;
}

bool MobilePhoneExport::SendAnimalOrTag(const Recordset& rows, long row) {
    LoadAnimalDetails();
    auto field = [&](const char* name) -> const Value& { return rows.At(row, rows.FieldIndex(name)); };
    const long animalID = Id(field("AnimalID"));
    const std::string tag = field("TagNumber").ToStringOr("");
    const bool tagOnly = Id(field("AnimalType")) == 0;
    link_.Passing((tagOnly ? "Tag bucket: " : "Animal ") + tag);
    const std::string id = std::to_string(animalID), eids = PhoneText(eids_[animalID]);
    const std::string species = Number(field("Species"));
    if (tagOnly) return link_.Send("settagbucket", Record({id, PhoneText(tag), eids, species}), kListTimeout);

    const std::optional<DateTime> born = DateTime::FromText(field("DateOfBirth").ToStringOr(""));
    const Value& gender = field("GenderID");
    const auto gendered = gender.IsNull() ? genders_.end() : genders_.find(Id(gender));
    const auto [damID, sireID] = parents_[animalID];
    if (!link_.Send("setanim",
                    Record({id, PhoneText(tag), eids, species, born ? PhoneDate(*born) : "", Number(field("BreedID")),
                            gendered == genders_.end() ? "" : PhoneText(gendered->second), PhoneText(ParentTag(damID)),
                            PhoneText(ParentTag(sireID))}),
                    kListTimeout))
        return false;
    const auto note = notes_.find(animalID);
    if (note == notes_.end()) return true;
    return link_.Send("setcom",
                      Record({std::to_string(note->second.first), id, CommentText(note->second.second),
                              PhoneDate(DateTime::Today()), "1"}),
                      kListTimeout);
}

// A parent that is none, or whose row has gone, gives an empty field.
std::string MobilePhoneExport::ParentTag(long parentID) const {
    if (parentID <= 0) return {};
    const auto tag = tags_.find(parentID);
    return tag == tags_.end() ? std::string{} : tag->second;
}

std::string MobilePhoneExport::CommentText(const std::string& note) const {
    QTextDocument document;
    Rtf::Load(note, document);
    return PhoneText(document.toPlainText().toStdString());
}

void MobilePhoneExport::LoadAnimalDetails() {
    if (loaded_) return;
    loaded_ = true;
    Recordset eids = db_.Query("SELECT AnimalID, EIDNumber FROM EIDs ORDER BY EIDID");
    for (long row = 0; row < eids.Rows(); ++row) {
        std::string& joined = eids_[Id(eids.At(row, 0))];
        joined += (joined.empty() ? "" : ",") + eids.At(row, 1).ToStringOr("");
    }
    Recordset genders = db_.Query("SELECT GenderID, GenderName FROM Genders");
    for (long row = 0; row < genders.Rows(); ++row)
        genders_[Id(genders.At(row, 0))] = genders.At(row, 1).ToStringOr("");
    Recordset animals = db_.Query("SELECT AnimalID, TagNumber, DamID, SireID FROM Animals");
    for (long row = 0; row < animals.Rows(); ++row) {
        const long id = Id(animals.At(row, 0));
        tags_[id] = animals.At(row, 1).ToStringOr("");
        parents_[id] = {Id(animals.At(row, 2)), Id(animals.At(row, 3))};
    }
    Recordset notes = db_.Query("SELECT RecordID, AnimalID, Note FROM Notes ORDER BY RecordID");
    for (long row = 0; row < notes.Rows(); ++row)
        notes_.try_emplace(Id(notes.At(row, 1)), Id(notes.At(row, 0)), notes.At(row, 2).ToStringOr(""));
}
