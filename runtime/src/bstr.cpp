// BSTR: a task-memory block holding the length in bytes (uint32_t), the characters and
// a terminating zero OLECHAR; the BSTR points at the first character.
#include <cstring>
#include <limits>

#include "comrt/memory.h"

namespace {

constexpr size_t kPrefixBytes = sizeof(uint32_t);
static_assert(kPrefixBytes % alignof(OLECHAR) == 0, "characters stay aligned after the prefix");

// Largest character count whose byte length still fits the uint32_t prefix.
constexpr uint32_t kMaxChars = std::numeric_limits<uint32_t>::max() / sizeof(OLECHAR);

unsigned char* BlockOf(BSTR text) { return reinterpret_cast<unsigned char*>(text) - kPrefixBytes; }

}  // namespace

extern "C" {

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t len) {
    if (len > kMaxChars) return nullptr;
    const uint32_t byteLen = len * static_cast<uint32_t>(sizeof(OLECHAR));
    const size_t blockBytes = kPrefixBytes + size_t{byteLen} + sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(CoTaskMemAlloc(blockBytes));
    if (!block) return nullptr;
    std::memcpy(block, &byteLen, kPrefixBytes);
    BSTR chars = reinterpret_cast<BSTR>(block + kPrefixBytes);
    // Without text the characters are zeroed rather than left uninitialised.
    if (text)
        std::memcpy(chars, text, byteLen);
    else
        std::memset(chars, 0, byteLen);
    chars[len] = u'\0';
    return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    size_t len = 0;
    while (text[len] != u'\0') {
        if (len == kMaxChars) return nullptr;
        ++len;
    }
    return SysAllocStringLen(text, static_cast<uint32_t>(len));
}

void SysFreeString(BSTR text) {
    if (text) CoTaskMemFree(BlockOf(text));
}

uint32_t SysStringByteLen(BSTR text) {
    if (!text) return 0;
    uint32_t byteLen = 0;
    std::memcpy(&byteLen, BlockOf(text), kPrefixBytes);
    return byteLen;
}

uint32_t SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

}  // extern "C"
