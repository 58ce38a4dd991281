// Wide strings in and out of the variable server.
#pragma once

#include <string>

#include "comrt/memory.h"

namespace varhost {

inline std::u16string FromBstr(BSTR text) { return text ? std::u16string(text, SysStringLen(text)) : std::u16string(); }

// A new BSTR the caller frees; E_POINTER for a null out, E_OUTOFMEMORY.
inline HRESULT ToBstr(const std::u16string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<uint32_t>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace varhost
