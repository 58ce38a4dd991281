// The correlation manager's side of a correlation object: the object's own interface
// ICorrelation, and the client and context objects through which a calculation finds
// its stream. Slot numbers are absolute vtable indices (0 = QueryInterface).
#pragma once

#include "comrt/unknown.h"
#include "host/variables.h"

namespace volacor {

// IID_ICorrelation {0BFE8550-E173-11D2-A62C-00A0C9DF4274}
inline constexpr GUID IID_ICorrelation = {0x0BFE8550, 0xE173, 0x11D2, {0xA6, 0x2C, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};
// IID_ICorrelationClient {0BFE8551-E173-11D2-A62C-00A0C9DF4274}
inline constexpr GUID IID_ICorrelationClient = {0x0BFE8551, 0xE173, 0x11D2, {0xA6, 0x2C, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};
// IID_ICorrelationContext {53B013CA-4C6E-4CF8-8EDE-2F1BABA94152}
inline constexpr GUID IID_ICorrelationContext = {0x53B013CA, 0x4C6E, 0x4CF8, {0x8E, 0xDE, 0x2F, 0x1B, 0xAB, 0xA9, 0x41, 0x52}};
// LIBID_CORRMANLib {2D54FBF0-5A42-11D3-A69B-00A0C9DF4274}
inline constexpr GUID LIBID_CORRMANLib = {0x2D54FBF0, 0x5A42, 0x11D3, {0xA6, 0x9B, 0x00, 0xA0, 0xC9, 0xDF, 0x42, 0x74}};

struct ICorrelationContext;

// Queried from the object the host gives to ICorrelation::Attach.
struct ICorrelationClient : IUnknown {
    // One reference to the client's current context for the caller; position is the
    // client's 0-based position in the correlation's list.
    virtual HRESULT GetContext(int32_t clientKey, ICorrelationContext** context, int32_t position) = 0; // 3
};

// The context of one calculation. Its IID is this project's own: nobody queries for it.
struct ICorrelationContext : IUnknown {
    // One reference to the material (answers IHostFluid and IHostStreamAnalysis).
    virtual HRESULT GetMaterial(IUnknown** material) = 0; // 3
    // 0: no calculation wanted now; any other value, or a failed call: calculate.
    virtual HRESULT GetActive(int32_t* active) = 0;      // 4
};

// A correlation object as the correlation manager drives it. Dual: slots 3 to 6 are
// IDispatch's, served from the host's type library CORRMANLib.
struct ICorrelation : IDispatch {
    virtual HRESULT get_Name(BSTR* name) = 0;              // 7: new BSTR, caller frees
    virtual HRESULT get_ClassId(BSTR* classId) = 0;        // 8: new BSTR, caller frees
    virtual HRESULT get_Attribute1(int32_t* value) = 0;    // 9
    virtual HRESULT get_Attribute2(int32_t* value) = 0;    // 10
    virtual HRESULT get_Attribute3(int32_t* value) = 0;    // 11
    virtual HRESULT get_Attribute4(int32_t* value) = 0;    // 12
    // Registers a client: *cookie gets its 1-based position; *setLocation gets (via
    // IVariableSet::Clone) the client's own result set, one reference kept by the object.
    virtual HRESULT Attach(IUnknown* client, int32_t clientKey, int32_t* cookie,
                           IVariableSet** setLocation) = 0; // 13
    virtual HRESULT Detach(int32_t cookie) = 0;             // 14
    virtual HRESULT Calculate(int32_t cookie) = 0;          // 15
    virtual HRESULT get_Parameters(IVariableSet** parameters) = 0; // 16: one reference for the caller
};

}  // namespace volacor
