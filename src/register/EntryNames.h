#pragma once
#include <string>

// The names of the side lists' entries (groups, locations, genders, breeds): at most
// EntryNames::Longest characters, and none the same as another entry's of its list.
namespace EntryNames {

constexpr int Longest = 50;

// Tells the keeper in plain words why `name` cannot be the name of a `kind` ("group",
// "location" ...): too long, or in use by `othersNamed` other entries. True when it can.
bool Accept(const std::string& kind, const std::string& name, long othersNamed);

}  // namespace EntryNames
