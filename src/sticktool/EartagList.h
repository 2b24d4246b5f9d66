#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Recordset.h"

// The eartag look-up list as the keeper edits it, apart from the window that shows it: the
// rows of the list file with their duplicate and sort keys, the new tags of tag-bucket files,
// the marks to send a tag or not, deletions, the order a heading chooses, and the list file's
// text.
class EartagList {
public:
    // The columns of the table, in order.
    enum Column { Eartag, HerdId, TagNumber, EidNumber, Active, Combined, SortField };
    // How an entry's send column shows: a tick ("Yes" and new entries), a cross ("No") or its text.
    enum Mark { Plain, Tick, Cross };

    // An empty list; `newEntryMarker` marks the entries added while it lives.
    explicit EartagList(std::string newEntryMarker = "");

    // The duplicate key: the visual tag and the EID in its hexadecimal form.
    static std::string GetCombined(const std::string& herdId, const std::string& tagNumber, const std::string& eid);
    // The sort key: tag numbers of digits padded so that they sort by value, then the
    // number's length.
    static std::string GetSort(const std::string& herdId, const std::string& tagNumber);
    // The visual tag as shown: herd id, a blank and the number, trimmed.
    static std::string EartagOf(const std::string& herdId, const std::string& tagNumber);

    const Recordset& Table() const { return table_; }
    const std::string& NewEntryMarker() const { return marker_; }

    // Adds the rows of the list file, each value as written. Raises when the file cannot be read
    // whole; the rows before the failure stay.
    void ReadFile(const std::string& path);
    // Orders the list by its sort key.
    void SortByKey();

    // What a tag-bucket file gave: whether its layout is known, and the line that could not be
    // read (0 when every line was), which ended the import with the tags before it added.
    struct BucketImport {
        bool known = false;
        int badLine = 0;
    };
    // Adds the new tags of a tag-bucket file; raises when the file cannot be read.
    BucketImport AddTagBucket(const std::string& path);

    void SetActive(const std::vector<Recordset::Bookmark>& entries, bool active);
    void Delete(const std::vector<Recordset::Bookmark>& entries);
    // A click on a column's heading: that column in the order it did not have last, ascending
    // first.
    void SortByHeading(int column);

    Mark MarkOf(const Recordset& rows, long row) const;
    struct Counts {
        long ticks = 0, crosses = 0;
    };
    Counts CountMarks() const;

    // The list file's text: its header and every entry in the list's order, new entries as "Yes".
    std::string FileText() const;

private:
    Recordset table_;
    std::string marker_;
    std::string sortList_;  // the headings' orders, "Field ASC,Field2 DESC"
    // Duplicate keys of the list (compared without case), with how many entries hold each.
    std::unordered_map<std::string, int> keys_;

    void AddEntry(const std::string& herdId, const std::string& tagNumber, const std::string& eid,
                  const std::string& active, const std::string& sortField);
    void AddTagBucketLine(int kind, const std::string& line);
    void IndexKey(const std::string& key, int change);
    bool HasKey(const std::string& key) const;
};
