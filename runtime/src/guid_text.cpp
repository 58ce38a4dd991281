// Class ids as registry text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include <cstring>

#include "comrt/guid.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Where each of the 16 bytes sits in the text, as the offset of its first digit, in
// the order Data1 (big end first), Data2, Data3, Data4[0..7].
constexpr int kByteOffsets[16] = {1, 3, 5, 7, 10, 12, 15, 17, 20, 22, 25, 27, 29, 31, 33, 35};
constexpr int kDashOffsets[4] = {9, 14, 19, 24};

void ToBytes(const GUID& guid, uint8_t bytes[16]) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(guid.Data1 >> (24 - 8 * i));
    bytes[4] = static_cast<uint8_t>(guid.Data2 >> 8);
    bytes[5] = static_cast<uint8_t>(guid.Data2);
    bytes[6] = static_cast<uint8_t>(guid.Data3 >> 8);
    bytes[7] = static_cast<uint8_t>(guid.Data3);
    std::memcpy(bytes + 8, guid.Data4, 8);
}

GUID FromBytes(const uint8_t bytes[16]) {
    GUID guid{};
    for (int i = 0; i < 4; ++i) guid.Data1 = (guid.Data1 << 8) | bytes[i];
    guid.Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    guid.Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
    std::memcpy(guid.Data4, bytes + 8, 8);
    return guid;
}

// Writes the 38 characters (no terminator) through put(index, char).
template <class Put>
void Format(const GUID& guid, Put put) {
    uint8_t bytes[16];
    ToBytes(guid, bytes);
    put(0, '{');
    for (int offset : kDashOffsets) put(offset, '-');
    put(GUID_STRING_CHARS - 1, '}');
    for (int i = 0; i < 16; ++i) {
        put(kByteOffsets[i], kHexDigits[bytes[i] >> 4]);
        put(kByteOffsets[i] + 1, kHexDigits[bytes[i] & 0xF]);
    }
}

int HexValue(uint32_t c) {
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<int>(c - 'a' + 10);
    return -1;
}

// Parses exactly 38 characters followed by a terminating zero. Reading stops at the
// first zero, so a short text is never overrun.
template <class Char>
bool Parse(const Char* text, GUID* guid) {
    for (int i = 0; i < GUID_STRING_CHARS; ++i)
        if (text[i] == 0) return false;
    if (text[GUID_STRING_CHARS] != 0) return false;
    if (text[0] != '{' || text[GUID_STRING_CHARS - 1] != '}') return false;
    for (int offset : kDashOffsets)
        if (text[offset] != '-') return false;
    uint8_t bytes[16];
    for (int i = 0; i < 16; ++i) {
        const int high = HexValue(static_cast<uint32_t>(text[kByteOffsets[i]]));
        const int low = HexValue(static_cast<uint32_t>(text[kByteOffsets[i] + 1]));
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<uint8_t>(high << 4 | low);
    }
    *guid = FromBytes(bytes);
    return true;
}

template <class Char>
HRESULT ParseInto(const Char* text, GUID* guid) {
    if (!guid) return E_POINTER;
    *guid = GUID{};
    if (!text || !Parse(text, guid)) {
        *guid = GUID{};
        return CO_E_CLASSSTRING;
    }
    return S_OK;
}

}  // namespace

extern "C" {

int32_t StringFromGUID2(const GUID& guid, OLECHAR* buffer, int32_t cch) {
    if (!buffer || cch < GUID_STRING_CHARS + 1) return 0;
    Format(guid, [buffer](int i, char c) { buffer[i] = static_cast<OLECHAR>(c); });
    buffer[GUID_STRING_CHARS] = u'\0';
    return GUID_STRING_CHARS + 1;
}

HRESULT CLSIDFromString(const OLECHAR* text, GUID* guid) { return ParseInto(text, guid); }

HRESULT comrt_GuidToString(const GUID& guid, char* buffer, size_t length) {
    if (!buffer) return E_POINTER;
    if (length < static_cast<size_t>(GUID_STRING_CHARS) + 1) return E_INVALIDARG;
    Format(guid, [buffer](int i, char c) { buffer[i] = c; });
    buffer[GUID_STRING_CHARS] = '\0';
    return S_OK;
}

HRESULT comrt_StringToGuid(const char* text, GUID* guid) {
    return ParseInto(reinterpret_cast<const unsigned char*>(text), guid);
}

}  // extern "C"
