#pragma once
#include <string>
#include <string_view>
#include <vector>

// The rows of an eartag list file ("Eartags.csv" and the per-stick copies of it), as the
// look-up list window, a tag read and the transfer to the stick all read it.
namespace EartagFile {

struct Entry {
    std::string herdId, tagNumber, eid, active;
    int line = 0;  // the row's line in the file, counting from 1
};

// Every row, each value as written. The header names the columns in any order and letter
// case; RuntimeError when the file cannot be read, or (at its first row) when the header
// lacks HerdId, TagNumber, EidNumber or Active.
std::vector<Entry> Read(const std::string& path);
// The same from the file's bytes.
std::vector<Entry> Parse(std::string_view bytes);

// An EID as the stick stores it: 16 hexadecimal digits in capitals, the first 8 to F.
bool IsStoredCode(const std::string& eid);
// The stick's own separators cannot be part of a tag or an EID it is sent.
bool HoldsStickSeparator(const std::string& text);

// An EID in its stored hexadecimal form: one that does not begin as a stored code can begin
// (8 to F) is taken as the decimal number and converted ("" when it is no such number).
std::string HexEID(const std::string& eid);

// What the stick is sent of the rows marked "Yes", in file order: "EID|tag" in the stick's
// single-byte code page, the EID in its stored form and the tag (herd id, a blank and the
// number, or the number alone) cut to 16 characters. The stick cannot take a row whose tag or
// EID holds its separators "|" or "#", whose EID is no stored code or whose tag has a
// character the code page lacks: then nothing is returned and `refused` names the first such
// row.
std::vector<std::string> StickEntries(const std::vector<Entry>& entries, std::string& refused);

}  // namespace EartagFile
