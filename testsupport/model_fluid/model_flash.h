// The model fluid's flash: ideal solution (Raoult) for the hydrocarbon liquid, ideal-gas
// vapour, water as a liquid of its own (LIQ2) that dissolves nothing, constant liquid molar
// volumes. Deterministic and smooth enough for the secant searches of the methods.
#pragma once

#include <span>
#include <vector>

#include "host/records.h"
#include "testsupport/model_fluid/model_components.h"

namespace volacor::model {

inline constexpr double GasConstant_kPa_m3_per_kmol_K = 8.314462618;  // CODATA 2018
inline constexpr double KelvinOffset = 273.15;

using ComponentList = std::span<const ModelComponent* const>;

// Phase split at fixed temperature and pressure, on the basis of one mole of feed.
struct Equilibrium {
    double vapourFraction = 0;
    double liquidFraction = 0;  // LIQ1, the hydrocarbon liquid
    double waterFraction = 0;   // LIQ2, pure water
    std::vector<double> vapour;  // mole fractions
    std::vector<double> liquid;  // mole fractions
};

// Equilibrium of feed (mole fractions, normalised here) at temperature_K and pressure_kPa.
// False when the feed or the conditions cannot be flashed (negative or non-finite values,
// a zero feed, a pressure or temperature not above 0).
bool Equilibrate(ComponentList components, std::span<const double> feed, double temperature_K,
                 double pressure_kPa, Equilibrium& out);

// Flashes record in place as the host does: composition[FEED] and temperature (°C) are
// read; a pressure other than EMPTY_VALUE fixes the pressure, otherwise phaseFraction[0]
// is the vapour fraction to reach (0 is the bubble point) and the pressure is found.
// Fills pressure, phaseFraction, molarVolume (m³/kmol), phasePresent and the arrays of
// composition[0..3] that are present. False when the record cannot be flashed.
bool ModelFlash(ComponentList components, FluidSnapshot& record);

// Volume of one mole of the record's fluid over all phases after ModelFlash, m³/kmol.
double TotalMolarVolume(const FluidSnapshot& record);

}  // namespace volacor::model
