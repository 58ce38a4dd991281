// ASTM D86 distillation curve of a phase, from its true-boiling-point (TBP) curve by
// liquid volume.
#pragma once

#include <array>
#include <optional>
#include <span>

#include "thermo/fluid.h"

namespace refhost {

// The volume per cent distilled at each point of the host's distillation curve. Element
// 4 is the 5 % point and element 8 the 15 % point: ten per cent apart, they give the
// ASTM 10 % slope.
inline constexpr std::array<double, 18> kDistillationPoints_volPercent = {
    0, 1, 2, 3, 5, 7.5, 10, 12.5, 15, 20, 30, 40, 50, 60, 70, 80, 90, 95};
inline constexpr int kDistillationPointCount = static_cast<int>(kDistillationPoints_volPercent.size());
inline constexpr int kDistillation5PercentIndex = 4;
inline constexpr int kDistillation15PercentIndex = 8;

using DistillationCurve = std::array<double, kDistillationPointCount>;

// TBP temperature, K, at `volPercent` distilled of the composition x (mole fractions over
// the fluid's components). Components in order of normal boiling point, each taking
// its share of the liquid volume at 15 °C; the curve runs linearly between the
// mid-points of the shares and is flat before the first and after the last. Returns a
// negative value when x holds nothing; throws std::invalid_argument for a component
// without the data for a liquid volume (standard_liquid.h).
double TrueBoilingPoint_K(const thermo::Fluid& fluid, std::span<const double> x, double volPercent);

// The points at which the TBP-to-D86 conversion is defined, volume per cent.
inline constexpr std::array<double, 7> kConversionPoints_volPercent = {0, 10, 30, 50, 70, 90, 95};
using ConversionPoints = std::array<double, 7>;

// ASTM D86 temperatures, °F, from TBP temperatures, °F, at kConversionPoints_volPercent
// (a non-decreasing curve), by the inverse of Daubert's correlation (API Technical Data
// Book, Procedure 3A1.1; constants in distillation_curve.cpp). Empty when the TBP 50 %
// point is at or below 0 °F, where the correlation's power law is not defined.
std::optional<ConversionPoints> TbpToD86_F(const ConversionPoints& tbp_F);

// ASTM D86 temperatures, °C, at kDistillationPoints_volPercent. The conversion gives the
// D86 curve at its own points; between two of them (the 5 % point lies between 0 and
// 10 %, the 15 % point between 10 and 30 %) the D86 temperature divides the D86 interval
// as the TBP temperature there divides the TBP interval, so the D86 curve follows the
// shape of the TBP curve (linearly in volume where the TBP interval is flat).
// EMPTY_VALUE at every point when the curve is undefined (no material, x of the wrong
// length, or a TBP 50 % point at or below 0 °F, where the conversion is not defined).
DistillationCurve DistillationCurveD86_C(const thermo::Fluid& fluid, std::span<const double> x);

}  // namespace refhost
