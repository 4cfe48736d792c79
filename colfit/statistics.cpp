// Covariance, standard errors, intervals and correlations through the singular values of J.
#include "colfit/statistics.hpp"

#include <gsl/gsl_cdf.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>

#include "numerics/gsl_handles.hpp"

namespace colfit {
namespace {

// Singular values below this fraction of the largest (of J with columns of unit length) count as
// zero: the finite-difference Jacobian carries no more digits than that.
constexpr double kRankTolerance = 1e-10;
// A parameter takes part in a null direction when its share of the singular vector exceeds this.
constexpr double kNullShare = 0.1;

using numerics::GslMatrix;
using numerics::GslVector;

}  // namespace

FitStatistics fit_statistics(const Matrix& jacobian, std::span<const double> weighted_residuals,
                             std::size_t degrees_of_freedom) {
    FitStatistics stats;
    for (const double r : weighted_residuals) stats.phi += r * r;
    stats.degrees_of_freedom = degrees_of_freedom;
    const double dof = static_cast<double>(degrees_of_freedom);
    stats.residual_variance = stats.phi / dof;
    stats.t_quantile = gsl_cdf_tdist_Pinv(0.975, dof);

    const std::size_t n = jacobian.rows;
    const std::size_t p = jacobian.cols;
    // Columns scaled to unit length, so that the rank test does not depend on the parameters' units.
    std::vector<double> norm(p, 0.0);
    for (std::size_t j = 0; j < p; ++j) {
        for (std::size_t i = 0; i < n; ++i) norm[j] += jacobian(i, j) * jacobian(i, j);
        norm[j] = std::sqrt(norm[j]);
    }
    double largest_norm = 0.0;
    for (const double v : norm) largest_norm = std::max(largest_norm, v);
    for (std::size_t j = 0; j < p; ++j) {
        if (!(norm[j] > kRankTolerance * largest_norm)) stats.undetermined.push_back(j);
    }
    if (!stats.undetermined.empty() || n < p) return stats;

    const GslMatrix u(gsl_matrix_alloc(n, p));
    const GslMatrix v(gsl_matrix_alloc(p, p));
    const GslVector sigma(gsl_vector_alloc(p));
    const GslVector work(gsl_vector_alloc(p));
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < p; ++j) gsl_matrix_set(u.get(), i, j, jacobian(i, j) / norm[j]);
    }
    gsl_linalg_SV_decomp(u.get(), v.get(), sigma.get(), work.get());
    const double largest = gsl_vector_get(sigma.get(), 0);
    for (std::size_t k = 0; k < p; ++k) {
        if (gsl_vector_get(sigma.get(), k) > kRankTolerance * largest) continue;
        for (std::size_t j = 0; j < p; ++j) {
            const bool listed = std::find(stats.undetermined.begin(), stats.undetermined.end(), j) !=
                                stats.undetermined.end();
            if (std::fabs(gsl_matrix_get(v.get(), j, k)) > kNullShare && !listed)
                stats.undetermined.push_back(j);
        }
    }
    if (!stats.undetermined.empty()) {
        std::sort(stats.undetermined.begin(), stats.undetermined.end());
        return stats;
    }

    // (J^T J)^-1 = D^-1 V Sigma^-2 V^T D^-1, D the column lengths.
    Matrix covariance(p, p);
    for (std::size_t a = 0; a < p; ++a) {
        for (std::size_t b = 0; b < p; ++b) {
            double sum = 0.0;
            for (std::size_t k = 0; k < p; ++k) {
                const double sk = gsl_vector_get(sigma.get(), k);
                sum += gsl_matrix_get(v.get(), a, k) * gsl_matrix_get(v.get(), b, k) / (sk * sk);
            }
            covariance(a, b) = stats.residual_variance * sum / (norm[a] * norm[b]);
        }
    }
    Matrix correlation(p, p);
    for (std::size_t a = 0; a < p; ++a) stats.standard_errors.push_back(std::sqrt(covariance(a, a)));
    for (std::size_t a = 0; a < p; ++a) {
        for (std::size_t b = 0; b < p; ++b)
            correlation(a, b) =
                a == b ? 1.0 : covariance(a, b) / (stats.standard_errors[a] * stats.standard_errors[b]);
    }
    stats.covariance = std::move(covariance);
    stats.correlation = std::move(correlation);
    return stats;
}

double value_standard_error(Scale scale, double s, double se_s) {
    return value_derivative(scale, s) * se_s;
}

Interval confidence_interval(Scale scale, double s, double se_s, double t_quantile) {
    return {from_statistical(scale, s - t_quantile * se_s), from_statistical(scale, s + t_quantile * se_s)};
}

}  // namespace colfit
