#include "cli/method_selection.h"

#include <algorithm>
#include <cctype>

#include "cli/errors.h"

namespace volacor::cli {
namespace {

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool Names(const MethodIdentity& method, std::string_view name) {
    if (SameText(method.shortName, name) || SameText(method.progId, name)) return true;
    // The version-dependent programmatic id: "Volacor.ASTM_D6377_16.1".
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == name.size()) return false;
    const std::string_view version = name.substr(dot + 1);
    const bool digits = std::all_of(version.begin(), version.end(),
                                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    return digits && SameText(method.progId, name.substr(0, dot));
}

}  // namespace

std::vector<MethodIdentity> SelectMethods(std::span<const MethodIdentity> all,
                                          const std::vector<std::string>& requested) {
    if (requested.empty()) return {all.begin(), all.end()};
    std::vector<bool> chosen(all.size(), false);
    for (const std::string& name : requested) {
        bool found = false;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (Names(all[i], name)) chosen[i] = found = true;
        }
        if (!found) {
            std::string known;
            for (const MethodIdentity& method : all) known += (known.empty() ? "" : ", ") + method.shortName;
            throw InputError("No method is called '" + name + "'; the methods are " + known +
                             " (or their programmatic ids, see 'volacor methods').");
        }
    }
    std::vector<MethodIdentity> selected;
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (chosen[i]) selected.push_back(all[i]);
    }
    return selected;
}

}  // namespace volacor::cli
