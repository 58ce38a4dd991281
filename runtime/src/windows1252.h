// Windows-1252 <-> UTF-16, one character at a time.
#pragma once

#include <cstdint>

namespace comrt::detail {

// The UTF-16 character of a Windows-1252 byte. Bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) give the C1 control of the same value, as the
// platform's own conversion does.
char16_t Windows1252ToUtf16(unsigned char byte) noexcept;

// The Windows-1252 byte of a UTF-16 character; false when the code page has none.
bool Utf16ToWindows1252(char16_t ch, unsigned char* byte) noexcept;

}  // namespace comrt::detail
