#pragma once
// The weighted residuals of a fit, r_i = w_i (model_i - measured_i), so that phi = sum of r_i^2,
// at sets of the statistical variables of the estimated parameters.

#include <optional>
#include <span>
#include <vector>

#include "colfit/curve_evaluator.hpp"
#include "colfit/fit_problem.hpp"
#include "colfit/parameter_space.hpp"

namespace colfit {

class Residuals {
  public:
    Residuals(const FitProblem& problem, const ParameterSpace& space, CurveEvaluator& evaluator);

    std::size_t size() const noexcept { return points_.size(); }
    const ParameterSpace& space() const noexcept { return space_; }
    std::span<const CurvePoint> points() const noexcept { return points_; }

    // The residuals of each set; nullopt where the model could not be evaluated.
    std::vector<std::optional<std::vector<double>>> at(std::span<const std::vector<double>> s_sets);
    std::optional<std::vector<double>> at(const std::vector<double>& s);

  private:
    const FitProblem& problem_;
    const ParameterSpace& space_;
    CurveEvaluator& evaluator_;
    std::vector<CurvePoint> points_;
};

double sum_of_squares(std::span<const double> values);

}  // namespace colfit
