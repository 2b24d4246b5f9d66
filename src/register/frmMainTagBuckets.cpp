// Tag-bucket imports: the purchased eartags of a supplier's file become tag-only rows of the
// register with their EIDs, all of them or none.
#include <QProgressBar>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "core/Trap.h"
#include "core/clsDatabase.h"
#include "core/modCommon.h"
#include "core/modCommonTags.h"
#include "platform/Connection.h"
#include "platform/Csv.h"
#include "platform/Prompts.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "register/TagBucketRows.h"
#include "register/frmMain.h"

namespace {

const char* const kObject = "frmMain";

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

}  // namespace

// The tags of both species and the EIDs the register has, with those the file adds, which are
// written together at the end: statements of many rows each are what makes 100,000 tags quick.
struct frmMain::TagBucketLookups {
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

void frmMain::mnuGetAllflexTagBucket_Click() { ImportTagBucket("mnuGetAllflexTagBucket_Click", true); }

void frmMain::mnuGetTolvaneTagBucket_Click() { ImportTagBucket("mnuGetTolvaneTagBucket_Click", false); }

// The whole file goes in one transaction: a failure leaves the register as it was. Lines
// without a valid tag and EID are left out and counted for the keeper.
void frmMain::ImportTagBucket(const char* procedure, bool allflex) {
    long skipped = 0;
    bool done = false;
    Trap(procedure, kObject, [&] {
        const std::string kind = modCommon::Species == modCommon::Sheep ? "Sheep" : "Cattle";
        const std::string name = std::string(modCommon::Species == modCommon::Sheep ? "S" : "C") + "Tags.txt";
        const std::string path =
            allflex ? OpenFileName("Select an Allflex " + kind + " Tag Bucket File", "Text Files (*.txt)|*.txt", true)
                    : OpenFileName("Select a Tolvane " + kind + " Tag Bucket File",
                                   "Tag Bucket Files (" + name + ")|" + name, true);
        if (path.empty()) return;
        const CsvReader file = CsvReader::FromFile(path, ',', !allflex);
        if (file.RowCount() == 0) return;
        InitialiseProgressbar(100, "Loading Tag Bucket...");
        setEnabled(false);
        Connection& db = modCommon::Database().GetConnection();
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
            if (percent != shown) pbrProgress->setValue(shown = percent);
        }
        lookups.Write();
        transaction.Commit();
        done = true;
        tmrSetGridRecords_Timer();
    });
    fraProgress->hide();
    setEnabled(true);
    if (done && skipped > 0)
        Prompts::MsgBox(std::to_string(skipped) + (skipped == 1 ? " line" : " lines") +
                            " of the tag bucket file held no valid tag and EID and " + (skipped == 1 ? "was" : "were") +
                            " not imported.",
                        Prompts::OKOnly | Prompts::Exclamation, "Tag Bucket");
}

// A tag already recorded for its species keeps its row; an EID already recorded for any
// animal is not added again. Both are written with the others at the end. A new row's sort
// key follows its own species' rule, which may not be the one worked with.
void frmMain::ImportTag(TagBucketLookups& lookups, const std::string& strTagNumber, const std::string& strEID,
                        int enSpecies) {
    std::string key = TagBucketLookups::Key(enSpecies, strTagNumber);
    if (lookups.tags.try_emplace(key, 0).second)
        lookups.newTags.push_back({strTagNumber, modCommon::GetTagSortFromTag(strTagNumber, enSpecies), enSpecies});
    if (lookups.eids.insert(UpperAscii(strEID)).second) lookups.newEIDs.emplace_back(std::move(key), strEID);
}
