// Class ids and their registry text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// upper-case hexadecimal in braces, 38 characters.
#pragma once

#include "comrt/types.h"

inline constexpr int32_t GUID_STRING_CHARS = 38;  // without the terminating zero

extern "C" {
// Writes the registry text of guid and a terminating zero into buffer (cch characters).
// Returns the characters written including the zero, or 0 when the buffer is too small.
int32_t StringFromGUID2(const GUID& guid, OLECHAR* buffer, int32_t cch);
// Parses registry text (braces required, hexadecimal digits in either case).
// Malformed or null text gives CO_E_CLASSSTRING and leaves *guid zeroed; null guid E_POINTER.
HRESULT CLSIDFromString(const OLECHAR* text, GUID* guid);
// Narrow forms of the two: buffer must hold at least 39 bytes, else E_INVALIDARG.
HRESULT comrt_GuidToString(const GUID& guid, char* buffer, size_t length);
HRESULT comrt_StringToGuid(const char* text, GUID* guid);
}
