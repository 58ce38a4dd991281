#pragma once
// What a flash returns. Plain values, no exceptions: a flash that fails says so in
// `status`, and nothing in a result is ever NaN or infinite.
#include <array>
#include <string>
#include <vector>

namespace thermo {

enum class FlashStatus {
  Converged,     // an equilibrium, checked (see below)
  NotConverged,  // iteration limit reached, or the result failed its check; phases hold
                 // the last iterate (finite)
  InvalidInput,  // bad temperature, pressure, vapour fraction or composition; see message
  NoSolution,    // no state meets the requested conditions (e.g. above the cricondenbar)
};

// Every result is checked before it is called Converged, in the phases it reports
// present (an incipient phase at fraction 0 included): fractions in [0, 1] summing to 1
// and compositions summing to 1 (both to 1e-12), the material balance of every
// component of the feed to kAcceptedBalance relative to its feed fraction, and the
// ln fugacities of every component of the feed equal across the phases to
// kAcceptedLnFugacity (or 1000 FlashOptions::tolerance, if that is larger). The check
// reuses the solver's last ln phi, so it costs a logarithm per component and phase
// beyond the first. A result that fails it is NotConverged.
inline constexpr double kAcceptedBalance = 1e-10;
inline constexpr double kAcceptedLnFugacity = 1e-9;

// Phase slots in the order the host uses: vapour, hydrocarbon liquid, aqueous liquid.
enum PhaseSlot : int { kVapour = 0, kHydrocarbonLiquid = 1, kAqueousLiquid = 2 };
inline constexpr int kPhaseSlots = 3;

// Labelling (the same for every flash, so a phase is never relabelled between calls
// with close inputs). A phase is vapour-like when its untranslated molar volume exceeds
// the pseudo-critical volume v_pc = (Zc/omega_b) b_mix of the equation of state (3.951
// b_mix for PR, 3.847 b_mix for SRK: the molar volume at the cubic's critical point),
// else liquid-like. Far from the critical region this is: liquid above the bubble
// point, vapour below the dew point.
//  - Aqueous liquid (kAqueousLiquid): the liquid-like phase of most water, if water is
//    more than half of it.
//  - Vapour: the largest of the other phases, if it is vapour-like.
//  - The rest, lightest first, fill the free slots in the order hydrocarbon liquid,
//    aqueous (heavy) liquid, vapour: so a single hydrocarbon liquid is kHydrocarbonLiquid,
//    and of two hydrocarbon liquids without water the denser takes the heavy-liquid slot.
// The flash at given vapour fraction puts its vapour in the vapour slot by construction.
struct PhaseResult {
  bool present = false;
  double fraction = 0;              // mole fraction of the fluid in this phase (unrounded)
  std::vector<double> composition;  // mole fractions, one per component of the fluid
  double v_m3_per_kmol = 0;         // Peneloux-translated molar volume (= L/mol)
  double Z = 0;                     // compressibility factor (untranslated)
};

struct FlashResult {
  FlashStatus status = FlashStatus::InvalidInput;
  std::string message;  // why the status is not Converged; empty otherwise
  double T_K = 0;
  double P_kPa = 0;  // given (PT flash) or found (saturation flash)
  int stability_iterations = 0;
  int flash_iterations = 0;
  int phase_count = 0;
  std::array<PhaseResult, kPhaseSlots> phases;

  const PhaseResult& vapour() const { return phases[kVapour]; }
  const PhaseResult& hydrocarbon_liquid() const { return phases[kHydrocarbonLiquid]; }
  const PhaseResult& aqueous_liquid() const { return phases[kAqueousLiquid]; }
  double vapour_fraction() const { return phases[kVapour].fraction; }
};

struct FlashOptions {
  double tolerance = 1e-12;   // on fugacity residuals (ln f) and phase fractions
  int max_iterations = 500;   // per solver stage
  // Speed-up: end a stability trial as soon as its tangent-plane distance is clearly
  // negative (below -0.01) instead of converging it; the split then starts from there.
  // The converged answer is the same (tested to 1e-10).
  bool end_proven_unstable_trials = true;
  // Speed-up for a run of flashes of one fluid (a host stepping through close states):
  // a PT flash of a fluid without water first tries a two-phase split from the previous
  // two-phase result's K-values. A split that converges with a Gibbs energy below the
  // feed's proves the feed unstable, so the stability test is skipped; otherwise the
  // flash runs as without the option. The converged answer is the same (tested to 1e-10);
  // only the starting point depends on the previous call.
  bool warm_start = false;
};

}  // namespace thermo
