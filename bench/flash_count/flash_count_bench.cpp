// Counts the host flashes each laboratory method makes per phase call on the model fluid,
// for a few streams, and reports them as counters beside the method's bound. The driver's
// order is kept: FEED loads the fluid, the other phases reuse it.
//
// A method joins by a row in Methods(); a stream by a row in Streams().
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "methods/methods.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/model_fluid/model_fluid.h"

namespace volacor {
namespace {

constexpr double ReferenceTemperature_C = 37.78;
constexpr double RemoveNcMolePercent = 0.0;

struct BenchMethod {
    const char* name;
    int flashBound;  // the most host flashes a phase call may make
    std::function<double(CPropertyCalculator*, int32_t phase)> calculate;
};

const std::vector<BenchMethod>& Methods() {
    static const std::vector<BenchMethod> methods{
        {"ASTM_D323_82", 159,
         [](CPropertyCalculator* c, int32_t p) {
             return astm_d323_82::CalculatePhase(c, p, ReferenceTemperature_C, RemoveNcMolePercent);
         }},
        {"ASTM_D4953_91", 106,
         [](CPropertyCalculator* c, int32_t p) {
             return astm_d4953_91::CalculatePhase(c, p, ReferenceTemperature_C, RemoveNcMolePercent);
         }},
        {"ASTM_D5191_91", 106,
         [](CPropertyCalculator* c, int32_t p) {
             return astm_d5191_91::CalculatePhase(c, p, ReferenceTemperature_C, RemoveNcMolePercent);
         }},
        // TVP, a liquid search and secant of 49 steps each with a probe, then the bisection.
        {"ASTM_D323_73_79", 201,
         [](CPropertyCalculator* c, int32_t p) {
             return astm_d323_73_79::CalculatePhase(c, p, ReferenceTemperature_C, RemoveNcMolePercent);
         }},
        // At the ratio the parameter is created with.
        {"ASTM_D6377_16", 201,
         [](CPropertyCalculator* c, int32_t p) {
             return astm_d6377_16::CalculatePhase(c, p, ReferenceTemperature_C, RemoveNcMolePercent, 4.0);
         }},
        // Six opening flashes, then at most 51 cycles of 50 passes and a closing flash.
        // Its driver calculates FEED alone.
        {"ModifiedASTM", 2607,
         [](CPropertyCalculator* c, int32_t p) {
             return p == FEED ? modified_astm::CalculatePhase(c, p, ReferenceTemperature_C, RemoveNcMolePercent)
                              : EMPTY_VALUE;
         }},
    };
    return methods;
}

struct BenchStream {
    const char* name;
    model::ModelStream stream;
};

const std::vector<BenchStream>& Streams() {
    static const std::vector<BenchStream> streams{
        {"light_naphtha", model::LightNaphtha()},
        {"stabilised_condensate", model::StabilisedCondensate()},
        {"condensate_5pct_water", model::CondensateWithWater(0.05)},
    };
    return streams;
}

constexpr std::array<int32_t, 5> DriverOrder{FEED, VAP, LIQ1, LIQ2, SOLID};

void FlashesPerPhase(benchmark::State& state, const BenchMethod& method, const BenchStream& stream) {
    CPropertyCalculator* calc = GetPropertyCalculator();
    std::array<size_t, 5> flashes{};
    std::array<double, 5> results{};
    for (auto _ : state) {
        state.PauseTiming();
        auto fluid = model::MakeModelFluid(stream.stream);
        if (!fluid) {
            state.SkipWithError("the stream cannot be flashed at its own conditions");
            return;
        }
        testsupport::InstallFluid(*calc, *fluid);
        state.ResumeTiming();
        for (int32_t phase : DriverOrder) {
            const size_t before = fluid->flashRequests.size();
            results[phase] = method.calculate(calc, phase);
            flashes[phase] = fluid->flashRequests.size() - before;
            calc->reuseLoadedData = 1;
        }
        state.PauseTiming();
        calc->reuseLoadedData = 0;
        testsupport::ClearCalculator(*calc);
        state.ResumeTiming();
    }
    for (int32_t phase : DriverOrder) {
        state.counters[std::string("flashes_") + PhaseName(phase)] = static_cast<double>(flashes[phase]);
        state.counters[std::string("rvp_kPa_") + PhaseName(phase)] = results[phase];
    }
    state.counters["flashes_max"] = static_cast<double>(*std::max_element(flashes.begin(), flashes.end()));
    state.counters["flashes_bound"] = method.flashBound;
}

}  // namespace
}  // namespace volacor

int main(int argc, char** argv) {
    using namespace volacor;
    for (const BenchMethod& method : Methods())
        for (const BenchStream& stream : Streams())
            benchmark::RegisterBenchmark((std::string(method.name) + "/" + stream.name).c_str(), FlashesPerPhase,
                                         method, stream)
                ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
