// The mapping between the solver's variables, the statistical variables and the twelve values.
#include "colfit/parameter_space.hpp"

#include <algorithm>
#include <cmath>

namespace colfit {

ParameterSpace::ParameterSpace(const FitProblem& problem)
    : fixed_values_(problem.initial_values()),
      tied_(problem.parameters[pestprep::kL2Index].role == Role::tied),
      tie_ratio_(problem.tie_ratio) {
    for (const std::size_t r : problem.estimated) {
        const ParameterInput& p = problem.parameters[r];
        record_.push_back(r);
        scale_.push_back(p.scale);
        map_.push_back({to_statistical(p.scale, p.lower), to_statistical(p.scale, p.upper)});
    }
}

ParameterValues ParameterSpace::values(std::span<const double> s) const {
    ParameterValues values = fixed_values_;
    for (std::size_t j = 0; j < size(); ++j) values[record_[j]] = from_statistical(scale_[j], s[j]);
    if (tied_) values[pestprep::kL2Index] = tie_ratio_ * values[pestprep::kKirrIndex];
    return values;
}

std::vector<double> ParameterSpace::start() const {
    std::vector<double> s(size());
    for (std::size_t j = 0; j < size(); ++j) {
        const BoundedMap& m = map_[j];
        const double margin = 1e-3 * (m.upper - m.lower);
        s[j] = std::clamp(to_statistical(scale_[j], fixed_values_[record_[j]]), m.lower + margin,
                          m.upper - margin);
    }
    return s;
}

std::vector<double> ParameterSpace::s_of_theta(std::span<const double> theta) const {
    std::vector<double> s(size());
    for (std::size_t j = 0; j < size(); ++j) s[j] = map_[j].s_of(theta[j]);
    return s;
}

std::vector<double> ParameterSpace::theta_of_s(std::span<const double> s) const {
    std::vector<double> theta(size());
    for (std::size_t j = 0; j < size(); ++j) theta[j] = map_[j].theta_of(s[j]);
    return theta;
}

std::vector<double> ParameterSpace::derivatives(std::span<const double> theta) const {
    std::vector<double> d(size());
    for (std::size_t j = 0; j < size(); ++j) d[j] = map_[j].derivative(theta[j]);
    return d;
}

double ParameterSpace::typical(std::size_t j, double s) const {
    if (scale_[j] == Scale::log) return 1.0;
    return std::max(std::fabs(s), 1e-3 * (map_[j].upper - map_[j].lower));
}

}  // namespace colfit
