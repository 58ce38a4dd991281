// The opening that every method's per-phase calculation shares, and owners that free
// what a phase call holds on every path out.
#pragma once

#include <utility>

#include "comrt/com_ptr.h"
#include "comrt/owners.h"
#include "core/property_calculator.h"

namespace volacor {

using ServicesPtr = comrt::ComPtr<IHostFluidServices>;
// A copied host array from GetComponentArray(name, 1); freed with CoTaskMemFree.
using ComponentArray = comrt::TaskMemPtr<double>;

// Owns a working record built by PreparePhaseWork (or SaturateStream) and frees its
// five composition arrays when it goes out of scope or is replaced.
class WorkingRecord {
public:
    WorkingRecord() noexcept;
    explicit WorkingRecord(const FluidSnapshot& record) noexcept : record_(record) {}
    WorkingRecord(const WorkingRecord&) = delete;
    WorkingRecord& operator=(const WorkingRecord&) = delete;
    WorkingRecord(WorkingRecord&& other) noexcept;
    WorkingRecord& operator=(WorkingRecord&& other) noexcept;
    ~WorkingRecord() { Free(); }

    FluidSnapshot& get() noexcept { return record_; }
    const FluidSnapshot& get() const noexcept { return record_; }
    FluidSnapshot* operator->() noexcept { return &record_; }
    FluidSnapshot* ptr() noexcept { return &record_; }

    // Frees the arrays held and takes over record's.
    void reset(const FluidSnapshot& record) noexcept;
    // Frees the five composition arrays and nulls them.
    void Free() noexcept;

private:
    FluidSnapshot record_;
};

// The fluid's IHostFluidServices; empty when there is no fluid or the query fails (or raises).
ServicesPtr QueryServices(CPropertyCalculator& calc);

// Loads the phase: LoadFluidState, LoadStreamAnalysis, and the presence check for a phase
// other than FEED. False means: return EMPTY_VALUE without a message.
bool LoadPhase(CPropertyCalculator& calc, int32_t phase);

// Fetches copies of "ComponentIDs" and "CAS_Numbers", removes the
// non-condensables from work's overall composition, and frees both copies.
void StripNonCondensables(CPropertyCalculator& calc, FluidSnapshot& work, double removeNcMolePercent);

// Sets a record up for a bubble-point request at temperature_C: pressure EMPTY_VALUE,
// vapour fraction vapourFraction.
inline void SetBubblePointRequest(FluidSnapshot& work, double temperature_C, double vapourFraction = 0.0) {
    work.pressure = EMPTY_VALUE;
    work.phaseFraction[0] = vapourFraction;
    work.temperature = temperature_C;
}

// Divides the n values of x by their sum, unless the sum is exactly 0 (then they stay as
// they are): the overall composition of a mixture made up from amounts.
void NormaliseUnlessZero(double* x, int32_t n);

// True when one component of the record's overall composition is within 1e-5 of 1.
bool IsSingleComponent(const FluidSnapshot& work);

// The line written, unformatted and without a phase prefix, when a phase is one component.
inline constexpr const char* SINGLE_COMPONENT_LINE = "Fluid has only one active component - returning TVP as RVP";

}  // namespace volacor
