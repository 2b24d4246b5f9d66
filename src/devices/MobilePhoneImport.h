#pragma once
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/Connection.h"
#include "platform/DateTime.h"

// Files what the phone's handheld application recorded since the last export into the
// register: its new and changed animals (with EIDs, parents, gender, breed and date of birth),
// management-group memberships and comments, which become or change the animals' notes.
//
// All of it is one transaction through bound statements that raise, from Begin (which empties
// the import groups 1 and 2) to Commit: a failure anywhere leaves the register as it was, so a
// failed import can be run again without doubling anything. The phone's text reaches the
// database only as bound values, and its numbers are read strictly: a field that is not a whole
// number fails the import. The register is read once into indexes in memory (animals by id and
// by tag, EIDs, genders, groups, notes); each record then costs its own writes alone.
//
// Records are texts split at "#", fields at "|", as the get commands return them: animals
// (id, tag, EIDs, species, "yyyymmdd..." birth date, breed id, gender name, dam tag, sire tag;
// a negative id is one the phone gave an animal made on it), management groups (field 1 the
// group's name, field 3 the member's tag) and comments (note id, animal id, text,
// "yyyymmdd..." date, unused, action 2 = deleted).
class MobilePhoneImport {
public:
    // Shows the item being worked on (the window's passing line).
    using Passing = std::function<void(const std::string& line)>;
    // The animal the main window's note pane shows: asked and set around a comment for it, so
    // that the pane stores its note first and shows the new one after.
    struct NotePane {
        std::function<int()> Get;
        std::function<void(int)> Set;
    };

    MobilePhoneImport(Connection& db, Passing passing, NotePane pane);
    ~MobilePhoneImport();

    // Stores the note pane's note, then opens the transaction and empties groups 1 and 2.
    void Begin();
    void Animals(const std::string& payload);
    void Groups(const std::string& payload);
    void Comments(const std::string& payload);
    // Raises when the commit fails; everything is then rolled back.
    void Commit();

    // The seconds spent in the database (between Begin and Commit, without the phone).
    double DatabaseSeconds() const { return seconds_; }

    // A record of a payload, split into its fields; raises when it has too few. A field of the
    // wrong kind raises too, naming the record, the field and what it holds.
    class Record {
    public:
        // `kind` names the record ("animal") and `names` its fields, as the keeper is told them.
        Record(const char* kind, const std::vector<std::string>& names, std::string text);
        const std::string& operator[](size_t field) const { return fields_[field]; }
        long Number(size_t field) const;    // a whole number
        DateTime Date(size_t field) const;  // "yyyymmdd" in the first eight characters

    private:
        const char* kind_;
        const std::vector<std::string>& names_;
        std::string text_;
        std::vector<std::string> fields_;
        std::string Described() const;
        [[noreturn]] void WrongKind(size_t field, const char* kind) const;
    };

private:
    struct Statements;
    struct Animal {
        long type = 0;
        long species = 0;
        std::string tag;
    };
    struct NoteRow {
        long animalID = 0;
        std::string note;
    };

    Connection& db_;
    Passing passing_;
    NotePane pane_;
    std::unique_ptr<Connection::Transaction> transaction_;
    std::unique_ptr<Statements> sql_;
    double seconds_ = 0;

    // Keys of texts are upper-cased, as the columns compare without case.
    std::unordered_map<long, Animal> animals_;
    std::unordered_map<std::string, std::set<long>> animalsByTag_;  // ids in ascending order
    std::unordered_set<std::string> storedEIDs_;
    std::unordered_map<std::string, std::vector<std::pair<long, long>>> gendersByName_;  // (id, species)
    std::unordered_map<std::string, std::pair<long, std::string>> groupByName_;          // (id, name as stored)
    std::unordered_map<long, std::unordered_set<long>> groupMembers_;                    // loaded on first use
    std::unordered_map<long, std::set<long>> notesOfAnimal_;                             // RecordIDs, ascending
    std::unordered_map<long, NoteRow> noteText_;                                         // by RecordID
    std::unordered_map<std::string, long> temporaryIDs_;

    void LoadIndexes();
    template <class Body>
    void Timed(Body body);
    void Animal(const Record& a);
    long FindOrAddAnimal(const Record& a, long species, bool& isNew);
    long GenderID(const std::string& name, long species);
    long ParentID(const std::string& tag, long species);
    long AnimalWithTag(const std::string& tag, long species) const;
    long AddAnimal(const std::string& tag, long type, long species);
    void AddEIDs(long animalID, const std::string& eids);
    void Group(const Record& g);
    long GroupID(const std::string& name);
    void Link(long groupID, long animalID);
    void Comment(const Record& c);
    void WriteComment(long animalID, const Record& c);
};
