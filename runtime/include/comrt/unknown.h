// The three root interfaces of the binary convention: IUnknown, IClassFactory, IDispatch.
// Interfaces are abstract classes with pure virtual operations in their documented
// order, no virtual destructor and no data: the vtable is the operation table.
#pragma once

#include "comrt/types.h"

// IUnknown {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// IClassFactory {00000001-0000-0000-C000-000000000046}
inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// IDispatch {00020400-0000-0000-C000-000000000046}
inline constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct IUnknown {
    virtual HRESULT QueryInterface(const GUID& iid, void** out) = 0; // 0
    virtual ULONG AddRef() = 0;                                       // 1
    virtual ULONG Release() = 0;                                      // 2
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** out) = 0; // 3
    virtual HRESULT LockServer(BOOL lock) = 0;                                       // 4
};

// Opaque automation types: IDispatch's operations are present so the vtable has its
// slots; the library answers them with E_NOTIMPL or the type information it has.
struct ITypeInfo;
struct DISPPARAMS;
struct VARIANT;
struct EXCEPINFO;
using DISPID = int32_t;
using LCID = uint32_t;

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(uint32_t* count) = 0;                               // 3
    virtual HRESULT GetTypeInfo(uint32_t index, LCID lcid, ITypeInfo** info) = 0;         // 4
    virtual HRESULT GetIDsOfNames(const GUID& iid, OLECHAR** names, uint32_t count, LCID lcid,
                                  DISPID* ids) = 0;                                        // 5
    virtual HRESULT Invoke(DISPID id, const GUID& iid, LCID lcid, uint16_t flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, uint32_t* argError) = 0; // 6
};
