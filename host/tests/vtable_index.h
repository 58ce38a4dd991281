// The absolute vtable index of a virtual operation, read from its member pointer.
// Under the Itanium C++ ABI (g++ on x86-64) a pointer to a virtual member function
// holds 1 + the byte offset of its slot in the vtable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

template <class F>
std::ptrdiff_t VtableIndex(F memberFunction) {
    struct Raw {
        std::uintptr_t ptr;
        std::ptrdiff_t adjust;
    } raw;
    static_assert(sizeof(F) == sizeof(Raw));
    std::memcpy(&raw, &memberFunction, sizeof raw);
    if ((raw.ptr & 1u) == 0) return -1;  // not virtual
    return static_cast<std::ptrdiff_t>((raw.ptr - 1) / sizeof(void*));
}
