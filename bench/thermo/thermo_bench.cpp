// Flash timings on the engine's sample fluids, with the iteration counts of the last
// call as counters. Each case reuses one Flasher and one FlashResult, as a host would.
#include <benchmark/benchmark.h>

#include "thermo/flasher.h"
#include "thermo/tests/sample_fluids.h"

namespace {

using thermo::FlashResult;
using thermo::Flasher;
using thermo::Fluid;

constexpr double kT_K = 310.93;  // 37.78 C

void report(benchmark::State& state, const FlashResult& r) {
  state.counters["stability_it"] = r.stability_iterations;
  state.counters["flash_it"] = r.flash_iterations;
  state.counters["phases"] = r.phase_count;
  if (r.status != thermo::FlashStatus::Converged) state.SkipWithError("flash did not converge");
}

void pt_flash(benchmark::State& state, const thermo::samples::SampleFluid& sample, double P_kPa,
              thermo::FlashOptions options = {}) {
  const Fluid fluid = thermo::samples::make_fluid(sample);
  Flasher flasher(fluid, options);
  FlashResult result;
  for (auto _ : state) {
    flasher.flash_pt(kT_K, P_kPa, sample.z, result);
    benchmark::DoNotOptimize(result.phases[0].fraction);
  }
  report(state, result);
}

void BM_PTFlash_Condensate12(benchmark::State& state) {
  pt_flash(state, thermo::samples::condensate12(), 101.325);
}
// The same flash repeated with FlashOptions::warm_start (the previous call's K-values).
void BM_PTFlash_Condensate12_WarmStart(benchmark::State& state) {
  thermo::FlashOptions options;
  options.warm_start = true;
  pt_flash(state, thermo::samples::condensate12(), 101.325, options);
}
void BM_PTFlash_Condensate12_Liquid(benchmark::State& state) {
  pt_flash(state, thermo::samples::condensate12(), 500.0);
}
void BM_PTFlash_WetCondensate13(benchmark::State& state) {
  pt_flash(state, thermo::samples::wet_condensate13(), 101.325);
}
void BM_PTFlash_Gasoline40(benchmark::State& state) {
  pt_flash(state, thermo::samples::gasoline40(), 101.325);
}

void BM_BubblePoint_Condensate12(benchmark::State& state) {
  const thermo::samples::SampleFluid sample = thermo::samples::condensate12();
  const Fluid fluid = thermo::samples::make_fluid(sample);
  Flasher flasher(fluid);
  FlashResult result;
  for (auto _ : state) {
    flasher.flash_t_beta(kT_K, 0.0, sample.z, result);
    benchmark::DoNotOptimize(result.P_kPa);
  }
  report(state, result);
}

BENCHMARK(BM_PTFlash_Condensate12);
BENCHMARK(BM_PTFlash_Condensate12_WarmStart);
BENCHMARK(BM_PTFlash_Condensate12_Liquid);
BENCHMARK(BM_BubblePoint_Condensate12);
BENCHMARK(BM_PTFlash_WetCondensate13);
BENCHMARK(BM_PTFlash_Gasoline40);

}  // namespace

BENCHMARK_MAIN();
