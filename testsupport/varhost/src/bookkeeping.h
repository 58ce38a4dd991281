// What the test variable server counts and which failures a test switched on.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "comrt/types.h"

namespace varhost {

// Counts the call, then answers the failure a test asked for, or S_OK.
HRESULT Enter(const char* operation);
// Counts the call and keeps its int32 argument, then answers as Enter does.
HRESULT EnterWithInt(const char* operation, int32_t argument);

int32_t LiveObjects();

// Base of every object of the server: counts it alive from construction to destruction.
class Counted {
public:
    Counted();
    Counted(const Counted&);
    ~Counted();
    Counted& operator=(const Counted&) = default;
};

// The reference count every object of the server uses.
class ReferenceCount {
public:
    ReferenceCount() = default;
    ReferenceCount(const ReferenceCount&) {}  // a copy is a new object: one reference
    ReferenceCount& operator=(const ReferenceCount&) = delete;
    ULONG Add() { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
    // True when the count reached zero and the object must go.
    bool Drop(ULONG& left) {
        left = count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        return left == 0;
    }

private:
    std::atomic<ULONG> count_{1};  // the creator's reference
};

}  // namespace varhost
