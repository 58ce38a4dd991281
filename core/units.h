// The units the library converts between, in one place. At the host boundary a
// temperature is °C and a pressure kPa absolute; the laboratory methods stay in those.
// The API methods work in psia and °R with two factors of their own, given here with
// the reason they differ from the exact ones.
#pragma once

namespace volacor::units {

// One standard atmosphere, exactly (BIPM, The International System of Units, 9th ed.).
inline constexpr double OneAtmosphere_kPa = 101.325;

// °F and °C: exact.
constexpr double FahrenheitFromCelsius(double t_C) { return t_C * 1.8 + 32.0; }
constexpr double CelsiusFromFahrenheit(double t_F) { return (t_F - 32.0) / 1.8; }

// The API methods' factors. The exact ones are 6.894757 kPa per psi (the international
// pound-force per square inch) and 459.67 °R at 0 °F. The API methods have always
// converted with 6.8943 and 459.69; their results, and the figures users hold them
// against, carry those factors, so keeping them keeps every result unchanged. The
// differences are small: 0.0066 % in pressure, 0.02 °R (0.004 % at 100 °F) in
// temperature.
inline constexpr double ApiKiloPascalPerPsi = 6.8943;
inline constexpr double ApiRankineAtZeroFahrenheit = 459.69;

// °R the API methods' way: °C × 1.8 + 32 + 459.69, added in that order, and back.
constexpr double ApiRankineFromCelsius(double t_C) { return FahrenheitFromCelsius(t_C) + ApiRankineAtZeroFahrenheit; }
constexpr double ApiRankineFromFahrenheit(double t_F) { return t_F + ApiRankineAtZeroFahrenheit; }
constexpr double CelsiusFromApiRankine(double t_R) { return CelsiusFromFahrenheit(t_R - ApiRankineAtZeroFahrenheit); }

constexpr double ApiPsiFromKiloPascal(double p_kPa) { return p_kPa / ApiKiloPascalPerPsi; }
constexpr double KiloPascalFromApiPsi(double p_psi) { return p_psi * ApiKiloPascalPerPsi; }

}  // namespace volacor::units
