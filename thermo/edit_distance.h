// The Levenshtein distance between two names, ignoring ASCII case: what the messages
// that suggest the nearest known names rank by.
#pragma once

#include <cstddef>
#include <string_view>

namespace thermo {

std::size_t edit_distance_ignoring_case(std::string_view a, std::string_view b);

}  // namespace thermo
