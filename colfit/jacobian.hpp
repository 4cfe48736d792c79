#pragma once
// Derivatives of the weighted residuals with respect to the statistical variables s of the
// estimated parameters, by finite differences whose steps are sized to the model's accuracy:
// forward differences while the solver iterates (one evaluation per parameter), central ones for
// the statistics (two). Every step stays within the bounds of s: next to a bound the differences
// are taken one-sided, towards the inside. The evaluations of all columns run as one batch.

#include <optional>
#include <span>

#include "colfit/matrix.hpp"
#include "colfit/residuals.hpp"

namespace colfit {

enum class Differences { forward, central };

// J(i, j) = d r_i / d s_j at s, where the residuals are r0. nullopt when the model cannot be
// evaluated on either side of some s_j.
std::optional<Matrix> jacobian(Residuals& residuals, std::span<const double> s, std::span<const double> r0,
                               Differences differences, double step);

}  // namespace colfit
