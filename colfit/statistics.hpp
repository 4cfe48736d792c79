#pragma once
// The classical statistics of a weighted least-squares fit at its optimum, from the Jacobian J of
// the weighted residuals with respect to the statistical variables s of the estimated parameters:
// the covariance s^2 (J^T J)^-1 with s^2 = phi / (n - p), standard errors, the two-sided 95 %
// interval from Student's t with n - p degrees of freedom, and correlations. A J of deficient rank
// has no covariance; the parameters in its null directions are named instead.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "colfit/matrix.hpp"
#include "colfit/transformations.hpp"

namespace colfit {

struct FitStatistics {
    double phi = 0.0;
    std::size_t degrees_of_freedom = 0;
    double residual_variance = 0.0;       // s^2 = phi / (n - p)
    double t_quantile = 0.0;              // the 97.5 % quantile of t with n - p degrees of freedom
    std::optional<Matrix> covariance;     // of s, p x p
    std::vector<double> standard_errors;  // of s, when there is a covariance
    std::optional<Matrix> correlation;
    std::vector<std::size_t> undetermined;  // parameters the data do not determine (no covariance)
};

FitStatistics fit_statistics(const Matrix& jacobian, std::span<const double> weighted_residuals,
                             std::size_t degrees_of_freedom);

struct Interval {
    double lower = 0.0;
    double upper = 0.0;
};

// The standard error of the value itself (first order: value x se(s) on the log scale).
double value_standard_error(Scale scale, double s, double se_s);
// The 95 % interval of the value: s -/+ t se(s) carried back, asymmetric on the log scale.
Interval confidence_interval(Scale scale, double s, double se_s, double t_quantile);

}  // namespace colfit
