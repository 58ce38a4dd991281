// The opening every method's per-phase calculation shares.
#include "core/phase_work.h"

#include <cmath>

#include "comrt/memory.h"
#include "core/host_call.h"

namespace volacor {
namespace {

// The record is packed to 4 bytes: its pointers are reached by index, never by reference.
void ForgetCompositions(FluidSnapshot& record) noexcept {
    for (int32_t p = 0; p < PHASE_COUNT; ++p) record.composition[p] = nullptr;
}

bool Holds(const FluidSnapshot& record, const double* array) noexcept {
    for (int32_t p = 0; p < PHASE_COUNT; ++p)
        if (record.composition[p] == array) return true;
    return false;
}

}  // namespace

WorkingRecord::WorkingRecord() noexcept : record_{} {}

WorkingRecord::WorkingRecord(WorkingRecord&& other) noexcept : record_(other.record_) {
    ForgetCompositions(other.record_);
}

WorkingRecord& WorkingRecord::operator=(WorkingRecord&& other) noexcept {
    if (this != &other) {
        reset(other.record_);
        ForgetCompositions(other.record_);
    }
    return *this;
}

void WorkingRecord::reset(const FluidSnapshot& record) noexcept {
    // Taking over a record that shares an array with the current one must not free it.
    const FluidSnapshot old = record_;
    record_ = record;
    for (int32_t p = 0; p < PHASE_COUNT; ++p)
        if (old.composition[p] && !Holds(record_, old.composition[p])) CoTaskMemFree(old.composition[p]);
}

void WorkingRecord::Free() noexcept {
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        CoTaskMemFree(record_.composition[p]);
        record_.composition[p] = nullptr;
    }
}

ServicesPtr QueryServices(CPropertyCalculator& calc) {
    ServicesPtr services;
    if (!calc.fluid) return services;
    IHostFluid* fluid = calc.fluid;
    if (FAILED(GuardHostCall([&] { return fluid->QueryInterface(IID_IHostFluidServices, services.put_void()); })))
        services.reset();
    return services;
}

bool LoadPhase(CPropertyCalculator& calc, int32_t phase) {
    if (!calc.LoadFluidState() || !calc.LoadStreamAnalysis()) return false;
    if (phase < 0 || phase >= PHASE_COUNT) return false;
    if (phase != FEED && calc.snapshot.phasePresent[phase] == 0) return false;
    // A phase cut from nothing is a failed load, never a read through null.
    return calc.snapshot.componentCount > 0 && calc.snapshot.composition[phase] != nullptr;
}

void StripNonCondensables(CPropertyCalculator& calc, FluidSnapshot& work, double removeNcMolePercent) {
    // An array with fewer values than the working record has components identifies
    // nothing, exactly like a missing one.
    auto fetch = [&](const char* name) {
        ComponentArray values(calc.GetComponentArray(name, 1));
        if (calc.componentValueCount < work.componentCount) values.reset();
        return values;
    };
    const ComponentArray componentIds = fetch("ComponentIDs");
    const ComponentArray casNumbers = fetch("CAS_Numbers");
    calc.RemoveNonCondensables(componentIds.get(), casNumbers.get(), work, removeNcMolePercent);
}

void NormaliseUnlessZero(double* x, int32_t n) {
    double sum = 0.0;
    for (int32_t k = 0; k < n; ++k) sum += x[k];
    if (sum != 0.0)
        for (int32_t k = 0; k < n; ++k) x[k] /= sum;
}

bool IsSingleComponent(const FluidSnapshot& work) {
    const double* x = work.composition[FEED];
    if (!x) return false;
    for (int32_t i = 0; i < work.componentCount; ++i)
        if (std::fabs(x[i] - 1.0) < 1e-5) return true;
    return false;
}

}  // namespace volacor
