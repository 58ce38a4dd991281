// A material stream of the reference host: one object answering IHostFluid,
// IHostStreamAnalysis and IHostFluidServices over the thermodynamic engine.
//
//   auto stream = refhost::MaterialStream::Create(
//       thermo::Fluid::from_keys({"n-butane", "n-pentane", "nitrogen", "oxygen", "water"}),
//       {.name = "blend", .moleFractions = {0.3, 0.7, 0, 0, 0}});
//   correlation.Calculate(*stream);          // refhost/manager/correlation_manager.h
//
// The flash contract (IHostFluidServices::Flash): reads temperature (°C), then pressure
// (kPa) or, when the pressure is EMPTY_VALUE, the vapour fraction phaseFraction[0], and
// composition[FEED] (normalised when it does not add up to 1). Everything else in the
// record is ignored. On success it writes pressure, phaseFraction[0..3], molarVolume[0..3]
// and [FEED] (the whole fluid, m³/kmol), phasePresent[0..3] and composition[0..3]: vapour
// in VAP, hydrocarbon liquid in LIQ1, aqueous liquid in LIQ2; SOLID never forms; an absent
// phase has presence 0, fraction 0 and a zero composition. It never writes
// composition[FEED] and never reallocates the caller's arrays. A failed flash returns a
// failure status and leaves the record exactly as it was; GetLastFlashStatus says why.
//
// Messages given to AddMessage are kept as the library sent them (Windows-1252 bytes)
// until TakeMessages; MessagesUtf8 converts them for a person.
//
// A stream belongs to one thread at a time; the correlation manager serialises
// calculations. Its reference count is atomic, so it may be released anywhere.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "comrt/com_ptr.h"
#include "host/fluid.h"
#include "thermo/flasher.h"
#include "thermo/fluid.h"

namespace refhost {

// What a stream is: its conditions, amount and composition.
struct StreamState {
    std::string name;
    double temperature_C = 15.0;
    double pressure_kPa = 101.325;
    double molarFlow_kmol_h = 1.0;
    std::vector<double> moleFractions;  // one per component of the fluid, normalised on use
};

class MaterialStream final : public volacor::IHostFluid,
                             public volacor::IHostStreamAnalysis,
                             public volacor::IHostFluidServices {
public:
    // A new stream holding one reference for the caller. Throws std::invalid_argument
    // when the fractions do not match the fluid (count, negative, non-finite, zero sum)
    // or the conditions are not positive and finite.
    static comrt::ComPtr<MaterialStream> Create(thermo::Fluid fluid, StreamState state);

    const thermo::Fluid& fluid() const { return *fluid_; }
    const StreamState& state() const { return state_; }
    // New conditions or composition (validated as in Create); the cached analysis goes.
    void SetConditions(double temperature_C, double pressure_kPa);
    void SetMoleFractions(std::vector<double> moleFractions);

    // Which of VAP, LIQ1, LIQ2, SOLID the stream has at its own conditions (all false
    // when it cannot be flashed there).
    std::array<bool, 4> PresentPhases();

    // Message lines received since the last take, as sent (Windows-1252), and emptied.
    std::vector<std::string> TakeMessages();
    // The same lines converted to UTF-8.
    static std::vector<std::string> MessagesUtf8(const std::vector<std::string>& lines);

    // Host flashes made through Flash since creation or the last ResetFlashCount.
    int64_t flashCount() const { return flashCount_; }

    // IUnknown, shared by the three interfaces.
    HRESULT QueryInterface(const GUID& iid, void** out) override;
    ULONG AddRef() override;
    ULONG Release() override;
    // IHostFluid
    HRESULT GetComponentValues(const char* name, int32_t* count, double** values) override;
    HRESULT GetFluidSnapshot(volacor::FluidSnapshot* snapshot) override;
    // IHostStreamAnalysis
    HRESULT Refresh() override;
    HRESULT GetAnalysis(volacor::StreamAnalysis* analysis) override;
    // IHostFluidServices
    HRESULT GetComponentCount(int32_t* count) override;
    HRESULT GetComponentName(int32_t index, BSTR* name) override;
    HRESULT GetFlashCount(int64_t* count) override;
    HRESULT ResetFlashCount() override;
    HRESULT GetLastFlashStatus(BSTR* text) override;
    HRESULT Flash(volacor::FluidSnapshot* fluid) override;
    HRESULT AddMessage(const char* text) override;

private:
    struct Analysis;  // the cached stream analysis
    MaterialStream(thermo::Fluid fluid, StreamState state);
    ~MaterialStream();

    std::unique_ptr<const thermo::Fluid> fluid_;  // fixed address: the flasher refers to it
    StreamState state_;
    thermo::Flasher flasher_;
    thermo::FlashResult work_;  // reused by every flash
    std::unique_ptr<Analysis> analysis_;
    std::vector<std::string> messages_;
    std::string lastFlashStatus_;
    int64_t flashCount_ = 0;
    // Relaxed increments suffice; the release that reaches zero orders the deletion.
    std::atomic<ULONG> references_{1};
};

}  // namespace refhost
