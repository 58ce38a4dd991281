#pragma once
// A pure component's constants as the engine uses them.
#include <string>
#include <vector>

namespace thermo {

// Host ids the library relies on (fixed in the component table).
inline constexpr int kMethaneHostId = 1;
inline constexpr int kNitrogenHostId = 13;
inline constexpr int kWaterHostId = 19;
inline constexpr int kHydrogenHostId = 20;
inline constexpr int kOxygenHostId = 28;
// Pseudo-components (petroleum cuts) are numbered from here and carry CAS number 0.
inline constexpr int kFirstPseudoHostId = 1000;

struct Component {
  std::string name;
  std::vector<std::string> aliases;
  std::string formula;
  long long cas = 0;  // digits only, 74-82-8 -> 74828; 0 for pseudo-components
  int host_id = 0;
  double mw_g_per_mol = 0;
  double tc_K = 0;
  double pc_kPa = 0;
  double omega = 0;
  double tb_K = 0;
  double liquid_density_kg_per_m3_15C = 0;  // 0 when unknown (supercritical at 15 C)
  double zra = 0;                           // Rackett Z_RA
  double pr_shift_m3_per_kmol = 0;          // Peneloux c for PR, V = V_EOS - c
  bool has_pr_shift = false;

  bool is_water() const { return host_id == kWaterHostId; }
};

}  // namespace thermo
