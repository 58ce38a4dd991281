// The host's fluid, stream-analysis and flash services as the RVP methods use them.
// Slot numbers are absolute vtable indices (0 = QueryInterface). Narrow strings are
// zero-terminated Windows-1252 text.
#pragma once

#include "comrt/unknown.h"
#include "host/records.h"

namespace volacor {

// IID_IHostFluid {E660D4F5-08ED-4299-8DFA-852F08A85C31}
inline constexpr GUID IID_IHostFluid = {0xE660D4F5, 0x08ED, 0x4299, {0x8D, 0xFA, 0x85, 0x2F, 0x08, 0xA8, 0x5C, 0x31}};
// IID_IHostStreamAnalysis {3B89455D-5CCB-467F-851D-FB076DD6F279}
inline constexpr GUID IID_IHostStreamAnalysis = {0x3B89455D, 0x5CCB, 0x467F, {0x85, 0x1D, 0xFB, 0x07, 0x6D, 0xD6, 0xF2, 0x79}};
// IID_IHostFluidServices {D525EAC1-7A25-11D6-8051-0090271C82FF}
inline constexpr GUID IID_IHostFluidServices = {0xD525EAC1, 0x7A25, 0x11D6, {0x80, 0x51, 0x00, 0x90, 0x27, 0x1C, 0x82, 0xFF}};

struct IHostFluid : IUnknown {
    // Fills a named per-component array ("Molecular Weight", "MolarFlow",
    // "ComponentIDs", "CAS_Numbers"). *values is the caller's task-memory buffer (null the
    // first time), reused or reallocated by the host; *count gets the number of doubles.
    virtual HRESULT GetComponentValues(const char* name, int32_t* count, double** values) = 0; // 3
    // Fills a zeroed snapshot; its composition arrays are new task-memory blocks the caller frees.
    virtual HRESULT GetFluidSnapshot(FluidSnapshot* snapshot) = 0; // 4
};

struct IHostStreamAnalysis : IUnknown {
    virtual HRESULT Refresh() = 0;                             // 3: recompute from the stream
    // Fills a zeroed record; the caller frees the curveData and distillationCurve blocks.
    virtual HRESULT GetAnalysis(StreamAnalysis* analysis) = 0; // 4
};

struct IHostFluidServices : IUnknown {
    virtual HRESULT GetComponentCount(int32_t* count) = 0;           // 3
    virtual HRESULT GetComponentName(int32_t index, BSTR* name) = 0; // 4: new BSTR, caller frees
    virtual HRESULT GetFlashCount(int64_t* count) = 0;               // 5: flashes made so far
    virtual HRESULT ResetFlashCount() = 0;                           // 6
    virtual HRESULT GetLastFlashStatus(BSTR* text) = 0;              // 7: why the last flash failed, "" if it did not
    // Equilibrates the record in place at temperature and either pressure (with
    // phaseFraction[0] = EMPTY_VALUE) or vapour fraction phaseFraction[0] (with pressure
    // = EMPTY_VALUE). Fills pressure, phaseFraction, molarVolume (m³/kmol), phasePresent
    // and composition[0..3]; composition[FEED] is read, never changed.
    virtual HRESULT Flash(FluidSnapshot* fluid) = 0;  // 8
    virtual HRESULT AddMessage(const char* text) = 0; // 9: one line for the user
};

}  // namespace volacor
