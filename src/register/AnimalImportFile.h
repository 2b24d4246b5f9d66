#pragma once
#include <array>
#include <string>
#include <vector>

// The animal import file read before anything is asked or written: one animal a line, its
// fields split at the separator and taken as they stand (the animal's five, then its dam's and
// its sire's), and what makes the file no animal data at all.
namespace AnimalImportFile {

constexpr std::size_t kFields = 15;
using Fields = std::array<std::string, kFields>;

struct Contents {
    std::vector<std::string> lines;
    std::vector<Fields> fields;         // by line; an empty line's are empty
    std::vector<std::string> problems;  // why the file cannot be animal data
    std::vector<std::string> extra;     // lines whose fields after the fifteenth were left out
    bool dams = false, sires = false;   // whether some line names a dam, a sire
    bool empty = true;                  // no line holds anything
};

Contents Read(const std::string& text, const std::string& separator);

}  // namespace AnimalImportFile
