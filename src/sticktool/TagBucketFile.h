#pragma once
#include <string>
#include <vector>

// A tag-bucket file: purchased eartags as a tag supplier sends them or a keeper types them,
// one tag a line, in one of six layouts that the file's first line tells apart:
//   1  the maker's: a header whose first field is HerdId, then herd id, tag number and a
//      decimal EID (double quotes anywhere in a line are dropped)
//   2  hexadecimal EID, visual tag of two blank-separated parts (herd id, number), two more
//      fields
//   3  the same with a visual tag of three parts (herd id in two parts, number)
//   4  the same with a visual tag of any other number of parts (all of it the number)
//   5  "EID,Visual Tag" with a decimal EID of 15 digits, or 16 beginning with 0
//   6  "EID,Visual Tag" with a hexadecimal EID
//   0  none of these
class TagBucketFile {
public:
    // The tag a data line holds, its EID in the stored (hexadecimal) form.
    struct Tag {
        std::string HerdId, TagNumber, EID;
    };

    // The file's lines as text files are read (line ends CR LF, LF or CR; UTF-8 or the
    // single-byte code page). RuntimeError when it cannot be read or holds no line at all.
    explicit TagBucketFile(const std::string& path);

    // The layout of the file, from its first line as read (blanks included).
    int Kind() const { return kind_; }
    // Every line of the file, blank ones included; line n of the file is Lines()[n - 1].
    const std::vector<std::string>& Lines() const { return lines_; }
    // The number of the first line that holds data: 2 after the maker's header, else 1.
    int FirstDataLine() const { return kind_ == 1 ? 2 : 1; }

    static int KindOf(const std::string& firstLine);
    // A trimmed, non-empty data line read by the layout's rule. RuntimeError when the line
    // has fewer fields, or its visual tag fewer parts, than the layout reads.
    static Tag ReadLine(int kind, const std::string& line);

private:
    std::vector<std::string> lines_;
    int kind_ = 0;
};
