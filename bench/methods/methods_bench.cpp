// Each of the nine methods through the correlation manager, on all phases of the
// stabilised condensate (12 components; FEED, VAP and LIQ1 at 15 °C and 1 atm): one
// Calculate per iteration, as a host runs it. Counters: host flashes and phase calls per
// calculation, and the time per phase call. BM_AllNine runs the nine in a row.
#include <benchmark/benchmark.h>

#include <string>

#include "refhost/manager/correlation_manager.h"
#include "refhost/stream/stream_from_definition.h"
#include "refhost/streams/stream_reader.h"

namespace refhost {
namespace {

const CorrelationManager& Manager() {
    static const CorrelationManager manager = CorrelationManager::FromLibrary(VOLACOR_LIBRARY_PATH);
    return manager;
}

comrt::ComPtr<MaterialStream> Condensate() {
    return MakeMaterialStream(ReadStreamFile(std::string(VOLACOR_SOURCE_DIR) + "/examples/stabilised-condensate.json"));
}

int PhaseCalls(const MethodInfo& method, MaterialStream& stream) {
    if (method.feedOnly) return 1;
    int calls = 1;
    for (bool present : stream.PresentPhases()) calls += present ? 1 : 0;
    return calls;
}

void BM_Method(benchmark::State& state, const MethodInfo* method) {
    auto stream = Condensate();
    Correlation correlation = Manager().Create(*method);
    int64_t flashes = 0;
    for (auto _ : state) {
        CalculationResult r = correlation.Calculate(*stream.get());
        flashes = r.flashes;
        benchmark::DoNotOptimize(r);
    }
    const int calls = PhaseCalls(*method, *stream.get());
    state.counters["flashes"] = static_cast<double>(flashes);
    state.counters["phases"] = calls;
    state.counters["per_phase"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * calls, benchmark::Counter::kIsRate |
                                                                                benchmark::Counter::kInvert);
}

void BM_AllNine(benchmark::State& state) {
    auto stream = Condensate();
    std::vector<Correlation> correlations;
    for (const MethodInfo& m : Methods()) correlations.push_back(Manager().Create(m));
    for (auto _ : state)
        for (Correlation& c : correlations) benchmark::DoNotOptimize(c.Calculate(*stream.get()));
}

const int registered = [] {
    for (const MethodInfo& m : Methods())
        benchmark::RegisterBenchmark(("BM_Method/" + std::string(m.shortName)).c_str(), BM_Method, &m)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_AllNine", BM_AllNine)->Unit(benchmark::kMillisecond);
    return 0;
}();

}  // namespace
}  // namespace refhost

BENCHMARK_MAIN();
