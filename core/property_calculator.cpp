// The shared calculation context: loading the host's fluid and stream analysis, named
// host arrays, per-phase working records and the removal of non-condensable gases.
#include "core/property_calculator.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "comrt/memory.h"
#include "comrt/owners.h"
#include "core/host_call.h"

namespace volacor {

char messageBuffer[MESSAGE_BUFFER_SIZE];

namespace {

// Built when the library is loaded, destroyed when it is unloaded.
CPropertyCalculator theCalculator;

// Host identifiers of the gases that never condense in a vapour-pressure test:
// hydrogen, nitrogen, methane (the host's component table numbers them 20, 13, 1).
constexpr double NON_CONDENSABLE_IDS[] = {20.0, 13.0, 1.0};
// Their CAS numbers without hyphens: 1333-74-0, 7727-37-9, 74-82-8.
constexpr double NON_CONDENSABLE_CAS[] = {1333740.0, 7727379.0, 74828.0};

bool IsNonCondensable(const double* componentIds, const double* casNumbers, int32_t i) {
    for (double id : NON_CONDENSABLE_IDS)
        if (componentIds && componentIds[i] == id) return true;
    for (double cas : NON_CONDENSABLE_CAS)
        if (casNumbers && casNumbers[i] == cas) return true;
    return false;
}

// "MolarFlow" is read for its element 0 only; every other host array is per component.
int32_t RequiredValueCount(const char* name, int32_t componentCount) {
    if (std::strcmp(name, "MolarFlow") == 0) return 1;
    return componentCount > 1 ? componentCount : 1;
}

// Length of format up to and including its first conversion ("%%" is text, not one);
// the whole length when it has none.
size_t FirstConversionEnd(const char* format) {
    const char* c = format;
    while (*c) {
        if (*c++ != '%') continue;
        if (*c == '%') {
            ++c;
            continue;
        }
        while (*c && std::strchr("-+ #0'", *c)) ++c;             // flags
        while (*c && std::strchr("0123456789*", *c)) ++c;        // width
        if (*c == '.') ++c;
        while (*c && std::strchr("0123456789*", *c)) ++c;        // precision
        while (*c && std::strchr("hlLqjzt", *c)) ++c;            // length modifier
        if (*c) ++c;                                             // conversion
        return static_cast<size_t>(c - format);
    }
    return static_cast<size_t>(c - format);
}

// The records are packed to 4 bytes, so their pointer and double members are reached
// by index, never bound to a reference (which would assume 8-byte alignment).
void FreeCompositions(FluidSnapshot& record) {
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        CoTaskMemFree(record.composition[p]);
        record.composition[p] = nullptr;
    }
}

}  // namespace

CPropertyCalculator::CPropertyCalculator() = default;

CPropertyCalculator::~CPropertyCalculator() {
    ReleaseFluid();
    ReleaseStreamAnalysis();
    CoTaskMemFree(componentValues);
    componentValues = nullptr;
    componentValueCount = 0;
    ResetFluidState();
    ResetStreamAnalysis();
}

CPropertyCalculator* GetPropertyCalculator() { return &theCalculator; }

int CPropertyCalculator::LoadFluidState() {
    if (!fluid) return 0;
    if (reuseLoadedData) return 1;
    ResetFluidState();

    // Whatever a failed load brought in is dropped again, so the phase calls that reuse
    // this load find an empty snapshot (no phase present) rather than half a fluid.
    auto fail = [this] {
        ResetFluidState();
        return 0;
    };
    if (FAILED(GuardHostCall([this] { return fluid->GetFluidSnapshot(&snapshot); }))) return fail();
    const int32_t n = snapshot.componentCount;
    if (n <= 0 || !snapshot.composition[FEED]) return fail();

    molecularWeights = comrt::TaskAlloc<double>(static_cast<size_t>(n));
    if (!molecularWeights) return fail();
    const double* weights = GetComponentArray("Molecular Weight", 0);
    if (!weights) return fail();
    std::memcpy(molecularWeights, weights, sizeof(double) * static_cast<size_t>(n));

    const double* flows = GetComponentArray("MolarFlow", 0);
    if (!flows) return fail();
    molarFlow = flows[0];
    return 1;
}

int CPropertyCalculator::LoadStreamAnalysis() {
    if (!streamAnalysis) return 0;
    // Reuse keeps a valid analysis only: after a failed load the record is all zero, and
    // its boiling-point-curve RVP of 0 kPa would pass for a result. Load again instead.
    if (reuseLoadedData && analysisLoaded) return 1;
    ResetStreamAnalysis();
    if (FAILED(GuardHostCall([this] { return streamAnalysis->GetAnalysis(&analysis); }))) {
        ResetStreamAnalysis();  // frees any block a failing host handed over
        return 0;
    }
    analysisLoaded = true;
    return 1;
}

