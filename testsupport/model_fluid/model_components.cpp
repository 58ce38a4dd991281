#include "testsupport/model_fluid/model_components.h"

#include <array>
#include <cmath>

namespace volacor::model {
namespace {

// Density of water at 60 °F, kg/m³ (GPA 2145), the base of a relative density.
constexpr double WaterDensity60F_kg_per_m3 = 999.012;
constexpr double kPaPerBar = 100.0;

constexpr double LiquidMolarVolume(double molecularWeight, double relativeDensity60F) {
    return molecularWeight / (relativeDensity60F * WaterDensity60F_kg_per_m3);
}

// Antoine constants: NIST Chemistry WebBook (SRD 69), phase-change data, log10(P/bar) =
// A - B/(T/K + C). Host ids, CAS numbers, molecular weights and relative densities at
// 60 °F: /work/shared/data/components.csv; hydrogen, methane, nitrogen and oxygen have no 60 °F
// liquid there, so their liquid densities at the normal boiling point stand in.
constexpr std::array<ModelComponent, 12> Components{{
    {"hydrogen", 20, 1333740, 2.0159, 3.54314, 99.395, 7.726, LiquidMolarVolume(2.0159, 0.0708), false},
    {"methane", 1, 74828, 16.0425, 3.9895, 443.028, -0.49, LiquidMolarVolume(16.0425, 0.4224), false},
    {"nitrogen", 13, 7727379, 28.0134, 3.7362, 264.651, -6.788, LiquidMolarVolume(28.0134, 0.8086), false},
    {"oxygen", 28, 7782447, 31.9988, 3.9523, 340.024, -4.144, LiquidMolarVolume(31.9988, 1.1411), false},
    {"water", 19, 7732185, 18.0153, 5.40221, 1838.675, -31.737, LiquidMolarVolume(18.0153, 1.0000), true},
    {"propane", 3, 74986, 44.0956, 4.53678, 1149.36, 24.906, LiquidMolarVolume(44.0956, 0.5075), false},
    {"isobutane", 4, 75285, 58.1222, 4.3281, 1132.108, 0.918, LiquidMolarVolume(58.1222, 0.5632), false},
    {"n-butane", 5, 106978, 58.1222, 4.35576, 1175.581, -2.071, LiquidMolarVolume(58.1222, 0.5840), false},
    {"n-pentane", 7, 109660, 72.1488, 3.9892, 1070.617, -40.454, LiquidMolarVolume(72.1488, 0.6303), false},
    {"n-hexane", 8, 110543, 86.1754, 4.00266, 1171.53, -48.784, LiquidMolarVolume(86.1754, 0.6643), false},
    {"n-heptane", 9, 142825, 100.2020, 4.02832, 1268.636, -56.199, LiquidMolarVolume(100.2020, 0.6883), false},
    {"n-octane", 10, 111659, 114.2285, 4.04867, 1355.126, -63.633, LiquidMolarVolume(114.2285, 0.7070), false},
}};

}  // namespace

std::span<const ModelComponent> AllComponents() { return Components; }

const ModelComponent* FindComponent(std::string_view name) {
    for (const ModelComponent& c : Components)
        if (c.name == name) return &c;
    return nullptr;
}

double VapourPressure_kPa(const ModelComponent& c, double temperature_K) {
    return kPaPerBar * std::pow(10.0, c.antoineA - c.antoineB / (temperature_K + c.antoineC));
}

}  // namespace volacor::model
