#pragma once
#include <optional>
#include <string>

class CsvReader;

// The rows of a tag-bucket file read as tags for the register, in its two layouts.
namespace TagBucketRows {

// A row's tag and its EID in stored form, with the species the EID names (else the one worked on).
struct Tag {
    std::string tag, eid;
    int species = 0;
};

// Allflex's layout: the EID in stored form, then the visual tag as it stands. Nothing when the
// row holds no valid tag and EID.
std::optional<Tag> Allflex(const CsvReader& file, std::size_t row);
// The maker's layout: herd mark, tag number and decimal EID by name; with five columns or more
// the EID's user information, with six or more its retag counter too. RuntimeError (item not
// found) when the header lacks a column the layout reads.
std::optional<Tag> Maker(const CsvReader& file, std::size_t row);

}  // namespace TagBucketRows
