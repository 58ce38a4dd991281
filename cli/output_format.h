// Output formats, named as the user types them.
#pragma once

#include <initializer_list>
#include <string>

#include "cli/errors.h"

namespace volacor::cli {

// Throws InputError unless `format` is one of `allowed`.
inline void CheckFormat(const std::string& format, std::initializer_list<const char*> allowed) {
    std::string list;
    std::size_t i = 0;
    for (const char* name : allowed) {
        if (format == name) return;
        list += (i == 0 ? "" : i + 1 == allowed.size() ? " or " : ", ") + std::string(name);
        ++i;
    }
    throw InputError("The output format '" + format + "' is not known here; use " + list + ".");
}

}  // namespace volacor::cli
