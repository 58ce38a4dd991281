// One-line owners for platform resources, so no bare free remains on a failing path.
#pragma once

#include <memory>

#include "comrt/library.h"
#include "comrt/memory.h"

namespace comrt {

struct TaskMemDeleter {
    void operator()(void* p) const noexcept { CoTaskMemFree(p); }
};
// Owns a task-memory block (CoTaskMemAlloc); frees it with CoTaskMemFree.
template <class T>
using TaskMemPtr = std::unique_ptr<T, TaskMemDeleter>;

struct BstrDeleter {
    void operator()(OLECHAR* p) const noexcept { SysFreeString(p); }
};
// Owns a BSTR; frees it with SysFreeString.
using UniqueBstr = std::unique_ptr<OLECHAR, BstrDeleter>;

struct LibraryDeleter {
    void operator()(comrt_module* m) const noexcept { FreeLibrary(m); }
};
// Owns one load of a module; releases it with FreeLibrary.
using UniqueLibrary = std::unique_ptr<comrt_module, LibraryDeleter>;

// Allocates n elements of T from task memory; null on failure or overflow.
template <class T>
T* TaskAlloc(size_t n) noexcept {
    if (n > static_cast<size_t>(-1) / sizeof(T)) return nullptr;
    return static_cast<T*>(CoTaskMemAlloc(n * sizeof(T)));
}

}  // namespace comrt
