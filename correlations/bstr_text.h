// Narrow (ANSI code page) text to and from the wide strings the host takes and gives.
#pragma once

#include <string>
#include <string_view>

#include "comrt/owners.h"

namespace volacor {

// A new BSTR holding text converted from the ANSI code page; null when out of memory.
comrt::UniqueBstr AnsiToBstr(std::string_view text);

}  // namespace volacor
