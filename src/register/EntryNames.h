#pragma once
#include <functional>
#include <string>

// The names of the side lists' entries (groups, locations, genders, breeds): at most
// EntryNames::Longest characters, and none the same as another entry's of its list.
namespace EntryNames {

constexpr int Longest = 50;

// Stores `name` as the name of a `kind` ("group", "location" ...) through `store`, which writes
// it unless other entries have it and gives how many do; or tells the keeper in plain words why
// it cannot be: too long (nothing stored), or in use. True when it was stored.
bool Accept(const std::string& kind, const std::string& name, const std::function<long()>& store);

}  // namespace EntryNames
