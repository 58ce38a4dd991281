#include "refhost/analysis/distillation_curve.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "host/phase.h"
#include "refhost/streams/standard_liquid.h"

namespace refhost {
namespace {

// ASTM D86 from TBP: the inverse of Daubert's D86-to-TBP correlation, T. E. Daubert,
// "Petroleum fraction distillation interconversions", Hydrocarbon Processing 73(9)
// (1994) 75-78, adopted as API Technical Data Book Procedure 3A1.1; constants as
// reproduced in M. R. Riazi, Characterization and Properties of Petroleum Fractions,
// ASTM MNL50 (2005), section 3.2. All temperatures °F.
//   TBP(50) = 0.8718 D86(50)^1.0258
//   TBP(b) - TBP(a) = A (D86(b) - D86(a))^B for each pair of neighbouring points.
constexpr double kMid_A = 0.8718;
constexpr double kMid_B = 1.0258;
constexpr int kMidIndex = 3;  // the 50 % point in kConversionPoints_volPercent
struct DifferenceConstants {
    double A, B;
};
// Intervals 0-10, 10-30, 30-50, 50-70, 70-90, 90-95 %.
constexpr DifferenceConstants kDifference[6] = {
    {7.4012, 0.6024}, {4.9004, 0.7164}, {3.0305, 0.8008}, {2.5282, 0.8200}, {3.0419, 0.7750}, {0.1180, 1.6606},
};

constexpr double kAbsoluteZero_F = -459.67;

double KelvinToFahrenheit(double T_K) { return T_K * 1.8 - 459.67; }
double FahrenheitToCelsius(double t_F) { return (t_F - 32.0) / 1.8; }

// The D86 interval that goes with a TBP interval. Where B < 1 the power law, extended
// beyond the wide intervals of its data, would make the D86 interval wider than the TBP
// one (above 154 °F for 0-10 %: light ends such as methane in a condensate); a D86
// distillation separates less sharply than a TBP one, so the D86 interval is held to
// the TBP interval there.
double D86Difference_F(double tbpDifference_F, const DifferenceConstants& k) {
    if (tbpDifference_F <= 0) return 0.0;
    const double d86 = std::pow(tbpDifference_F / k.A, 1.0 / k.B);
    return k.B < 1.0 ? std::min(d86, tbpDifference_F) : d86;
}

// Liquid volume at 15 °C and normal boiling point of each component present in x.
struct Share {
    double tb_K;
    double volume;
};

std::vector<Share> Shares(const thermo::Fluid& fluid, std::span<const double> x) {
    std::vector<Share> shares;
    if (x.size() != fluid.size()) return shares;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!(x[i] > 0) || !std::isfinite(x[i])) continue;
        const thermo::Component& c = fluid.component(i);
        shares.push_back({c.tb_K, x[i] * StandardLiquidVolume_m3_per_kmol(c)});
    }
    std::stable_sort(shares.begin(), shares.end(), [](const Share& a, const Share& b) { return a.tb_K < b.tb_K; });
    return shares;
}

// The TBP curve through the mid-points of the volume shares.
class TbpCurve {
 public:
    explicit TbpCurve(const std::vector<Share>& shares) {
        const double total = std::accumulate(shares.begin(), shares.end(), 0.0,
                                             [](double sum, const Share& s) { return sum + s.volume; });
        double before = 0;
        for (const Share& s : shares) {
            points_.push_back({100.0 * (before + 0.5 * s.volume) / total, s.tb_K});
            before += s.volume;
        }
    }
    bool empty() const { return points_.empty(); }

    double At_K(double volPercent) const {
        if (volPercent <= points_.front().volPercent) return points_.front().T_K;
        if (volPercent >= points_.back().volPercent) return points_.back().T_K;
        const auto upper = std::upper_bound(points_.begin(), points_.end(), volPercent,
                                            [](double v, const Point& p) { return v < p.volPercent; });
        const Point& b = *upper;
        const Point& a = *(upper - 1);
        if (b.volPercent <= a.volPercent) return b.T_K;
        return a.T_K + (b.T_K - a.T_K) * (volPercent - a.volPercent) / (b.volPercent - a.volPercent);
    }

 private:
    struct Point {
        double volPercent;
        double T_K;
    };
    std::vector<Point> points_;
};

DistillationCurve EmptyCurve() {
    DistillationCurve curve;
    curve.fill(volacor::EMPTY_VALUE);
    return curve;
}

}  // namespace

double TrueBoilingPoint_K(const thermo::Fluid& fluid, std::span<const double> x, double volPercent) {
    const TbpCurve tbp(Shares(fluid, x));
    return tbp.empty() ? -1.0 : tbp.At_K(volPercent);
}

std::optional<ConversionPoints> TbpToD86_F(const ConversionPoints& tbp_F) {
    if (!(tbp_F[kMidIndex] > 0)) return std::nullopt;
    ConversionPoints d86{};
    d86[kMidIndex] = std::pow(tbp_F[kMidIndex] / kMid_A, 1.0 / kMid_B);
    for (int i = kMidIndex; i > 0; --i)
        d86[i - 1] = d86[i] - D86Difference_F(tbp_F[i] - tbp_F[i - 1], kDifference[i - 1]);
    for (int i = kMidIndex; i + 1 < static_cast<int>(d86.size()); ++i)
        d86[i + 1] = d86[i] + D86Difference_F(tbp_F[i + 1] - tbp_F[i], kDifference[i]);
    return d86;
}

DistillationCurve DistillationCurveD86_C(const thermo::Fluid& fluid, std::span<const double> x) {
    std::vector<Share> shares;
    try {
        shares = Shares(fluid, x);
    } catch (const std::invalid_argument&) {
        return EmptyCurve();  // a component without the data for a liquid volume
    }
    const TbpCurve tbp(shares);
    if (tbp.empty()) return EmptyCurve();
    ConversionPoints tbp_F{};
    for (std::size_t i = 0; i < tbp_F.size(); ++i)
        tbp_F[i] = KelvinToFahrenheit(tbp.At_K(kConversionPoints_volPercent[i]));
    const std::optional<ConversionPoints> d86_F = TbpToD86_F(tbp_F);
    if (!d86_F) return EmptyCurve();

    DistillationCurve curve;
    for (int p = 0; p < kDistillationPointCount; ++p) {
        const double v = kDistillationPoints_volPercent[p];
        // The conversion interval [a, b] that holds v.
        std::size_t b = 1;
        while (b + 1 < kConversionPoints_volPercent.size() && kConversionPoints_volPercent[b] < v) ++b;
        const std::size_t a = b - 1;
        const double va = kConversionPoints_volPercent[a], vb = kConversionPoints_volPercent[b];
        const double tbpSpan = tbp_F[b] - tbp_F[a];
        const double share =
            tbpSpan > 0 ? (KelvinToFahrenheit(tbp.At_K(v)) - tbp_F[a]) / tbpSpan : (v - va) / (vb - va);
        const double t_F = (*d86_F)[a] + share * ((*d86_F)[b] - (*d86_F)[a]);
        curve[p] = t_F > kAbsoluteZero_F && std::isfinite(t_F) ? FahrenheitToCelsius(t_F) : volacor::EMPTY_VALUE;
    }
    return curve;
}

}  // namespace refhost
