// Code-page conversion between narrow text (Windows-1252 or UTF-8) and UTF-16.
#include "comrt/codepage.h"

#include <cstring>

#include "utf.h"
#include "windows1252.h"

namespace {

using comrt::detail::DecodeUtf16;
using comrt::detail::DecodeUtf8;
using comrt::detail::EncodeUtf16;
using comrt::detail::EncodeUtf8;
using comrt::detail::kReplacementChar;

enum class Narrow { Windows1252, Utf8, Unknown };

Narrow NarrowOf(uint32_t codePage) {
    if (codePage == CP_ACP || codePage == CP_1252) return Narrow::Windows1252;
    if (codePage == CP_UTF8) return Narrow::Utf8;
    return Narrow::Unknown;
}

// Narrow -> UTF-16 through emit(char16_t); false on malformed UTF-8.
template <class Emit>
bool NarrowToWide(Narrow code, const unsigned char* src, size_t len, Emit emit) {
    if (code == Narrow::Windows1252) {
        for (size_t i = 0; i < len; ++i) emit(comrt::detail::Windows1252ToUtf16(src[i]));
        return true;
    }
    for (size_t i = 0; i < len;) {
        char32_t cp;
        const size_t used = DecodeUtf8(src + i, len - i, &cp);
        if (used == 0) return false;
        char16_t units[2];
        const size_t count = EncodeUtf16(cp, units);
        for (size_t u = 0; u < count; ++u) emit(units[u]);
        i += used;
    }
    return true;
}

// UTF-16 -> narrow through emit(unsigned char). A character the code page lacks (or an
// unpaired surrogate) becomes fallback in Windows-1252 and U+FFFD in UTF-8; returns
// whether that happened.
template <class Emit>
bool WideToNarrow(Narrow code, const char16_t* src, size_t len, unsigned char fallback, Emit emit) {
    bool replaced = false;
    for (size_t i = 0; i < len;) {
        char32_t cp;
        bool paired;
        const size_t used = DecodeUtf16(src + i, len - i, &cp, &paired);
        i += used;
        if (code == Narrow::Windows1252) {
            unsigned char byte;
            if (used == 1 && comrt::detail::Utf16ToWindows1252(static_cast<char16_t>(cp), &byte)) {
                emit(byte);
            } else {
                emit(fallback);
                replaced = true;
            }
            continue;
        }
        if (!paired) {
            cp = kReplacementChar;
            replaced = true;
        }
        unsigned char bytes[4];
        const size_t count = EncodeUtf8(cp, bytes);
        for (size_t b = 0; b < count; ++b) emit(bytes[b]);
    }
    return replaced;
}

// The source length in units, -1 meaning "up to and including the terminating zero";
// false for other negative lengths and for an empty source.
template <class Char>
bool SourceLength(const Char* src, int32_t srcLen, size_t* len) {
    if (!src || srcLen == 0 || srcLen < -1) return false;
    if (srcLen == -1) {
        size_t n = 0;
        while (src[n] != 0) ++n;
        *len = n + 1;
    } else {
        *len = static_cast<size_t>(srcLen);
    }
    return true;
}

// Counts first and writes only when everything fits, so dst is never written past
// dstLen and never left holding a cut result.
template <class Out, class Produce>
int32_t CountThenWrite(Out* dst, int32_t dstLen, Produce produce) {
    if (dstLen < 0 || (dstLen > 0 && !dst)) return 0;
    size_t needed = 0;
    if (!produce([&needed](Out) { ++needed; })) return 0;
    if (needed > static_cast<size_t>(INT32_MAX)) return 0;
    if (dstLen == 0) return static_cast<int32_t>(needed);
    if (needed > static_cast<size_t>(dstLen)) return 0;
    size_t at = 0;
    produce([dst, &at](Out unit) { dst[at++] = unit; });
    return static_cast<int32_t>(needed);
}

}  // namespace

extern "C" {

int32_t MultiByteToWideChar(uint32_t codePage, uint32_t /*flags*/, const char* src, int32_t srcLen,
                            OLECHAR* dst, int32_t dstLen) {
    const Narrow code = NarrowOf(codePage);
    size_t len = 0;
    if (code == Narrow::Unknown || !SourceLength(src, srcLen, &len)) return 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(src);
    return CountThenWrite(dst, dstLen, [&](auto emit) { return NarrowToWide(code, bytes, len, emit); });
}

int32_t WideCharToMultiByte(uint32_t codePage, uint32_t /*flags*/, const OLECHAR* src, int32_t srcLen,
                            char* dst, int32_t dstLen, const char* defaultChar, BOOL* usedDefault) {
    if (usedDefault) *usedDefault = 0;
    const Narrow code = NarrowOf(codePage);
    size_t len = 0;
    if (code == Narrow::Unknown || !SourceLength(src, srcLen, &len)) return 0;
    const unsigned char fallback = defaultChar ? static_cast<unsigned char>(*defaultChar) : '?';
    bool replaced = false;
    const int32_t result = CountThenWrite(dst, dstLen, [&](auto emit) {
        replaced = WideToNarrow(code, src, len, fallback, [&emit](unsigned char b) { emit(static_cast<char>(b)); });
        return true;
    });
    if (usedDefault && result > 0) *usedDefault = replaced ? 1 : 0;
    return result;
}

}  // extern "C"

namespace comrt {

std::u16string AnsiToWide(std::string_view ansi) {
    std::u16string wide;
    wide.reserve(ansi.size());
    NarrowToWide(Narrow::Windows1252, reinterpret_cast<const unsigned char*>(ansi.data()), ansi.size(),
                 [&wide](char16_t c) { wide.push_back(c); });
    return wide;
}

std::string WideToAnsi(std::u16string_view wide) {
    std::string ansi;
    ansi.reserve(wide.size());
    WideToNarrow(Narrow::Windows1252, wide.data(), wide.size(), '?',
                 [&ansi](unsigned char b) { ansi.push_back(static_cast<char>(b)); });
    return ansi;
}

std::string WideToUtf8(std::u16string_view wide) {
    std::string utf8;
    utf8.reserve(wide.size());
    WideToNarrow(Narrow::Utf8, wide.data(), wide.size(), '?',
                 [&utf8](unsigned char b) { utf8.push_back(static_cast<char>(b)); });
    return utf8;
}

std::string AnsiToUtf8(std::string_view ansi) { return WideToUtf8(AnsiToWide(ansi)); }

std::u16string Utf8ToWide(std::string_view utf8) {
    // A malformed byte becomes U+FFFD and decoding goes on with the next byte: this
    // form has no failure to report, and dropping text silently would hide it.
    std::u16string wide;
    wide.reserve(utf8.size());
    const auto* src = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        size_t used = detail::DecodeUtf8(src + i, utf8.size() - i, &cp);
        if (used == 0) {
            cp = detail::kReplacementChar;
            used = 1;
        }
        char16_t units[2];
        const size_t count = detail::EncodeUtf16(cp, units);
        wide.append(units, count);
        i += used;
    }
    return wide;
}

}  // namespace comrt
