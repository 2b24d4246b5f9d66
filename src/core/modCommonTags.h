#pragma once
#include <array>
#include <string>

// Visual eartag numbers: the same shape for every tag (a prefix, the herd or flock mark, and
// the animal's own number) and a numeric key that lists animals in the order of their
// numbers. Both follow the program-wide current species.
namespace modCommon {

// Index 0 the prefix, index 1 the number; either may be empty. A tag is stored as the prefix,
// a blank and the number (the prefix alone when the number is empty).
std::array<std::string, 2> SplitTag(const std::string& tag);
// The key kept in Animals.TagSort; 0 when the number holds no digit. The second form reads
// the tag by the rules of the species given, for a row of another species than the current.
int GetTagSortFromTag(const std::string& tag);
int GetTagSortFromTag(const std::string& tag, int species);

}  // namespace modCommon
