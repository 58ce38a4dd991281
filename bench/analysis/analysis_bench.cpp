// The stream analysis of one phase, as the host computes it once per stream state, and
// the reading of a stream file. Each case reuses one Flasher, as the host does.
#include <benchmark/benchmark.h>

#include <string>

#include "refhost/analysis/phase_analysis.h"
#include "refhost/streams/stream_fluid.h"
#include "refhost/streams/stream_reader.h"

namespace {

std::string ExamplePath(const char* name) { return std::string(VOLACOR_EXAMPLES_DIR) + "/" + name + ".json"; }

refhost::StreamFluid Example(const char* name) {
    return refhost::BuildStreamFluid(refhost::ReadStreamFile(ExamplePath(name)));
}

void BpCurveRvp(benchmark::State& state, const char* name) {
    const refhost::StreamFluid stream = Example(name);
    thermo::Flasher flasher(stream.fluid);
    refhost::BpCurveRvpResult r{};
    for (auto _ : state) {
        r = refhost::BoilingPointCurveRvp(flasher, stream.z);
        benchmark::DoNotOptimize(r.pressure_kPa);
    }
    state.counters["flashes"] = r.flashes;
    if (r.pressure_kPa == -32767.0) state.SkipWithError("no boiling-point-curve RVP");
}

void BM_BpCurveRvp_StabilisedCondensate(benchmark::State& state) { BpCurveRvp(state, "stabilised-condensate"); }
void BM_BpCurveRvp_WetCondensate(benchmark::State& state) { BpCurveRvp(state, "wet-condensate"); }
void BM_BpCurveRvp_SummerGasoline(benchmark::State& state) { BpCurveRvp(state, "summer-gasoline"); }

void BM_D86_StabilisedCondensate(benchmark::State& state) {
    const refhost::StreamFluid stream = Example("stabilised-condensate");
    for (auto _ : state) benchmark::DoNotOptimize(refhost::DistillationCurveD86_C(stream.fluid, stream.z));
}

void BM_ReadStreamFile_SummerGasoline(benchmark::State& state) {
    const std::string path = ExamplePath("summer-gasoline");
    for (auto _ : state) benchmark::DoNotOptimize(refhost::ReadStreamFile(path));
}

}  // namespace

BENCHMARK(BM_BpCurveRvp_StabilisedCondensate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BpCurveRvp_WetCondensate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BpCurveRvp_SummerGasoline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_D86_StabilisedCondensate)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadStreamFile_SummerGasoline)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
