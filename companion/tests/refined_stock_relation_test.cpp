// The solve must give back the RVP that produced a TVP through the relation, across the
// relation's range, from any start, and must refuse TVPs no RVP in range reproduces.
#include "refined_stock_relation.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

using api5b11::SolveRvp;
using api5b11::SolveStatus;
using api5b11::TvpFromRvp_psia;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(RefinedStockRelation, SolveInvertsTheRelationAcrossItsRange) {
    const double temperatures_F[] = {0.0, 32.0, 60.0, 100.0, 120.0};
    const double sqrtSlopes[] = {0.0, 1.0, std::sqrt(3.0), 2.0};
    const double rvps_psi[] = {1.0, 1.5, 3.0, 7.5, 10.0, 13.5, 19.0, 20.0};
    for (double t : temperatures_F)
        for (double s : sqrtSlopes)
            for (double rvp : rvps_psi) {
                const double tvp = TvpFromRvp_psia(rvp, s, t);
                // Starts below, near, above the root, outside the range and not a number.
                for (double start : {1.0, 0.9 * rvp, 20.0, 0.0, 55.0, kNaN}) {
                    SCOPED_TRACE(testing::Message() << "T " << t << " F, sqrt S " << s << ", RVP " << rvp
                                                    << ", start " << start);
                    const auto result = SolveRvp(tvp, s, t, start);
                    ASSERT_EQ(result.status, SolveStatus::Solved);
                    EXPECT_NEAR(result.rvp_psi, rvp, 1e-9 * rvp);
                    EXPECT_LT(result.iterations, 60);
                }
            }
}

TEST(RefinedStockRelation, TvpRisesWithRvpAndTemperature) {
    // The bracket test relies on monotony; a sign slip in a coefficient breaks it.
    for (double s : {0.0, 1.0, 2.0})
        for (double t : {0.0, 60.0, 120.0}) {
            SCOPED_TRACE(testing::Message() << "sqrt S " << s << ", T " << t);
            EXPECT_LT(TvpFromRvp_psia(2.0, s, t), TvpFromRvp_psia(10.0, s, t));
            EXPECT_LT(TvpFromRvp_psia(10.0, s, t), TvpFromRvp_psia(10.0, s, t + 20.0));
        }
}

TEST(RefinedStockRelation, RefusesWhatNoRvpInRangeSolves) {
    struct Case {
        const char* what;
        double tvp_psia;
        double sqrtSlope;
        double temperature_F;
        SolveStatus expected;
    };
    const Case cases[] = {
        {"TVP of an RVP below 1 psi", TvpFromRvp_psia(0.5, 1.5, 60.0), 1.5, 60.0, SolveStatus::NoRvpInRange},
        {"TVP of an RVP above 20 psi", TvpFromRvp_psia(25.0, 1.5, 60.0), 1.5, 60.0, SolveStatus::NoRvpInRange},
        {"slope root of a negative slope", 5.0, std::sqrt(-1.0), 60.0, SolveStatus::InputNotFinite},
        {"negative slope root", 5.0, -1.5, 60.0, SolveStatus::SlopeRootNegative},
        {"negative slope root that would solve", TvpFromRvp_psia(9.0, -0.5, 60.0), -0.5, 60.0,
         SolveStatus::SlopeRootNegative},
        {"infinite TVP", kInf, 1.5, 60.0, SolveStatus::InputNotFinite},
        {"temperature not a number", 5.0, 1.5, kNaN, SolveStatus::InputNotFinite},
        {"zero TVP", 0.0, 1.5, 60.0, SolveStatus::TvpNotPositive},
        {"negative TVP", -3.0, 1.5, 60.0, SolveStatus::TvpNotPositive},
        {"absolute zero of the relation", 5.0, 1.5, -459.6, SolveStatus::TemperatureOutOfDomain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SolveRvp(c.tvp_psia, c.sqrtSlope, c.temperature_F, 5.0).status, c.expected);
    }
}

}  // namespace
