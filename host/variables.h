// The host's variable server ("varhost2.dll"): variable sets and real, vector and
// enumerated variables. Slot numbers are absolute vtable indices (0 = QueryInterface);
// slots the library does not name are the reference host's own, one line each.
// Wide strings passed in are BSTRs the caller owns; wide strings passed out are new
// BSTRs the caller frees.
#pragma once

#include "comrt/unknown.h"

namespace volacor {

// IID_IVariableSet {920F0C5F-A377-11D3-818B-00A0C9DF4274}
inline constexpr GUID IID_IVariableSet = {0x920F0C5F, 0xA377, 0x11D3, {0x81, 0x8B, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};
// CLSID_VariableSet {920F0C60-A377-11D3-818B-00A0C9DF4274}
inline constexpr GUID CLSID_VariableSet = {0x920F0C60, 0xA377, 0x11D3, {0x81, 0x8B, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};
// IID_IRealVariable {920F0C61-A377-11D3-818B-00A0C9DF4274}
inline constexpr GUID IID_IRealVariable = {0x920F0C61, 0xA377, 0x11D3, {0x81, 0x8B, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};
// CLSID_RealVariable {920F0C62-A377-11D3-818B-00A0C9DF4274}
inline constexpr GUID CLSID_RealVariable = {0x920F0C62, 0xA377, 0x11D3, {0x81, 0x8B, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};
// IID_IRealVectorVariable {2DAE6463-A829-11D3-8190-00A0C9DF4274}
inline constexpr GUID IID_IRealVectorVariable = {0x2DAE6463, 0xA829, 0x11D3, {0x81, 0x90, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};
// CLSID_RealVectorVariable {2DAE6464-A829-11D3-8190-00A0C9DF4274}
inline constexpr GUID CLSID_RealVectorVariable = {0x2DAE6464, 0xA829, 0x11D3, {0x81, 0x90, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};
// IID_IEnumeratedVariable {F06FFE26-A418-11D3-818C-00A0C9DF4274}
inline constexpr GUID IID_IEnumeratedVariable = {0xF06FFE26, 0xA418, 0x11D3, {0x81, 0x8C, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};
// IID_IHostVariable {0DF41F4F-1A67-4B4C-9747-EB28F6E297A0}
inline constexpr GUID IID_IHostVariable = {0x0DF41F4F, 0x1A67, 0x4B4C, {0x97, 0x47, 0xEB, 0x28, 0xF6, 0xE2, 0x97, 0xA0}};

// What every variable shares (the base of the three kinds; its IID is the project's own).
struct IHostVariable : IUnknown {
    virtual HRESULT GetTaggedName(BSTR* name) = 0;    // 3: the name the host finds it by
    virtual HRESULT SetTaggedName(BSTR name) = 0;     // 4
    virtual HRESULT GetDisplayName(BSTR* name) = 0;   // 5: the name shown to the user
    virtual HRESULT SetDisplayName(BSTR name) = 0;    // 6
    virtual HRESULT GetFlags(int32_t* mask) = 0;      // 7
    virtual HRESULT SetFlags(int32_t mask) = 0;       // 8: the host gives the bits their meaning
    virtual HRESULT GetUnits(BSTR* units) = 0;        // 9: unit text, empty when none
    virtual HRESULT SetUnits(BSTR units) = 0;         // 10
    virtual HRESULT IsEmpty(BOOL* empty) = 0;         // 11: TRUE while no value is set
    virtual HRESULT SetEmpty() = 0;                   // 12: forget the value(s)
    virtual HRESULT GetKind(int32_t* kind) = 0;       // 13: 0 real, 1 vector, 2 enumerated
    virtual HRESULT Duplicate(IUnknown** copy) = 0;   // 14: a new variable with the same names, flags and value
    virtual HRESULT CopyValueFrom(IUnknown* other) = 0; // 15: take another variable's value(s)
};

struct IRealVariable : IHostVariable {
    virtual HRESULT GetValue(double* value) = 0;      // 16: EMPTY_VALUE when not set
    virtual HRESULT SetValue(double value) = 0;       // 17
};

struct IRealVectorVariable : IHostVariable {
    virtual HRESULT GetLength(int32_t* length) = 0;   // 16
    virtual HRESULT SetElement(int32_t index, double value) = 0; // 17: grows the vector as needed
    virtual HRESULT GetElement(int32_t index, double* value) = 0; // 18: EMPTY_VALUE past the end
    virtual HRESULT SetLength(int32_t length) = 0;    // 19: new elements are EMPTY_VALUE
};

// A real variable whose values have texts (a choice list).
struct IEnumeratedVariable : IRealVariable {
    virtual HRESULT GetEnumCount(int32_t* count) = 0;              // 18
    virtual HRESULT GetEnumText(int32_t index, BSTR* text) = 0;    // 19
    virtual HRESULT SetEnumFlagA(int32_t flag) = 0;                // 20
    virtual HRESULT SetEnumFlagB(int32_t flag) = 0;                // 21
    virtual HRESULT SetEnumText(int32_t index, BSTR text) = 0;     // 22: index is 0-based
};

struct IVariableSet : IUnknown {
    virtual HRESULT GetCount(int32_t* count) = 0;                     // 3
    virtual HRESULT GetItem(int32_t index, IUnknown** variable) = 0;  // 4: 0-based, in order of addition
    virtual HRESULT Remove(BSTR taggedName) = 0;                      // 5: S_FALSE when absent
    virtual HRESULT Clear() = 0;                                      // 6
    virtual HRESULT Add(IUnknown* variable) = 0;                      // 7: the set keeps its own reference
    virtual HRESULT SetName(BSTR name) = 0;                           // 8
    virtual HRESULT GetName(BSTR* name) = 0;                          // 9
    virtual HRESULT IndexOf(BSTR taggedName, int32_t* index) = 0;     // 10: -1 and S_FALSE when absent
    virtual HRESULT CopyValuesFrom(IVariableSet* other) = 0;          // 11: values of same-named variables
    virtual HRESULT SetAllEmpty() = 0;                                // 12
    // A client's copy of this set: a null *location gets a new set holding duplicates of
    // this set's variables; a set already there receives the duplicates it lacks. Either
    // way the caller owns the one reference *location holds on success.
    virtual HRESULT Clone(IVariableSet** location) = 0;               // 13
    virtual HRESULT Contains(BSTR taggedName, BOOL* found) = 0;       // 14
    virtual HRESULT GetModified(BOOL* modified) = 0;                  // 15: a value changed since the last reset
    virtual HRESULT ResetModified() = 0;                              // 16
    virtual HRESULT FindVariable(BSTR taggedName, IUnknown** variable) = 0; // 17: one reference; S_FALSE/null when absent
};

}  // namespace volacor
