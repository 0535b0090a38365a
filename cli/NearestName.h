#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvetro {

// The one of Names that Given most likely meant to be: the nearest by edit
// distance (a letter added, dropped, changed, or two swapped), when it is at
// most two edits away and no other name is as near. "--infoo" gives
// "--info"; "--speed" gives nothing.
std::optional<std::string> NearestName(std::string_view Given,
                                       const std::vector<std::string>& Names);

}  // namespace kvetro
