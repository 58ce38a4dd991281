// The methods a command runs: all of them, or those the user names by short name or
// programmatic id.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "cli/outcome.h"

namespace volacor::cli {

// The methods of `all` that `requested` names, in the order of `all`; all of them when
// nothing is requested. A name matches a short name or a programmatic id, with or
// without its version (".1"), in any case. Throws InputError for a name that matches
// none, listing the short names.
std::vector<MethodIdentity> SelectMethods(std::span<const MethodIdentity> all,
                                          const std::vector<std::string>& requested);

}  // namespace volacor::cli
