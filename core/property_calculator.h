// The property calculator: the one working area that all nine methods share. It holds
// the host's fluid and stream analysis for the current calculation, loads the fluid
// snapshot and the analysis once per calculation (on the FEED call), builds per-phase
// working records, strips non-condensable gases, and carries a few scalar results from
// phase call to phase call. Nothing here throws to a caller: operations return 1 or 0,
// or a pointer that is null on failure, also when the host raises an exception
// (core/host_call.h); what a failed load reset stays reset.
#pragma once

#include <cstdint>

#include "host/fluid.h"
#include "host/phase.h"
#include "host/records.h"

namespace volacor {

// Process-wide settings of the iterative searches.
inline constexpr int MaxIterations = 50;             // every iterative search
inline constexpr double IterationTolerance = 1e-5;   // API 5B1.2 residual, volume-ratio error
inline constexpr double SaturationTolerance = 1e-5;  // vapour fraction of a saturation
inline constexpr double RVPTolerance = 1e-4;         // chamber volume

// The one shared message buffer; ReportPhaseMessage formats into it.
inline constexpr int MESSAGE_BUFFER_SIZE = 256;
extern char messageBuffer[MESSAGE_BUFFER_SIZE];

class CPropertyCalculator {
public:
    CPropertyCalculator();
    virtual ~CPropertyCalculator();
    CPropertyCalculator(const CPropertyCalculator&) = delete;
    CPropertyCalculator& operator=(const CPropertyCalculator&) = delete;

    // 1 when snapshot, molecularWeights and molarFlow are valid. With reuseLoadedData
    // set it returns 1 at once; otherwise it resets and reloads from the host.
    int LoadFluidState();
    // 1 when analysis is valid; reuses as LoadFluidState does, but only an analysis
    // that was loaded: after a failed load it asks the host again.
    int LoadStreamAnalysis();
    // A named host array. copy 0: the calculator's own buffer, overwritten by the next
    // call. copy != 0: a new task-memory block of componentValueCount doubles the caller
    // frees with CoTaskMemFree. Null on failure.
    double* GetComponentArray(const char* name, int copy);
    // A working copy of source for phase: fresh task-memory composition arrays (the
    // caller frees them), source.composition[phase] as the overall composition, every
    // other value EMPTY_VALUE (presence flags -32767), reserved bytes zero.
    FluidSnapshot PreparePhaseWork(FluidSnapshot source, int32_t phase);
    // Zeroes non-condensable fractions (hydrogen, nitrogen, methane) below
    // removeNcMolePercent / 100 in work.composition[FEED] and renormalises it.
    void RemoveNonCondensables(const double* componentIds, const double* casNumbers,
                               FluidSnapshot work, double removeNcMolePercent);
    void ResetFluidState();
    void ResetStreamAnalysis();
    void ReleaseFluid();
    void ReleaseStreamAnalysis();

    // Mixes 100 moles of base (its composition[phase]) with a varying amount of added
    // (its overall composition) at 33 °F and 1 atm until the vapour fraction is target.
    // On success writes addedPerBase and returns the flashed mixture, whose arrays the
    // caller frees; on failure sets failed = 1 and returns a record without arrays.
    FluidSnapshot SaturateStream(FluidSnapshot base, FluidSnapshot added, double target,
                                 double& addedPerBase, const char* methodName, int32_t phase,
                                 int32_t& failed);

    // Fields, in this order; all public, as every method reads and writes them.
    IHostFluid* fluid = nullptr;                     // one reference while a calculation runs
    IHostStreamAnalysis* streamAnalysis = nullptr;   // one reference while a calculation runs
    StreamAnalysis analysis{};                       // last record LoadStreamAnalysis loaded
    FluidSnapshot snapshot{};                        // last snapshot LoadFluidState loaded
    int32_t reuseLoadedData = 0;                     // non-zero: the Load operations keep what they have
    bool tvpTooLarge = false;                        // error flag of the API 5B1.2 TVP equation
    double* molecularWeights = nullptr;              // n doubles, task memory
    double* componentValues = nullptr;               // GetComponentValues' buffer, task memory
    double dTvpdRvp = EMPTY_VALUE;                   // derivative of the API 5B1.2 TVP equation
    double molarFlow = EMPTY_VALUE;                  // element 0 of "MolarFlow"
    double bpRvpPsia = EMPTY_VALUE;                  // boiling-point-curve RVP of the last phase, psia
    double tvpPsia = EMPTY_VALUE;                    // TVP of the last phase, psia
    int32_t componentValueCount = 0;                 // doubles in componentValues
    bool analysisLoaded = false;                     // analysis holds what the host last gave
};

// The single calculator, alive from the library's load to its unload. Never null.
CPropertyCalculator* GetPropertyCalculator();

// Formats format (printf conventions; its first conversion is phaseName) into
// messageBuffer, cut to 255 bytes and always terminated, and passes it to AddMessage.
void ReportPhaseMessage(IHostFluidServices* services, const char* format, const char* phaseName, ...);

}  // namespace volacor
