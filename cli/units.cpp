#include "cli/units.h"

#include <algorithm>
#include <cctype>

#include "cli/errors.h"

namespace volacor::cli {
namespace {
// NIST Special Publication 811, Appendix B: 1 psi = 6.894757 kPa.
constexpr double kKilopascalPerPsi = 6.894757;
constexpr double kKilopascalPerBar = 100.0;

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}
}  // namespace

PressureUnit ParsePressureUnit(std::string_view text) {
    const std::string unit = Lower(text);
    if (unit == "kpa") return PressureUnit::kPa;
    if (unit == "psi") return PressureUnit::psi;
    if (unit == "bar") return PressureUnit::bar;
    throw InputError("The pressure unit '" + std::string(text) + "' is not known; use kPa, psi or bar.");
}

std::string_view UnitName(PressureUnit unit) {
    switch (unit) {
        case PressureUnit::psi: return "psi";
        case PressureUnit::bar: return "bar";
        case PressureUnit::kPa: break;
    }
    return "kPa";
}

double FromKilopascal(double kPa, PressureUnit unit) {
    switch (unit) {
        case PressureUnit::psi: return kPa / kKilopascalPerPsi;
        case PressureUnit::bar: return kPa / kKilopascalPerBar;
        case PressureUnit::kPa: break;
    }
    return kPa;
}

int DisplayDecimals(PressureUnit unit) {
    return unit == PressureUnit::bar ? 4 : 2;
}

}  // namespace volacor::cli
