#include "correlations/class_id_text.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "comrt/guid.h"

namespace volacor {
namespace {

void ReportAndStop(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", condition, file, line);
#ifndef NDEBUG
    std::abort();
#endif
}

std::atomic<AssertionHandler> currentHandler{&ReportAndStop};

void Fail(const char* condition, int line) {
    currentHandler.load(std::memory_order_acquire)(condition, __FILE__, line);
}

}  // namespace

AssertionHandler SetAssertionHandler(AssertionHandler handler) noexcept {
    return currentHandler.exchange(handler ? handler : &ReportAndStop, std::memory_order_acq_rel);
}

void ClassIdToString(const GUID& classId, char* buffer, size_t length) noexcept {
    // Checked in every build: a short buffer must never be written past its end.
    if (!(length >= CLSID_STRING_SIZE)) {
        Fail("length >= CLSID_STRING_SIZE", __LINE__);
        if (buffer && length > 0) buffer[0] = '\0';
        return;
    }
    const HRESULT hr = buffer ? comrt_GuidToString(classId, buffer, length) : E_POINTER;
    if (!SUCCEEDED(hr)) {
        Fail("SUCCEEDED(hr)", __LINE__);
        if (buffer) buffer[0] = '\0';
    }
}

}  // namespace volacor
