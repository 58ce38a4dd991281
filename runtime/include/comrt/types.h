// Fixed-width types and the status codes that cross every component boundary.
#pragma once

#include <cstddef>
#include <cstdint>

using HRESULT = int32_t;
using BOOL = int32_t;
using ULONG = uint32_t;
using OLECHAR = char16_t;
using BSTR = OLECHAR*;

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const GUID&;
using REFCLSID = const GUID&;

constexpr bool operator==(const GUID& a, const GUID& b) noexcept {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

constexpr bool SUCCEEDED(HRESULT hr) noexcept { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) noexcept { return hr < 0; }

// One table of status codes; values are the platform's.
constexpr HRESULT S_OK = 0;                                          // success
constexpr HRESULT S_FALSE = 1;                                       // success, answer "no"
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);     // operation not implemented
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u); // interface not supported
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);     // null pointer argument
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);        // unspecified failure
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);  // call in a wrong state
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu); // allocation failed
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);  // argument malformed
constexpr HRESULT CONNECT_E_NOCONNECTION = static_cast<HRESULT>(0x80040200u); // client refused
constexpr HRESULT CONNECT_E_CANNOTCONNECT = static_cast<HRESULT>(0x80040202u); // unknown cookie
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);   // aggregation refused
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u); // class not served
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);     // class not registered
constexpr HRESULT REGDB_E_READREGDB = static_cast<HRESULT>(0x80040150u);       // registry unreadable or corrupt
constexpr HRESULT REGDB_E_WRITEREGDB = static_cast<HRESULT>(0x80040151u);      // registry not writable
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);        // registered library not loadable
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);         // library lacks its entry point
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);        // malformed class id text
constexpr HRESULT TYPE_E_ELEMENTNOTFOUND = static_cast<HRESULT>(0x8002802Bu);  // no such type information
