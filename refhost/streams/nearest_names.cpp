#include "refhost/streams/nearest_names.h"

#include <algorithm>
#include <cctype>

namespace refhost {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

std::size_t EditDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            const std::size_t change = Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1;
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + change});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::vector<std::string> NearestNames(std::string_view wanted, const std::vector<NamedCandidate>& candidates,
                                      std::size_t count) {
    std::vector<std::pair<std::size_t, std::size_t>> ranked;  // distance, candidate index
    ranked.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i)
        ranked.emplace_back(EditDistance(wanted, candidates[i].spelling), i);
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
