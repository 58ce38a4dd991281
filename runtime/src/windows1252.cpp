#include "windows1252.h"

namespace comrt::detail {
namespace {

// Bytes 0x80-0x9F; every other byte is the Unicode character of the same value.
// Source: the Unicode Consortium's mapping table for code page 1252 (MAPPINGS/VENDORS/
// MICSFT/WINDOWS/CP1252.TXT), with the five undefined bytes kept as C1 controls.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

}  // namespace

char16_t Windows1252ToUtf16(unsigned char byte) noexcept {
    if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
    return byte;
}

bool Utf16ToWindows1252(char16_t ch, unsigned char* byte) noexcept {
    // Outside 0x80-0x9F the low 256 characters are their own bytes; inside it only
    // the five undefined bytes come back from their C1 controls, found in the table.
    if (ch < 0x80 || (ch > 0x9F && ch <= 0xFF)) {
        *byte = static_cast<unsigned char>(ch);
        return true;
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == ch) {
            *byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

}  // namespace comrt::detail
