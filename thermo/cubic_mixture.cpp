#include "thermo/cubic_mixture.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "thermo/constants.h"

namespace thermo {

namespace {

// One Newton step on the cubic at a time, until the step is at rounding level.
double polish_root(double c2, double c1, double c0, double z, int steps) {
  for (int it = 0; it < steps; ++it) {
    const double f = ((z + c2) * z + c1) * z + c0;
    const double df = (3.0 * z + 2.0 * c2) * z + c1;
    if (df == 0) break;
    const double step = f / df;
    z -= step;
    if (std::abs(step) <= 1e-15 * std::abs(z)) break;
  }
  return z;
}

}  // namespace

int solve_cubic(double c2, double c1, double c0, double roots[3]) {
  // One root first: Cardano's where the discriminant says one real root, else the
  // largest of the trigonometric form. The other two come from the quadratic left by
  // Vieta's relations. The discriminant itself is no guide at low pressure: there the
  // liquid roots are tiny beside the vapour's (1e-10 beside 1), the discriminant is of
  // order their squared difference, 1e-22, beside terms of 1e-3, and its sign is noise
  // (a liquid then went missing), while the quadratic keeps every digit.
  const double shift = c2 / 3.0;
  const double p = c1 - c2 * c2 / 3.0;
  const double q = 2.0 * c2 * c2 * c2 / 27.0 - c2 * c1 / 3.0 + c0;
  const double disc = q * q / 4.0 + p * p * p / 27.0;
  double r = 0;
  if (disc > 0 || p >= 0) {
    const double sq = std::sqrt(std::max(disc, 0.0));
    r = std::cbrt(-q / 2.0 + sq) + std::cbrt(-q / 2.0 - sq) - shift;
  } else {
    const double m = 2.0 * std::sqrt(-p / 3.0);
    const double arg = std::clamp(3.0 * q / (p * m), -1.0, 1.0);
    r = m * std::cos(std::acos(arg) / 3.0) - shift;
  }
  r = polish_root(c2, c1, c0, r, 6);
  roots[0] = r;
  if (r == 0) return 1;
  // The other two: t^2 - S t + R = 0 with R = -c0 / r and S = -c2 - r, or, where that
  // difference cancels (S small beside r), S = (c1 - R) / r.
  const double product = -c0 / r;
  double sum = -c2 - r;
  if (std::abs(sum) < 0.5 * std::abs(r)) sum = (c1 - product) / r;
  const double h = 0.25 * sum * sum - product;
  if (!(h >= 0) || !std::isfinite(h)) return 1;
  const double larger = 0.5 * sum + std::copysign(std::sqrt(h), sum);
  if (larger == 0) return 1;
  roots[1] = polish_root(c2, c1, c0, product / larger, 3);
  roots[2] = polish_root(c2, c1, c0, larger, 3);
  std::sort(roots, roots + 3);
  return 3;
}

CubicMixture::CubicMixture(const Fluid& fluid) : fluid_(fluid) {
  const auto n = static_cast<Eigen::Index>(fluid.size());
  a_ij_.resize(n, n);
  x_.resize(n);
  s_.resize(n);
  q_.resize(n);
  p_.resize(n);
}

void CubicMixture::set_temperature(double T_K) {
  if (T_K == T_K_) return;
  T_K_ = T_K;
  const auto n = static_cast<Eigen::Index>(fluid_.size());
  for (Eigen::Index i = 0; i < n; ++i) {
    s_(i) = std::sqrt(fluid_.a_critical()(i) * alpha(fluid_.eos(), fluid_.component(static_cast<std::size_t>(i)), T_K));
  }
  for (Eigen::Index i = 0; i < n; ++i) {
    for (Eigen::Index j = 0; j <= i; ++j) {
      a_ij_(i, j) = a_ij_(j, i) = s_(i) * s_(j) * (1.0 - fluid_.kij(static_cast<std::size_t>(i), static_cast<std::size_t>(j)));
    }
  }
}

PhaseProperties CubicMixture::ln_phi(const Eigen::Ref<const Eigen::VectorXd>& x_in, double P_kPa, RootChoice root,
                                     Eigen::Ref<Eigen::VectorXd> out, Eigen::VectorXd* dlnphi_dP,
                                     Eigen::MatrixXd* dlnphi_dn) {
  const auto n = static_cast<Eigen::Index>(fluid_.size());
  const double RT = constants::R_J_per_mol_K * T_K_;
  const double d1 = fluid_.cubic().delta1;
  const double d2 = fluid_.cubic().delta2;
  const Eigen::VectorXd& bi = fluid_.b();

  const double sum = x_in.sum();
  x_ = x_in / sum;
  s_.noalias() = a_ij_ * x_;  // s_i = sum_j x_j a_ij
  const double a = x_.dot(s_);
  const double b = x_.dot(bi);
  const double A = a * P_kPa / (RT * RT);
  const double B = b * P_kPa / RT;

  const double c2 = (d1 + d2 - 1.0) * B - 1.0;
  const double c1 = A + d1 * d2 * B * B - (d1 + d2) * B * (B + 1.0);
  const double c0 = -(A * B + d1 * d2 * B * B * (B + 1.0));
  double roots[3];
  const int count = solve_cubic(c2, c1, c0, roots);
  // Roots at or below B have no physical meaning; the largest root always exceeds B.
  double z_small = roots[0];
  const double z_large = roots[count - 1];
  if (count == 1 || z_small <= B) z_small = count == 3 && roots[1] > B ? roots[1] : z_large;

  const double delta = d1 - d2;
  // Residual Gibbs energy of a root from its two logarithms, which ln phi reuses.
  struct RootLogs {
    double ln_z_minus_b;
    double L;  // ln((Z + delta1 B) / (Z + delta2 B))
  };
  auto logs_of = [&](double z) {
    return RootLogs{std::log(z - B), std::log((z + d1 * B) / (z + d2 * B))};
  };
  auto g_res = [&](double z, const RootLogs& l) { return z - 1.0 - l.ln_z_minus_b - A / (delta * B) * l.L; };
  double Z = z_large;
  bool liquid = false;
  RootLogs logs{};
  bool have_logs = false;
  if (z_small < z_large) {
    switch (root) {
      case RootChoice::Liquid: Z = z_small; liquid = true; break;
      case RootChoice::Vapour: Z = z_large; break;
      case RootChoice::MinimumGibbs: {
        const RootLogs small = logs_of(z_small);
        const RootLogs large = logs_of(z_large);
        if (g_res(z_small, small) < g_res(z_large, large)) {
          Z = z_small;
          liquid = true;
          logs = small;
        } else {
          logs = large;
        }
        have_logs = true;
        break;
      }
    }
  }
  if (!have_logs) logs = logs_of(Z);
  const double L = logs.L;
  const double AoB = A / B;
  for (Eigen::Index i = 0; i < n; ++i) {
    const double bib = bi(i) / b;
    const double Q = 2.0 * s_(i) / a - bib;
    out(i) = bib * (Z - 1.0) - logs.ln_z_minus_b - AoB / delta * Q * L;
  }

  PhaseProperties props;
  props.Z = Z;
  props.v_eos_m3_per_kmol = Z * RT / P_kPa;
  props.b_m3_per_kmol = b;
  props.liquid_root = liquid;
  props.g_residual = g_res(Z, logs);
  if (!dlnphi_dP && !dlnphi_dn) return props;

  const double CZ = (3.0 * Z + 2.0 * c2) * Z + c1;
  const double CA = Z - B;
  const double CB = Z * Z * (d1 + d2 - 1.0) + Z * (2.0 * d1 * d2 * B - (d1 + d2) * (2.0 * B + 1.0)) -
                    (A + d1 * d2 * (2.0 * B + 3.0 * B * B));
  const double zp1 = Z + d1 * B;
  const double zp2 = Z + d2 * B;

  if (dlnphi_dP) {
    const double ZP = -(CA * A + CB * B) / (P_kPa * CZ);
    const double BP = B / P_kPa;
    const double LP = (ZP + d1 * BP) / zp1 - (ZP + d2 * BP) / zp2;
    for (Eigen::Index i = 0; i < n; ++i) {
      const double bib = bi(i) / b;
      const double Q = 2.0 * s_(i) / a - bib;
      (*dlnphi_dP)(i) = bib * ZP - (ZP - BP) / (Z - B) - AoB / delta * Q * LP;
    }
  }
  if (dlnphi_dn) {
    // Derivatives for one mole of mixture (d x_k / d n_j = delta_kj - x_k), gathered as
    //   d ln phi_i / d n_j = w a_ij + b_i m_j + c_j + Q_i v_j + p_i + s_i q_j,
    // so the n x n part is a few rank-one updates.
    const double pa = P_kPa / (RT * RT);
    const double pb = P_kPa / RT;
    const double g = AoB * L / delta;
    Eigen::MatrixXd& J = *dlnphi_dn;
    J.noalias() = (-2.0 * g / a) * a_ij_;
    for (Eigen::Index i = 0; i < n; ++i) {
      q_(i) = 2.0 * s_(i) / a - bi(i) / b;
      p_(i) = 2.0 * g * s_(i) / a;
    }
    for (Eigen::Index j = 0; j < n; ++j) {
      const double da = 2.0 * (s_(j) - a);
      const double db = bi(j) - b;
      const double dA = da * pa;
      const double dB = db * pb;
      const double dZ = -(CA * dA + CB * dB) / CZ;
      const double dAoB = dA / B - A * dB / (B * B);
      const double dL = (dZ + d1 * dB) / zp1 - (dZ + d2 * dB) / zp2;
      const double m = (-db * (Z - 1.0) / b + dZ) / b - g * db / (b * b);
      const double c = -(dZ - dB) / (Z - B);
      const double v = -(L * dAoB + AoB * dL) / delta;
      const double q = 2.0 * g * da / (a * a);
      J.col(j).array() += bi.array() * m + c + q_.array() * v + p_.array() + s_.array() * q;
    }
  }
  return props;
}

double CubicMixture::translated_volume(const Eigen::Ref<const Eigen::VectorXd>& x, const PhaseProperties& phase) const {
  return phase.v_eos_m3_per_kmol - x.dot(fluid_.shift()) / x.sum();
}

}  // namespace thermo
