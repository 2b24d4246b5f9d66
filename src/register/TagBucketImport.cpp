#include "register/TagBucketImport.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/modCommonTags.h"
#include "platform/Connection.h"
#include "platform/Csv.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "register/TagBucketRows.h"

namespace {

// Adds rows many to a statement: prepared once for a full batch, once more for what is left.
void InsertRows(Connection& db, const std::string& insert, const std::string& row, std::size_t count,
                const std::function<void(std::size_t, std::vector<Value>&)>& values) {
    constexpr std::size_t kBatch = 200;
    auto statement = [&](std::size_t rows) {
        std::string sql = insert;
        for (std::size_t i = 0; i < rows; ++i) sql += (i ? "," : "") + row;
        return std::make_unique<Connection::Prepared>(db, sql);
    };
    std::unique_ptr<Connection::Prepared> full = count >= kBatch ? statement(kBatch) : nullptr;
    std::vector<Value> params;
    for (std::size_t first = 0; first < count; first += kBatch) {
        const std::size_t rows = std::min(kBatch, count - first);
        params.clear();
        for (std::size_t i = first; i < first + rows; ++i) values(i, params);
        if (rows == kBatch) full->Run(params);
        else statement(rows)->Run(params);
    }
}

// The tags of both species and the EIDs the register has, with those the file adds, which are
// written together at the end: statements of many rows each are what makes 100,000 tags quick.
struct TagBucketLookups {
    explicit TagBucketLookups(Connection& db) : db(db) {
        Recordset animals = db.Query("SELECT AnimalID,TagNumber,Species FROM Animals");
        tags.reserve(static_cast<std::size_t>(animals.Rows()) * 2);
        Remember(animals);
        Recordset known = db.Query("SELECT EIDNumber FROM EIDs");
        eids.reserve(static_cast<std::size_t>(known.Rows()) * 2);
        for (long row = 0; row < known.Rows(); ++row) eids.insert(UpperAscii(known.At(row, 0).ToStringOr("")));
    }
    static std::string Key(int species, const std::string& tag) {
        return std::to_string(species) + "|" + UpperAscii(tag);
    }

    // The new tags first, whose keys the new EIDs need, then the EIDs.
    void Write() {
        const std::string last = db.Query("SELECT ifnull(MAX(AnimalID),0) FROM Animals").Field(0).ToString();
        InsertRows(
            db, "INSERT INTO Animals (AnimalType,TagNumber,TagSort,Species) VALUES ", "(0,?,?,?)", newTags.size(),
            [&](std::size_t i, std::vector<Value>& values) {
                values.insert(values.end(), {Value(newTags[i].tag), Value(newTags[i].sort), Value(newTags[i].species)});
            });
        Remember(db.Query("SELECT AnimalID,TagNumber,Species FROM Animals WHERE AnimalID>" + last));
        InsertRows(db, "INSERT INTO EIDs (AnimalID,EIDNumber) VALUES ", "(?,?)", newEIDs.size(),
                   [&](std::size_t i, std::vector<Value>& values) {
                       const long animal = tags.at(newEIDs[i].first);
                       if (animal == 0) throw RuntimeError(ErrorNumber::DatabaseFailure, "A new tag was not written");
                       values.insert(values.end(), {Value(animal), Value(newEIDs[i].second)});
                   });
    }

    struct NewTag {
        std::string tag;
        int sort, species;
    };
    Connection& db;
    std::unordered_map<std::string, long> tags;  // by species and tag: AnimalID, 0 until written
    std::unordered_set<std::string> eids;
    std::vector<NewTag> newTags;
    std::vector<std::pair<std::string, std::string>> newEIDs;  // the tag's key, the EID

private:
    void Remember(const Recordset& animals) {
        const int id = animals.FieldIndex("AnimalID"), tag = animals.FieldIndex("TagNumber"),
                  species = animals.FieldIndex("Species");
        for (long row = 0; row < animals.Rows(); ++row) {
            const long animal = static_cast<long>(animals.At(row, id).ToLong());
            const int kind = static_cast<int>(animals.At(row, species).ToLong());
            auto [known, added] = tags.try_emplace(Key(kind, animals.At(row, tag).ToStringOr("")), animal);
            if (!added && known->second == 0) known->second = animal;
        }
    }
};

// A tag already recorded for its species keeps its row; an EID already recorded for any
// animal is not added again. Both are written with the others at the end. A new row's sort
// key follows its own species' rule, which may not be the one worked with.
void ImportTag(TagBucketLookups& lookups, const std::string& strTagNumber, const std::string& strEID, int enSpecies) {
    std::string key = TagBucketLookups::Key(enSpecies, strTagNumber);
    if (lookups.tags.try_emplace(key, 0).second)
        lookups.newTags.push_back({strTagNumber, modCommon::GetTagSortFromTag(strTagNumber, enSpecies), enSpecies});
    if (lookups.eids.insert(UpperAscii(strEID)).second) lookups.newEIDs.emplace_back(std::move(key), strEID);
}

}  // namespace

long TagBucketImport::Import(Connection& db, const CsvReader& file, bool allflex,
                             const std::function<void(int)>& progress) {
    long skipped = 0;
    Connection::Transaction transaction(db);
    TagBucketLookups lookups(db);
    int shown = 0;
    for (std::size_t row = 0; row < file.RowCount(); ++row) {
        const std::optional<TagBucketRows::Tag> tag =
            allflex ? TagBucketRows::Allflex(file, row) : TagBucketRows::Maker(file, row);
        if (!tag) {
            ++skipped;
            continue;
        }
        ImportTag(lookups, tag->tag, tag->eid, tag->species);
        const int percent = static_cast<int>(100 * (row + 1) / file.RowCount());
        if (percent != shown) progress(shown = percent);
    }
    lookups.Write();
    transaction.Commit();
    return skipped;
}
