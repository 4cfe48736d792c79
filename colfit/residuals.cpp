// Weighted residuals from model curves.
#include "colfit/residuals.hpp"

namespace colfit {

Residuals::Residuals(const FitProblem& problem, const ParameterSpace& space, CurveEvaluator& evaluator)
    : problem_(problem), space_(space), evaluator_(evaluator) {
    for (const Observation& o : problem.observations) points_.push_back({o.t, o.x});
}

std::vector<std::optional<std::vector<double>>> Residuals::at(std::span<const std::vector<double>> s_sets) {
    std::vector<ParameterValues> sets;
    for (const std::vector<double>& s : s_sets) sets.push_back(space_.values(s));
    std::vector<Curve> curves = evaluator_.curves(sets, points_);
    for (Curve& curve : curves) {
        if (!curve) continue;
        for (std::size_t i = 0; i < curve->size(); ++i) {
            const Observation& o = problem_.observations[i];
            (*curve)[i] = o.weight * ((*curve)[i] - o.measured);
        }
    }
    return curves;
}

std::optional<std::vector<double>> Residuals::at(const std::vector<double>& s) {
    return std::move(at(std::span(&s, 1)).front());
}

double sum_of_squares(std::span<const double> values) {
    double sum = 0.0;
    for (const double v : values) sum += v * v;
    return sum;
}

}  // namespace colfit
