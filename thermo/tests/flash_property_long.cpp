// The property sweep for local use, as long as wanted:
//   build/bin/thermo_flash_property_long [base-cases [seed]]
// or with THERMO_SWEEP_CASES / THERMO_SWEEP_SEED set. Prints the statuses of every flash
// kind and a reproducer for each of the first wrong results; exits 1 if there is one.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "property_sweep.h"

int main(int argc, char** argv) {
  auto setting = [&](int index, const char* variable, const char* fallback) {
    if (argc > index) return std::string(argv[index]);
    const char* value = std::getenv(variable);
    return std::string(value ? value : fallback);
  };
  long cases = 0;
  unsigned long long seed = 0;
  try {
    cases = std::stol(setting(1, "THERMO_SWEEP_CASES", "100000"));
    seed = std::stoull(setting(2, "THERMO_SWEEP_SEED", "1"));
  } catch (const std::exception&) {
    std::fprintf(stderr, "usage: %s [base-cases [seed]]\n", argv[0]);
    return 2;
  }
  thermo::testing_support::SweepCounts counts;
  thermo::testing_support::PropertySweep sweep(seed);
  // In blocks, so that a long run shows progress.
  constexpr long kBlock = 5000;
  for (long done = 0; done < cases; done += kBlock) {
    sweep.run(std::min(kBlock, cases - done), counts);
    std::fprintf(stderr, "%ld of %ld base cases, %ld wrong\n", counts.cases, cases, counts.wrong);
  }
  std::printf("seed %llu: ", seed);
  thermo::testing_support::print_counts(counts, stdout);
  return counts.wrong == 0 ? 0 : 1;
}
