// The names closest to a mistyped one, for messages that suggest what was meant.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace refhost {

struct NamedCandidate {
    std::string spelling;  // compared with the wanted text
    std::string shown;     // what the message shows (several spellings may show one name)
};

// Up to `count` distinct shown names, nearest first (ties in candidate order).
std::vector<std::string> NearestNames(std::string_view wanted, const std::vector<NamedCandidate>& candidates,
                                      std::size_t count = 3);

}  // namespace refhost
