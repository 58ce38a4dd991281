// The library's object map: its nine classes in their registration order.
#pragma once

#include <span>

#include "server/object_map_entry.h"

namespace volacor {

std::span<ObjectMapEntry> LibraryObjectMap() noexcept;

}  // namespace volacor
