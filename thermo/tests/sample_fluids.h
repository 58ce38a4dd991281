#pragma once
// Fluids shared by the engine's tests and benchmarks. Compositions are illustrative
// (typical of a stabilised condensate and a summer gasoline), not measured samples.
#include <string>
#include <utility>
#include <vector>

#include "thermo/fluid.h"

namespace thermo::samples {

struct SampleFluid {
  std::vector<std::string> names;
  std::vector<double> z;
};

// Methane to n-decane, little methane: two-phase at 37.78 C and 101.325 kPa, liquid at 500 kPa.
inline SampleFluid condensate12() {
  return {{"methane", "ethane", "propane", "isobutane", "n-butane", "isopentane", "n-pentane", "n-hexane",
           "n-heptane", "n-octane", "n-nonane", "n-decane"},
          {0.003, 0.012, 0.040, 0.030, 0.065, 0.070, 0.090, 0.150, 0.170, 0.150, 0.120, 0.100}};
}

// The same with 5 % water.
inline SampleFluid wet_condensate13() {
  SampleFluid f = condensate12();
  for (double& v : f.z) v *= 0.95;
  f.names.push_back("water");
  f.z.push_back(0.05);
  return f;
}

// Forty hydrocarbons and oxygenates of the component table.
inline SampleFluid gasoline40() {
  return {{"ethane", "propane", "isobutane", "n-butane", "isopentane", "n-pentane", "n-hexane", "n-heptane",
           "n-octane", "n-nonane", "n-decane", "neopentane", "2-methylpentane", "3-methylpentane",
           "2,2-dimethylbutane", "2,3-dimethylbutane", "isooctane", "n-undecane", "n-dodecane", "n-tetradecane",
           "n-hexadecane", "n-eicosane", "propylene", "1-butene", "isobutene", "1-pentene", "cyclopentane",
           "methylcyclopentane", "cyclohexane", "methylcyclohexane", "benzene", "toluene", "ethylbenzene",
           "o-xylene", "m-xylene", "p-xylene", "methanol", "ethanol", "MTBE", "ETBE"},
          {0.001, 0.010, 0.030, 0.070, 0.090, 0.060, 0.050, 0.040, 0.015, 0.008, 0.005, 0.002, 0.040, 0.030,
           0.008, 0.012, 0.060, 0.003, 0.002, 0.001, 0.0005, 0.0001, 0.001, 0.010, 0.010, 0.020, 0.015,
           0.035, 0.020, 0.025, 0.008, 0.078, 0.020, 0.030, 0.040, 0.020, 0.0004, 0.070, 0.040, 0.020}};
}

inline Fluid make_fluid(const SampleFluid& sample, EquationOfState eos = EquationOfState::PengRobinson) {
  return Fluid::from_keys(sample.names, eos);
}

}  // namespace thermo::samples
