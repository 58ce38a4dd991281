// The closed-form API correlation: each phase's TVP from a bubble-point flash at the
// reference temperature, turned into an RVP by a correlation in ln(TVP). The correlation
// is proprietary and its coefficients appear in no published source, so its tests pin
// its pieces, their joints and its range rules rather than outside data.
#include "methods/orvan_api.h"

#include <cmath>

#include "core/phase_work.h"
#include "methods/api_common.h"
#include "methods/methods.h"

namespace volacor::orvan_api {
namespace {

// psi per kPa as the correlation was fitted: t·6.8943·0.145 is 0.99967·t, not t.
constexpr double PSI_PER_KPA = 0.145;
constexpr double PA_PER_PSI = 6894.7573;
// Above this the correlation has left its data far behind (TVP about 3312.7 psia).
constexpr double PRESSURE_LIMIT_PA = 13790000.0;

// ln(RVP) against L = ln(x) in three pieces, x the TVP in psi as the fit saw it.
constexpr double LOW_PIECE_END = 1.2808728;   // below: the low line (RVP 1 psi at the joint)
constexpr double HIGH_PIECE_START = 25.0;     // above: the high line
constexpr double HIGH_SLOPE = 0.9906399, HIGH_INTERCEPT = -0.4283927;
constexpr double LOW_SLOPE = 0.09930322090404556, LOW_INTERCEPT = -0.02458164797547949;
// Quintic in L between the two lines, highest power first.
constexpr double MIDDLE[] = {0.01482379, -0.1417, 0.5274879, -1.038536, 2.002661, -0.4395868};

constexpr const char* REQUIRES_TVP = "Phase: %s - Orvan API Requires TVP.";
constexpr const char* TVP_RANGE = "Phase: %s - Orvan API Outside applicable TVP range (0.2 - 24 psia).";
constexpr const char* RVP_RANGE = "Phase: %s - Orvan API Outside applicable RVP range (0 - 20 psia).";

}  // namespace

double RvpFromTvp(double tvpPsia) {
    const double x = units::KiloPascalFromApiPsi(tvpPsia) * PSI_PER_KPA;
    const double L = std::log(x);
    double y;
    if (x > HIGH_PIECE_START) {
        y = HIGH_SLOPE * L + HIGH_INTERCEPT;
    } else if (x < LOW_PIECE_END) {
        y = LOW_SLOPE * L + LOW_INTERCEPT;
    } else {
        y = MIDDLE[0];
        for (int k = 1; k < 6; ++k) y = y * L + MIDDLE[k];
    }
    const double pressure_Pa = std::exp(y) * PA_PER_PSI;
    if (!(pressure_Pa <= PRESSURE_LIMIT_PA)) return EMPTY_VALUE;
    return units::ApiPsiFromKiloPascal(pressure_Pa / 1000.0);
}

double CalculatePhase(CPropertyCalculator* calc, int32_t phase, double referenceTemperature_R,
                      double removeNcMolePercent) {
    if (!calc) return EMPTY_VALUE;
    const char* phaseName = PhaseName(phase);
    const ServicesPtr services = QueryServices(*calc);
    if (!services) return EMPTY_VALUE;
    if (!LoadPhase(*calc, phase)) return EMPTY_VALUE;

    WorkingRecord work(calc->PreparePhaseWork(calc->snapshot, phase));
    SetBubblePointRequest(work.get(), units::CelsiusFromApiRankine(referenceTemperature_R));
    StripNonCondensables(*calc, work.get(), removeNcMolePercent);
    api::StoreBubblePointTvp(*calc, *services.get(), work.get());

    const double tvpPsia = calc->tvpPsia;
    if (tvpPsia == EMPTY_VALUE) {
        ReportPhaseMessage(services.get(), REQUIRES_TVP, phaseName);
        return EMPTY_VALUE;
    }
    if (tvpPsia < 0.2 || tvpPsia > 24.0) ReportPhaseMessage(services.get(), TVP_RANGE, phaseName);

    const double rvpPsia = RvpFromTvp(tvpPsia);
    if (rvpPsia == EMPTY_VALUE) return EMPTY_VALUE;
    if (rvpPsia < 0.0 || rvpPsia > 20.0) ReportPhaseMessage(services.get(), RVP_RANGE, phaseName);
    return units::KiloPascalFromApiPsi(rvpPsia);
}

}  // namespace volacor::orvan_api
