// The pure-component data of the model fluid: identities as the host reports them,
// vapour pressures, molecular weights and liquid molar volumes.
#pragma once

#include <span>
#include <string_view>

namespace volacor::model {

struct ModelComponent {
    std::string_view name;
    double componentId;        // the host's identifier ("ComponentIDs")
    double casNumber;          // CAS number without hyphens ("CAS_Numbers")
    double molecularWeight;    // kg/kmol
    // Antoine: log10(p / bar) = A - B / (T / K + C). Beyond a gas's critical point the
    // extrapolated value serves as a Henry-like constant, so the gas dissolves a little.
    double antoineA, antoineB, antoineC;
    double liquidMolarVolume_m3_per_kmol;  // constant, taken at 60 °F
    bool isWater;                          // forms its own liquid phase
};

// Every component the model knows, in a fixed order.
std::span<const ModelComponent> AllComponents();

// The component named name ("nitrogen", "n-butane", ...); null when the model has none.
const ModelComponent* FindComponent(std::string_view name);

// Vapour pressure of c at temperature_K, kPa.
double VapourPressure_kPa(const ModelComponent& c, double temperature_K);

}  // namespace volacor::model
