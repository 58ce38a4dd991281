// Pressure units of the command's output. The library and the host work in kPa.
#pragma once

#include <string>
#include <string_view>

namespace volacor::cli {

enum class PressureUnit { kPa, psi, bar };

// "kPa", "psi" or "bar" (any case); throws InputError naming the accepted units.
PressureUnit ParsePressureUnit(std::string_view text);
std::string_view UnitName(PressureUnit unit);
// kPa into the unit; psi by 6.894757 kPa (NIST SP 811), bar by 100 kPa.
double FromKilopascal(double kPa, PressureUnit unit);
// Decimal places that show the methods' precision (about 0.01 kPa).
int DisplayDecimals(PressureUnit unit);

}  // namespace volacor::cli
