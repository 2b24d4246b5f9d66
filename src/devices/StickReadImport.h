#pragma once
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/DateTime.h"

class Connection;

// Files the reads of a stick into the register: for every read the animal is found by its EID
// or its tag text, or made; the EID is recorded; the animal joins group 1 (every animal of the
// import), group 2 (the animals the import made or turned from tag only into owned) and the
// dated group of its stick group.
//
// All of it is one transaction through statements that raise: a failure anywhere leaves the
// register as it was, so the stick is erased only once the register holds its reads. The stick's
// text reaches the database only as bound values. The register is read once into indexes in
// memory (EIDs, tag texts, group names); membership of the groups the import fills is known
// from the import itself, since it empties those groups first.
class StickReadImport {
public:
    // One stored read: EID as 16 hexadecimal digits (capitals), stick group, time "ddmmyyhhnnss".
    struct StickRead {
        std::string hexEID, group, readTime;
    };
    struct Records {
        std::vector<StickRead> reads;
        // The records that are no read (no EID of 16 hexadecimal digits), as the stick holds
        // them; records without a character but the field separators are nothing.
        std::vector<std::string> unread;
    };
    // The stored reads of an r payload: records separated by "#", fields by "|". A read
    // missing its group or its time has them empty (its tagging date is then today).
    static Records ParseRecords(const std::string& payload);

    // The file in the data folder that keeps the records an import could not read, since the
    // stick loses them when it is erased.
    static constexpr const char* UnreadRecordsFile = "StickRecordsNotImported.txt";
    // Appends each record to the file at `path`, one line each, after the time and the stick
    // that held it ("2024-03-15 10:20:30<TAB>Stick 123456789 on COM3<TAB>record"). True once
    // the lines are on the disk; false when the file cannot take them.
    static bool KeepUnread(const std::string& path, const std::vector<std::string>& records, const std::string& stick,
                           const DateTime& at);

    // The tag text of a read for the stick's EID display format (2 decimal, 3 ISO decimal):
    // the UK printed form when the EID is of country 826, else the form of the format.
    static std::string TagText(const std::string& hexEID, long displayFormat);
    // "yyyymmddhhnnss Stick Group ": the stem of the import's dated group names.
    static std::string GroupNameStem(const DateTime& startedAt);
    // The read's date ("ddmmyy..." with 00-29 as 20yy), or today when it is no real date.
    static DateTime TaggingDate(const std::string& readTime);

    struct Outcome {
        long reads = 0, created = 0, converted = 0;
    };

    // `species` is the species of the animals made or turned into owned ones.
    StickReadImport(Connection& db, long displayFormat, std::string groupNameStem, int species);
    ~StickReadImport();
    // Files the reads in one transaction; raises (with nothing written) when a statement fails.
    // One import per object.
    Outcome Import(const std::vector<StickRead>& reads);

private:
    struct Statements;
    Connection& db_;
    long displayFormat_;
    std::string stem_;
    int species_;
    // Keys are upper-cased, as the columns compare without case.
    std::unordered_map<std::string, long> animalByEID_;      // whole EID -> AnimalID
    std::unordered_map<std::string, long> animalByEIDTail_;  // last 15 digits -> AnimalID
    std::unordered_set<std::string> storedEIDs_;
    std::unordered_map<std::string, long> animalByTag_;  // tag text -> AnimalID
    std::unordered_map<long, long> typeOfAnimal_;        // AnimalID -> AnimalType
    std::unordered_map<std::string, long> groupByName_;
    std::unordered_set<long> inGroup1_;
    std::unordered_set<std::string> seenGroups_;
    std::unordered_set<unsigned long long> datedMembers_;  // GroupID << 32 | AnimalID
    Outcome outcome_;
    std::unique_ptr<Statements> sql_;  // while the import runs

    void LoadIndexes();
    void File(const StickRead& read);
    long FindAnimalByEID(const std::string& hexEID) const;
    long FindOrMakeAnimal(const StickRead& read, const std::string& tagText, bool& added);
    void RecordEID(long animalID, const std::string& hexEID);
    void JoinImportGroups(long animalID, bool added);
    void JoinDatedGroup(long animalID, const std::string& groupName);
    long DatedGroup(const std::string& groupName);
    void Link(long groupID, long animalID);
};
