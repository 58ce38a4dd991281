#include "utf.h"

namespace comrt::detail {

size_t DecodeUtf8(const unsigned char* src, size_t len, char32_t* cp) noexcept {
    if (len == 0) return 0;
    const unsigned char lead = src[0];
    size_t need;
    char32_t value;
    char32_t minimum;  // the smallest value this length may carry; below it is overlong
    if (lead < 0x80) {
        *cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        need = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        need = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        need = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (len < need) return 0;
    for (size_t i = 1; i < need; ++i) {
        if ((src[i] & 0xC0) != 0x80) return 0;
        value = (value << 6) | (src[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *cp = value;
    return need;
}

size_t DecodeUtf16(const char16_t* src, size_t len, char32_t* cp, bool* paired) noexcept {
    const char16_t first = src[0];
    *paired = true;
    if (first >= 0xD800 && first <= 0xDBFF && len >= 2 && src[1] >= 0xDC00 && src[1] <= 0xDFFF) {
        *cp = 0x10000 + ((char32_t{first} - 0xD800) << 10) + (char32_t{src[1]} - 0xDC00);
        return 2;
    }
    if (first >= 0xD800 && first <= 0xDFFF) *paired = false;
    *cp = first;
    return 1;
}

size_t EncodeUtf8(char32_t cp, unsigned char out[4]) noexcept {
    if (cp < 0x80) {
        out[0] = static_cast<unsigned char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
    out[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    return 4;
}

size_t EncodeUtf16(char32_t cp, char16_t out[2]) noexcept {
    if (cp < 0x10000) {
        out[0] = static_cast<char16_t>(cp);
        return 1;
    }
    const char32_t offset = cp - 0x10000;
    out[0] = static_cast<char16_t>(0xD800 + (offset >> 10));
    out[1] = static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
    return 2;
}

}  // namespace comrt::detail
