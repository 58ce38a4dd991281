#pragma once
// Every constant set of the engine, each with its source.

namespace thermo::constants {

// Molar gas constant, J/(mol K) = kPa m3/(kmol K). CODATA 2018 (exact since the SI
// redefinition of 2019).
inline constexpr double R_J_per_mol_K = 8.314462618;

// Peng-Robinson: Peng & Robinson, Ind. Eng. Chem. Fundam. 15 (1976) 59.
// a = omega_a (R Tc)^2 / Pc, b = omega_b R Tc / Pc, attraction term a / (v^2 + 2bv - b^2).
inline constexpr double pr_omega_a = 0.45724;
inline constexpr double pr_omega_b = 0.07780;
// kappa(omega) = 0.37464 + 1.54226 omega - 0.26992 omega^2 (1976 paper).
inline constexpr double pr1976_kappa[3] = {0.37464, 1.54226, -0.26992};
// For omega above 0.491: Robinson & Peng, GPA Research Report RR-28 (1978):
// kappa = 0.379642 + 1.48503 omega - 0.164423 omega^2 + 0.016666 omega^3.
inline constexpr double pr1978_kappa[4] = {0.379642, 1.48503, -0.164423, 0.016666};
inline constexpr double pr1978_omega_threshold = 0.491;

// Soave-Redlich-Kwong: Soave, Chem. Eng. Sci. 27 (1972) 1197; attraction a / (v (v + b)).
inline constexpr double srk_omega_a = 0.42748;
inline constexpr double srk_omega_b = 0.08664;
inline constexpr double srk_kappa[3] = {0.480, 1.574, -0.176};

// PRSV alpha for Peng-Robinson: Stryjek & Vera, Can. J. Chem. Eng. 64 (1986) 323:
// kappa = kappa0(omega) + kappa1 (1 + sqrt(Tr)) (0.7 - Tr), the kappa1 term dropped
// above Tr = 0.7. Used for the components whose kappa1 the paper lists and for which the
// standard alpha misses the vapour pressure: water (about 20 % low near 0 C) and the
// aromatics (3-4 % high at 38 C).
inline constexpr double prsv_kappa0[4] = {0.378893, 1.4897153, -0.17131848, 0.0196554};
inline constexpr double prsv_tr_limit = 0.7;
struct PrsvKappa1 {
  long long cas;  // digits only
  double kappa1;
};
inline constexpr PrsvKappa1 prsv_kappa1[] = {
    {7732185, -0.06635},  // water
    {71432, 0.07019},     // benzene
    {108883, 0.03849},    // toluene
};

// Twu alpha for Soave-Redlich-Kwong: Twu, Bluck, Cunningham & Coon, Fluid Phase Equilib.
// 69 (1991) 33: alpha = Tr^(N (M - 1)) exp(L (1 - Tr^(N M))). Used where Soave's alpha
// misses the vapour pressure by more than 2 %: water (34 % low at 0 C) and toluene (2.8 %
// low at 38 C).
struct TwuAlpha {
  double L, M, N;
};
// Water: the tc-RK set of Pina-Martinez, Le Guennec, Privat, Jaubert & Mathias, J. Chem.
// Eng. Data 63 (2018) 3980 (fitted to the vapour pressure from the triple point to the
// critical point; with this table's Tc and Pc it gives the IAPWS vapour pressure within
// 0.5 % from 0 to 100 C).
inline constexpr TwuAlpha srk_twu_water = {0.4171, 0.8758, 2.1818};
// Toluene: the generalized Redlich-Kwong form of Twu, Coon & Cunningham, Fluid Phase
// Equilib. 105 (1995) 61, alpha = alpha0 + omega (alpha1 - alpha0), with the paper's
// subcritical sets (kept above Tc, where both stay positive and decreasing).
inline constexpr TwuAlpha srk_twu1995_alpha0 = {0.141599, 0.919422, 2.496441};
inline constexpr TwuAlpha srk_twu1995_alpha1 = {0.500315, 0.799457, 3.291790};
inline constexpr long long srk_twu_water_cas = 7732185;     // digits only
inline constexpr long long srk_twu1995_toluene_cas = 108883;

// Wilson K-value estimate: Wilson, "A modified Redlich-Kwong equation of state",
// AIChE meeting 1968: ln K = ln(Pc/P) + 5.373 (1 + omega)(1 - Tc/T).
inline constexpr double wilson_slope = 5.373;

// Peneloux shift from Rackett Z_RA, for components without a tabulated shift.
// SRK: c = 0.40768 (0.29441 - Z_RA) R Tc / Pc (Peneloux, Rauzy & Freze, Fluid Phase
// Equilib. 8 (1982) 7). PR: c = 0.50033 (0.25969 - Z_RA) R Tc / Pc, the same
// derivation for the PR critical compressibility, as the data set's shifts use.
inline constexpr double peneloux_srk_factor = 0.40768;
inline constexpr double peneloux_srk_zra0 = 0.29441;
inline constexpr double peneloux_pr_factor = 0.50033;
inline constexpr double peneloux_pr_zra0 = 0.25969;

// Petroleum fractions from normal boiling point Tb (degrees Rankine) and specific
// gravity SG (60/60 F): Riazi & Daubert, Hydrocarbon Processing 59(3) (1980) 115,
// theta = a Tb^b SG^c for molar mass (g/mol), Tc (R) and Pc (psia).
struct RiaziDaubert {
  double a, b, c;
};
inline constexpr RiaziDaubert riazi_daubert_mw = {4.5673e-5, 2.1962, -1.0164};
inline constexpr RiaziDaubert riazi_daubert_tc_R = {24.2787, 0.58848, 0.3596};
inline constexpr RiaziDaubert riazi_daubert_pc_psia = {3.12281e9, -2.3125, 2.3201};
inline constexpr double rankine_per_kelvin = 1.8;
inline constexpr double kPa_per_psi = 6.894757293168;  // 0.45359237 kg x 9.80665 / 0.0254^2
inline constexpr double kPa_per_atm = 101.325;

// Acentric factor from Tb, Tc, Pc: Lee & Kesler, AIChE J. 21 (1975) 510, the vapour
// pressure equation solved at Tb (Pc in atm, Tbr = Tb/Tc):
// omega = (-ln Pc - 5.92714 + 6.09648/Tbr + 1.28862 ln Tbr - 0.169347 Tbr^6) /
//         (15.2518 - 15.6875/Tbr - 13.4721 ln Tbr + 0.43577 Tbr^6).
inline constexpr double lee_kesler_numerator[4] = {-5.92714, 6.09648, 1.28862, -0.169347};
inline constexpr double lee_kesler_denominator[4] = {15.2518, -15.6875, -13.4721, 0.43577};

// Rackett Z_RA from the acentric factor: Yamada & Gunn, J. Chem. Eng. Data 18 (1973)
// 234: Z_RA = 0.29056 - 0.08775 omega.
inline constexpr double yamada_gunn[2] = {0.29056, -0.08775};

// Water density at 60 F, kg/m3, that turns a specific gravity 60/60 F into a density (the
// data set's convention, thermo/data/README.md).
inline constexpr double water_density_60F_kg_per_m3 = 999.016;

// kij between a pseudo-component and water: the component table's value for the
// n-alkanes from propane to n-decane with water (NeqSim INTER.csv constant term).
inline constexpr double pseudo_water_kij = 0.5;

// Kelvin offset and the standard atmosphere, kPa (definitions).
inline constexpr double celsius_offset_K = 273.15;
inline constexpr double atmosphere_kPa = 101.325;
// Temperature of the tabulated liquid densities (15 C), to which volume shifts are fitted.
inline constexpr double reference_density_T_K = 288.15;

}  // namespace thermo::constants
