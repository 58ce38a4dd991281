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
  // Cholesky A = U^T U by columns (contiguous in Eigen's storage): U's off-diagonal goes
  // to A's strict upper triangle, the reciprocal of its diagonal to `work`; A's diagonal
  // and lower triangle stay as they were.
  for (Eigen::Index j = 0; j < m; ++j) {
    auto col_j = A.col(j);
    for (Eigen::Index i = 0; i < j; ++i) {
      col_j(i) = (A(j, i) - A.col(i).head(i).dot(col_j.head(i))) * work(i);
    }
    const double d = A(j, j) - col_j.head(j).squaredNorm();
    if (!(d > 0) || !std::isfinite(d)) {
      // Not positive definite: the upper triangle becomes the mirror of the lower one
      // (A as it was, if it was symmetric).
      for (Eigen::Index c = 1; c < m; ++c) {
        for (Eigen::Index r = 0; r < c; ++r) A(r, c) = A(c, r);
      }
      return false;
    }
    work(j) = 1.0 / std::sqrt(d);
  }
  for (Eigen::Index i = 0; i < m; ++i) b(i) = (b(i) - A.col(i).head(i).dot(b.head(i))) * work(i);
  for (Eigen::Index i = m - 1; i >= 0; --i) {
    b(i) *= work(i);
    b.head(i) -= b(i) * A.col(i).head(i);
  }
  return true;
}

bool solve_newton_step(Eigen::MatrixXd& A, Eigen::VectorXd& b, Eigen::Index m, Eigen::VectorXd& work) {
  return solve_symmetric_in_place(A, b, m, work) || solve_in_place(A, b, m);
}

}  // namespace thermo
