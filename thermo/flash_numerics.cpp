// Small numerical helpers of the flashes: dense solves on a leading block without
// allocation, and the guard that keeps non-finite numbers out of every result.
#include <algorithm>
#include <cmath>

#include "thermo/flasher.h"

namespace thermo {
namespace {

bool all_finite(const FlashResult& r) {
  if (!std::isfinite(r.P_kPa)) return false;
  for (const auto& p : r.phases) {
    if (!std::isfinite(p.fraction) || !std::isfinite(p.v_m3_per_kmol) || !std::isfinite(p.Z)) return false;
    for (double v : p.composition) {
      if (!std::isfinite(v)) return false;
    }
  }
  return true;
}

}  // namespace

void guard_finite(FlashResult& out) {
  if (all_finite(out)) return;
  for (auto& p : out.phases) {
    p.present = false;
    p.fraction = p.v_m3_per_kmol = p.Z = 0;
    std::fill(p.composition.begin(), p.composition.end(), 0.0);
  }
  out.phase_count = 0;
  out.P_kPa = std::isfinite(out.P_kPa) ? out.P_kPa : 0.0;
  out.status = FlashStatus::NotConverged;
  out.message = "the iteration left the range of finite numbers";
}

bool solve_in_place(Eigen::MatrixXd& A, Eigen::VectorXd& b, Eigen::Index m) {
  for (Eigen::Index k = 0; k < m; ++k) {
    Eigen::Index pivot = k;
    for (Eigen::Index i = k + 1; i < m; ++i) {
      if (std::abs(A(i, k)) > std::abs(A(pivot, k))) pivot = i;
    }
    if (A(pivot, k) == 0.0 || !std::isfinite(A(pivot, k))) return false;
    if (pivot != k) {
      for (Eigen::Index j = 0; j < m; ++j) std::swap(A(k, j), A(pivot, j));
      std::swap(b(k), b(pivot));
    }
    for (Eigen::Index i = k + 1; i < m; ++i) {
      const double f = A(i, k) / A(k, k);
      if (f == 0.0) continue;
      for (Eigen::Index j = k + 1; j < m; ++j) A(i, j) -= f * A(k, j);
      b(i) -= f * b(k);
    }
  }
  for (Eigen::Index k = m - 1; k >= 0; --k) {
    double s = b(k);
    for (Eigen::Index j = k + 1; j < m; ++j) s -= A(k, j) * b(j);
    b(k) = s / A(k, k);
  }
  return true;
}

bool solve_symmetric_in_place(Eigen::MatrixXd& A, Eigen::VectorXd& b, Eigen::Index m, Eigen::VectorXd& work) {
  // Cholesky A = L L^T, row by row: L's off-diagonal goes to A's strict lower triangle,
  // its diagonal to `work`; A's diagonal and upper triangle stay as they were.
  for (Eigen::Index i = 0; i < m; ++i) {
    for (Eigen::Index j = 0; j <= i; ++j) {
      double s = j == i ? A(i, i) : A(j, i);  // the upper triangle holds A itself
      for (Eigen::Index k = 0; k < j; ++k) s -= A(i, k) * A(j, k);
      if (j < i) {
        A(i, j) = s / work(j);
      } else {
        if (!(s > 0) || !std::isfinite(s)) {
          // Not positive definite: restore the lower triangle from the upper one.
          for (Eigen::Index c = 0; c < m; ++c) {
            for (Eigen::Index r = c + 1; r < m; ++r) A(r, c) = A(c, r);
          }
          return false;
        }
        work(i) = std::sqrt(s);
      }
    }
  }
  for (Eigen::Index i = 0; i < m; ++i) {
    double s = b(i);
    for (Eigen::Index k = 0; k < i; ++k) s -= A(i, k) * b(k);
    b(i) = s / work(i);
  }
  for (Eigen::Index i = m - 1; i >= 0; --i) {
    double s = b(i);
    for (Eigen::Index k = i + 1; k < m; ++k) s -= A(k, i) * b(k);
    b(i) = s / work(i);
  }
  return true;
}

bool solve_newton_step(Eigen::MatrixXd& A, Eigen::VectorXd& b, Eigen::Index m, Eigen::VectorXd& work) {
  return solve_symmetric_in_place(A, b, m, work) || solve_in_place(A, b, m);
}

}  // namespace thermo
