// Code-page conversion. Narrow text inside components is Windows-1252 (the ANSI code
// page, CP_ACP); wide text is UTF-16. The five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value and back.
#pragma once

#include <string>
#include <string_view>

#include "comrt/types.h"

inline constexpr uint32_t CP_ACP = 0;      // the thread's ANSI code page: Windows-1252
inline constexpr uint32_t CP_1252 = 1252;
inline constexpr uint32_t CP_UTF8 = 65001;

extern "C" {
// Converts srcLen bytes (-1: up to and including the terminating zero) of code page
// codePage into dst. dstLen 0 asks for the length needed. Returns the characters written
// (or needed), 0 on failure: an unknown code page, an empty or null source, a buffer too
// small (then nothing at all is written), malformed UTF-8. flags are ignored.
int32_t MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* src, int32_t srcLen,
                            OLECHAR* dst, int32_t dstLen);
// The reverse. Characters without a byte in the code page become defaultChar (or '?')
// and set *usedDefault when it is given; in UTF-8 an unpaired surrogate becomes U+FFFD.
// Returns bytes written (or needed), 0 on failure.
int32_t WideCharToMultiByte(uint32_t codePage, uint32_t flags, const OLECHAR* src, int32_t srcLen,
                            char* dst, int32_t dstLen, const char* defaultChar, BOOL* usedDefault);
}

namespace comrt {
// Conveniences over the two functions above, for code that owns its strings.
std::u16string AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::u16string_view wide);
// Windows-1252 bytes to UTF-8, for hosts that print message lines on a terminal.
std::string AnsiToUtf8(std::string_view ansi);
std::string WideToUtf8(std::u16string_view wide);
std::u16string Utf8ToWide(std::string_view utf8);
}  // namespace comrt
