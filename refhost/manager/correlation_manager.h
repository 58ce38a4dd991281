// The reference host's correlation manager: creates correlation objects (through the
// registry, or from a library file without registration), attaches material streams to
// them as clients, sets their parameters, calculates and hands back one RVP per phase
// with the messages of that calculation.
//
//   auto manager = refhost::CorrelationManager::FromLibrary("build/lib/libvolacor.so");
//   refhost::Correlation d6377 = manager.Create("d6377-16");
//   d6377.SetParameters({.vlRatio = 4.0});
//   refhost::CalculationResult r = d6377.Calculate(*stream);
//   if (r.ok() && r.Rvp(volacor::FEED)) print(*r.Rvp(volacor::FEED));
//   for (const std::string& line : r.messages) print(line);  // UTF-8
//
// Failures of the manager itself (a library that cannot be loaded, an unknown method,
// a class that cannot be created) throw CorrelationError. A calculation never throws
// for what the correlation reports: its status is in CalculationResult::status.
//
// Calculations are serialised process-wide (the library's calculator is shared by all
// its objects): Calculate may be called from any thread, one runs at a time. A
// Correlation itself belongs to the thread that created it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "comrt/com_ptr.h"
#include "host/correlation.h"
#include "host/phase.h"
#include "refhost/manager/method_table.h"

namespace refhost {

class MaterialStream;

// A failure of the manager, with the status that caused it (E_FAIL when none).
class CorrelationError : public std::runtime_error {
public:
    CorrelationError(const std::string& what, HRESULT status) : std::runtime_error(what), status_(status) {}
    HRESULT status() const noexcept { return status_; }

private:
    HRESULT status_;
};

// The correlation's user parameters. Unset members are left as they are by
// SetParameters; read back, an empty variable (or one the class lacks) is unset.
struct Parameters {
    std::optional<double> referenceTemperature_C = std::nullopt;  // "RVPRefTempValue"
    std::optional<double> removeNcMolePercent = std::nullopt;     // "RemoveNCmolPercent"
    std::optional<double> vlRatio = std::nullopt;                 // "VLRatioValue" (ASTM D6377-16 only)
};

struct CalculationResult {
    HRESULT status = E_FAIL;  // what Calculate returned
    // RVP in kPa per PhaseIndex (VAP, LIQ1, LIQ2, SOLID, FEED); empty where the method
    // gave none. Never the host's empty mark.
    std::array<std::optional<double>, volacor::PHASE_COUNT> rvp_kPa{};
    std::vector<std::string> messages;  // the calculation's message lines, UTF-8, in order
    // The host's own lines, UTF-8: one for each phase the stream has (and FEED) that the
    // method left empty without a line of its own about it ("Phase: LIQ1 - ...").
    std::vector<std::string> notes;
    int64_t flashes = 0;                // host flashes the calculation asked for

    bool ok() const { return status >= 0; }
    std::optional<double> Rvp(volacor::PhaseIndex phase) const { return rvp_kPa[static_cast<size_t>(phase)]; }
};

class LoadedLibrary;  // keeps the component library loaded while its objects live

// One correlation object of the library. Move-only; releases the object when destroyed.
class Correlation {
public:
    Correlation(Correlation&&) noexcept;
    Correlation& operator=(Correlation&&) noexcept;
    ~Correlation();

    const MethodInfo& method() const { return *method_; }
    std::string name() const;     // get_Name, UTF-8
    std::string classId() const;  // get_ClassId ("{383A842D-...}")

    Parameters parameters() const;
    // Writes the parameters that are set; throws CorrelationError for one the class
    // lacks (a ratio for anything but ASTM D6377-16) or a host failure.
    void SetParameters(const Parameters& values);

    // Attaches the stream as a client, calculates, reads "Phase_Values" and the
    // stream's messages, and detaches. The stream is flashed at its own conditions.
    CalculationResult Calculate(MaterialStream& stream);

    // The object itself, for callers that drive it directly (no reference added).
    volacor::ICorrelation* get() const { return object_.get(); }

private:
    friend class CorrelationManager;
    Correlation(const MethodInfo& method, comrt::ComPtr<volacor::ICorrelation> object,
                std::shared_ptr<LoadedLibrary> library);
    void NoteSilentEmptyResults(MaterialStream& stream, CalculationResult& result) const;

    const MethodInfo* method_;
    comrt::ComPtr<volacor::ICorrelation> object_;
    std::shared_ptr<LoadedLibrary> library_;  // released after the object
};

enum class Activation {
    Registry,     // CLSIDFromProgID + CoCreateInstance: needs `comrt register`
    LibraryFile,  // the library at a path, through its DllGetClassObject: no registration
};

class CorrelationManager {
public:
    // The library file at path (for example build/lib/libvolacor.so), loaded without
    // registration. Throws CorrelationError when it cannot be loaded or lacks
    // DllGetClassObject.
    static CorrelationManager FromLibrary(const std::string& path);
    // Classes found through the registry by ProgID and class id.
    static CorrelationManager FromRegistry();

    Activation activation() const { return activation_; }

    // A new object of the method (see FindMethod for the keys accepted). Throws
    // CorrelationError naming the key for an unknown method, or the status of a failed
    // creation.
    Correlation Create(std::string_view method) const;
    Correlation Create(const MethodInfo& method) const;

private:
    CorrelationManager(Activation activation, std::shared_ptr<LoadedLibrary> library);

    Activation activation_;
    std::shared_ptr<LoadedLibrary> library_;  // null through the registry
};

}  // namespace refhost
