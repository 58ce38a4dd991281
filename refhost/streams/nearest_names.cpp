#include "refhost/streams/nearest_names.h"

#include <algorithm>

#include "thermo/edit_distance.h"

namespace refhost {

std::vector<std::string> NearestNames(std::string_view wanted, const std::vector<NamedCandidate>& candidates,
                                      std::size_t count) {
    std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distance, candidate index
    ranked.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i)
        ranked.emplace_back(thermo::edit_distance_ignoring_case(wanted, candidates[i].spelling), i);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::string> names;
    for (const auto& [distance, index] : ranked) {
        if (names.size() == count) break;
        const std::string& shown = candidates[index].shown;
        if (std::find(names.begin(), names.end(), shown) == names.end()) names.push_back(shown);
    }
    return names;
}

}  // namespace refhost
