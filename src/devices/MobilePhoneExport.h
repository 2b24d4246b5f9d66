#pragma once
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Recordset.h"

class Connection;

// Replaces the data of the phone's handheld application with the register's: the pick lists
// (the own herd or flock mark and up to nine other marks, every breed and gender), then the
// phone's stores of tag-bucket entries, animals, comments and management groups are cleared,
// then the chosen rows go over, each with its EIDs, parents and note. Every command counts only
// when the phone answers it with status S; the first that does not ends the export, and what
// the phone cleared and received before it stays so.
//
// What the export reads of an animal (its EIDs, gender name, parents' tags and first note) is
// read once for the whole register before the first command, so a row costs its commands
// alone.
class MobilePhoneExport {
public:
    // What the export talks through: one command to the phone (the word, and its record when
    // it has one) with the reply time-out in ms, true when answered with S; the progress text
    // begun anew; a line appended to it; the passing line.
    struct Link {
        std::function<bool(const std::string& word, const std::string& record, long timeoutMs)> Send;
        std::function<void(const std::string& text)> Start;
        std::function<void(const std::string& line)> Phase;
        std::function<void(const std::string& line)> Passing;
    };
    // Choices of rows.
    enum Choice { All = 0, Displayed = 1, Selected = 2, None = 3 };

    MobilePhoneExport(Connection& db, int species, Link link);

    // delfav and the pick lists.
    bool SendPickLists();
    // deltagbucket, delanim, delcom and delmangrp.
    bool ClearStores();
    // The rows of the choice (Displayed and Selected read the main window's grid query and
    // selection through the seam). A selected row the grid query no longer gives is skipped.
    bool SendRows(int choice);
    // One row (columns AnimalID, AnimalType, TagNumber, DateOfBirth, GenderID, BreedID and
    // Species by name): settagbucket for a tag-bucket entry, else setanim and, when the animal
    // has a note, setcom with its first note.
    bool SendAnimalOrTag(const Recordset& rows, long row);

    // A text as the phone's records can carry it: "|" and "#" (which split its records) become
    // "+", every line break two blanks.
    static std::string PhoneText(const std::string& text);
    // The rows of every own-species animal without a DeathReason.
    static std::string AllRowsSQL(int species);

private:
    Connection& db_;
    int species_;
    Link link_;
    long index_ = 0;  // of the next pick-list entry
    std::unordered_map<long, std::string> eids_, genders_, tags_;
    std::unordered_map<long, std::pair<long, long>> parents_;       // AnimalID -> DamID, SireID
    std::unordered_map<long, std::pair<long, std::string>> notes_;  // AnimalID -> first note
    bool loaded_ = false;

    bool Favourite(int listCode, const std::string& text, const std::string& id, bool own);
    std::vector<std::string> OtherMarks(const std::string& ownMark) const;
    void LoadAnimalDetails();
    std::string ParentTag(long parentID) const;
    std::string CommentText(const std::string& note) const;
};
