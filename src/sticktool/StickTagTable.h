#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Recordset.h"

// The tags of one stick read as the keeper gets them: a row per stored read, in the stick's
// order, with the tag in the form the stick is set to show. The table lives for one read; the
// tag selection window deletes the rows the keeper does not want.
namespace StickTagTable {

enum Field {
    HerdAndTag,  // the tag as shown
    StickGroup,  // the group character stored with the read
    StickTime,   // the read's date and time as the system shows one, "" when unreadable
    RPAMarker,   // the record's optional fourth field, trimmed
    SortField,   // group character and tag (before the spaced UK form)
    TagOrder,    // the tag alone (before the spaced UK form)
};

// The stick's EID display formats.
enum DisplayFormat {
    NoFormat = 0,
    Hexadecimal = 1,
    Decimal = 2,
    ISODecimal = 3,
    KRXRaw = 4,
    FullISO = 5,
    UKWYSIWYG = 6,
    TagLookup = 7,
};

// The empty table with its fields, open.
Recordset Create();

// The visual tags of an eartag list by the decimal form of their EIDs, for a stick that shows
// tags by look-up. Where an EID stands twice the first row counts; a row whose EID converts
// to no stored code is left out.
class Lookup {
public:
    // RuntimeError when the file cannot be read or its header lacks a column.
    static Lookup FromFile(const std::string& path);
    bool Empty() const { return tags_.empty(); }
    // The visual tag of a decimal EID, or nullptr.
    const std::string* Find(const std::string& decimalEID) const;

private:
    std::unordered_map<std::string, std::string> tags_;
};

// A read's tag as the stick shows it. Only an electronic tag (16 hexadecimal digits)
// converts; any other text, and any format without a conversion, stays as received.
std::string ConvertTag(const std::string& tag, long displayFormat, const Lookup* lookup);

// Adds a row per record of an "r" reply's data: records separated by "#", fields by "|"
// (tag, group, time "ddmmyyhhnnss", optional marker). A record of fewer than three fields is
// no read: it is given back, as the stick holds it, for the keeper to be told (one without a
// character but the field separators is nothing).
std::vector<std::string> AddRecords(Recordset& table, const std::string& data, long displayFormat,
                                    const Lookup* lookup);

// Orders the rows by group and tag, or by tag alone (text order, stable).
void Sort(Recordset& table, bool byGroup);

}  // namespace StickTagTable