double* CPropertyCalculator::GetComponentArray(const char* name, int copy) {
    if (!fluid || !name) return nullptr;
    if (FAILED(GuardHostCall([&] { return fluid->GetComponentValues(name, &componentValueCount, &componentValues); })))
        return nullptr;
    // A short array is as good as none: nothing past what the host filled is ever read.
    if (!componentValues || componentValueCount < RequiredValueCount(name, snapshot.componentCount))
        return nullptr;
    if (!copy) return componentValues;

    const size_t count = static_cast<size_t>(componentValueCount);
    double* block = comrt::TaskAlloc<double>(count);
    if (!block) return nullptr;
    std::memcpy(block, componentValues, sizeof(double) * count);
    return block;
}

FluidSnapshot CPropertyCalculator::PreparePhaseWork(FluidSnapshot source, int32_t phase) {
    FluidSnapshot work{};
    work.temperature = source.temperature;
    work.pressure = source.pressure;
    work.componentCount = source.componentCount;
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        work.phasePropertyA[p] = EMPTY_VALUE;
        work.phasePropertyB[p] = EMPTY_VALUE;
        work.phasePropertyC[p] = EMPTY_VALUE;
        work.molarVolume[p] = EMPTY_VALUE;
    }
    for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p) {
        work.phaseFraction[p] = EMPTY_VALUE;
        work.phasePresent[p] = -32767;
    }

    // Without a phase composition to cut there is no working fluid: the record keeps
    // no arrays, and the caller's flash fails on it instead of reading garbage.
    const int32_t n = source.componentCount;
    if (n <= 0 || phase < 0 || phase >= PHASE_COUNT || !source.composition[phase]) return work;
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        double* array = comrt::TaskAlloc<double>(static_cast<size_t>(n));
        if (!array) {
            FreeCompositions(work);
            return work;
        }
        for (int32_t i = 0; i < n; ++i) array[i] = EMPTY_VALUE;
        work.composition[p] = array;
    }
    std::memcpy(work.composition[FEED], source.composition[phase], sizeof(double) * static_cast<size_t>(n));
    return work;
}

void CPropertyCalculator::RemoveNonCondensables(const double* componentIds, const double* casNumbers,
                                                FluidSnapshot work, double removeNcMolePercent) {
    double* x = work.composition[FEED];
    const int32_t n = work.componentCount;
    if (!x || n <= 0) return;
    const double threshold = removeNcMolePercent / 100.0;  // mole fraction
    auto removed = [&](int32_t i) { return IsNonCondensable(componentIds, casNumbers, i) && x[i] < threshold; };

    double sum = 0.0;
    for (int32_t i = 0; i < n; ++i)
        if (!removed(i)) sum += x[i];
    // Nothing would remain to normalise by: keep the fluid as it came.
    if (sum == 0.0) return;

    for (int32_t i = 0; i < n; ++i)
        if (removed(i)) x[i] = 0.0;
    for (int32_t i = 0; i < n; ++i) x[i] /= sum;
}

void CPropertyCalculator::ResetFluidState() {
    CoTaskMemFree(molecularWeights);
    molecularWeights = nullptr;
    molarFlow = EMPTY_VALUE;
    bpRvpPsia = EMPTY_VALUE;
    tvpPsia = EMPTY_VALUE;
    FreeCompositions(snapshot);
    snapshot = FluidSnapshot{};
}

void CPropertyCalculator::ResetStreamAnalysis() {
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        CoTaskMemFree(analysis.curveData[p]);
        analysis.curveData[p] = nullptr;
        CoTaskMemFree(analysis.distillationCurve[p]);
        analysis.distillationCurve[p] = nullptr;
    }
    analysis = StreamAnalysis{};
    analysisLoaded = false;
}

void CPropertyCalculator::ReleaseFluid() {
    if (fluid) fluid->Release();
    fluid = nullptr;
}

void CPropertyCalculator::ReleaseStreamAnalysis() {
    if (streamAnalysis) streamAnalysis->Release();
    streamAnalysis = nullptr;
}

void ReportPhaseMessage(IHostFluidServices* services, const char* format, const char* phaseName, ...) {
    if (!format) return;
    if (!phaseName) phaseName = "";
    // The phase name is a named parameter, so the format is printed in two pieces: up to
    // and including its first conversion with the phase name, then the rest with the
    // further values. Both pieces are cut at the buffer's end and stay terminated.
    const size_t headLength = FirstConversionEnd(format);
    int written = 0;
    try {
        const std::string head(format, headLength);
        written = std::snprintf(messageBuffer, MESSAGE_BUFFER_SIZE, head.c_str(), phaseName);
    } catch (...) {
        written = -1;
    }
    if (written < 0) messageBuffer[0] = '\0';
    if (written >= 0 && written < MESSAGE_BUFFER_SIZE - 1 && format[headLength]) {
        va_list values;
        va_start(values, phaseName);
        std::vsnprintf(messageBuffer + written, static_cast<size_t>(MESSAGE_BUFFER_SIZE - written),
                       format + headLength, values);
        va_end(values);
    }
    messageBuffer[MESSAGE_BUFFER_SIZE - 1] = '\0';
    HostAddMessage(services, messageBuffer);
}

}  // namespace volacor
