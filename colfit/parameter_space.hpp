#pragma once
// The estimated parameters as the solver and the statistics see them. For estimated parameter j
// (in record order): its statistical variable s_j (see transformations.hpp), kept within the bounds
// of s_j by the solver's free variable theta_j. The twelve values follow from the s: estimated ones
// from their s, l2 tied to Kirr at the tie ratio, every other one at its initial value.

#include <cstddef>
#include <span>
#include <vector>

#include "colfit/fit_problem.hpp"
#include "colfit/transformations.hpp"

namespace colfit {

class ParameterSpace {
  public:
    explicit ParameterSpace(const FitProblem& problem);

    std::size_t size() const noexcept { return record_.size(); }
    std::size_t record(std::size_t j) const { return record_[j]; }
    Scale scale(std::size_t j) const { return scale_[j]; }
    // The bounds of s_j and the map from theta_j.
    const BoundedMap& map(std::size_t j) const { return map_[j]; }

    ParameterValues values(std::span<const double> s) const;
    // The s of the estimated parameters' initial values, each moved off a bound by a thousandth of
    // its range, where the solver could not move it (the map's derivative vanishes there).
    std::vector<double> start() const;
    std::vector<double> s_of_theta(std::span<const double> theta) const;
    std::vector<double> theta_of_s(std::span<const double> s) const;
    // d s_j / d theta_j.
    std::vector<double> derivatives(std::span<const double> theta) const;
    // The scale of s_j against which steps are measured: 1 on the log scale (a step is a relative
    // change of the value), otherwise |s_j|, or a thousandth of the range when that is larger.
    double typical(std::size_t j, double s) const;

  private:
    ParameterValues fixed_values_;
    std::vector<std::size_t> record_;
    std::vector<Scale> scale_;
    std::vector<BoundedMap> map_;
    bool tied_ = false;
    double tie_ratio_ = 0.0;
};

}  // namespace colfit
