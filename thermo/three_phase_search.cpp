// The PT flash's search for a third phase beside a two-phase split of a fluid with water.
#include <utility>

#include "thermo/flasher.h"

namespace thermo {
namespace {

// Rounds of "test the two phases, split in three" after a three-phase split has fallen
// back to two phases; each round starts from trials run to their end.
constexpr int kThreePhaseRetries = 3;

}  // namespace

int Flasher::keep_present_phases() {
  int kept = 0;
  for (int p = 0; p < 3; ++p) {
    if (phases_[p].beta > 0) {
      if (kept != p) std::swap(phases_[kept], phases_[p]);
      ++kept;
    }
  }
  return kept;
}

void Flasher::seek_third_phase(double P_kPa, int& stability_iterations, int& flash_iterations, int& phase_count,
                               bool& converged) {
  const int w = fluid_.water_index();
  auto split_from_trial = [&] {
    phases_[2].x = trial_ / trial_.sum();
    beta3_[0] = phases_[0].beta * 0.9;
    beta3_[1] = phases_[1].beta * 0.9;
    beta3_[2] = 0.1;
    int iterations = 0;
    const bool three = split_three_phase(P_kPa, iterations, converged);
    flash_iterations += iterations;
    phase_count = three ? 3 : keep_present_phases();
    // A feed proven unstable is not one phase.
    if (phase_count < 2) converged = false;
    return three;
  };
  // Test the phase with less water. Water first (the usual third phase) unless a
  // water-rich phase is already there, then Wilson's trials for a missing vapour or
  // hydrocarbon liquid. (An oil holding much water can pass for aqueous: the water
  // trial runs anyway.)
  const int test = phases_[0].x(w) <= phases_[1].x(w) ? 0 : 1;
  if (!unstable(phases_[test], P_kPa, true, true, stability_iterations, !has_aqueous_phase(2))) return;
  if (split_from_trial()) return;
  // One phase vanished. The trial may have led to a second oil where a vapour is missing
  // beside an oil and water: once more from an ideal gas held on the vapour root. Or the
  // trial, cut short once it proved instability, led the split back onto the two phases
  // it had, or to another pair: once more from trials run to their end. A phase still
  // proven missing after the last round leaves the result unconverged.
  const bool end_early = options_.end_proven_unstable_trials;
  for (int round = 0; converged && phase_count == 2; ++round) {
    const int oil = phases_[0].x(w) <= phases_[1].x(w) ? 0 : 1;
    bool missing = vapour_trial_unstable(phases_[oil], P_kPa, stability_iterations);
    if (!missing) {
      options_.end_proven_unstable_trials = false;
      missing = unstable(phases_[oil], P_kPa, true, true, stability_iterations, !has_aqueous_phase(2));
      options_.end_proven_unstable_trials = end_early;
    }
    if (!missing) return;
    if (round == kThreePhaseRetries) {
      converged = false;
      return;
    }
    if (split_from_trial()) return;
  }
}

}  // namespace thermo
