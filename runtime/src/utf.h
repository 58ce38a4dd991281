// UTF-8 and UTF-16 coding of Unicode code points.
#pragma once

#include <cstddef>
#include <cstdint>

namespace comrt::detail {

constexpr char32_t kReplacementChar = 0xFFFD;

// Decodes one code point of UTF-8 from src[0..len). Returns the bytes it used, or 0
// when the sequence is malformed (truncated, overlong, a surrogate, above U+10FFFF).
size_t DecodeUtf8(const unsigned char* src, size_t len, char32_t* cp) noexcept;
// Decodes one code point of UTF-16 from src[0..len). Returns the units it used (1 or
// 2); an unpaired surrogate uses 1 and gives *paired false.
size_t DecodeUtf16(const char16_t* src, size_t len, char32_t* cp, bool* paired) noexcept;
// Encodes cp (at most U+10FFFF, not a surrogate) into out; returns the bytes (1-4).
size_t EncodeUtf8(char32_t cp, unsigned char out[4]) noexcept;
// Encodes cp into out; returns the units (1 or 2).
size_t EncodeUtf16(char32_t cp, char16_t out[2]) noexcept;

}  // namespace comrt::detail
