// Dense curves of the fitted model.
#include "colfit/dense_curve.hpp"

#include <algorithm>

namespace colfit {
namespace {

constexpr int kDenseTimes = 300;

std::vector<DenseCurve> colloid_curves(const FitProblem& problem, const ParameterValues& values,
                                       CurveEvaluator& evaluator) {
    std::vector<DenseCurve> curves;
    for (const Observation& o : problem.observations) {
        auto found =
            std::find_if(curves.begin(), curves.end(), [&](const DenseCurve& c) { return c.x == o.x; });
        if (found == curves.end()) found = curves.insert(curves.end(), DenseCurve{o.x, {0.0}, {}});
        found->t.front() = std::max(found->t.front(), o.t);  // the last time, for now
    }
    std::vector<CurvePoint> points;
    for (DenseCurve& c : curves) {
        const double last = c.t.front();
        c.t.clear();
        for (int k = 0; k <= kDenseTimes; ++k) {
            c.t.push_back(last * k / kDenseTimes);
            points.push_back({c.t.back(), c.x});
        }
    }
    const Curve curve = evaluator.curve(values, points);
    if (!curve) return {};
    std::size_t next = 0;
    for (DenseCurve& c : curves) {
        c.value.assign(curve->begin() + static_cast<std::ptrdiff_t>(next),
                       curve->begin() + static_cast<std::ptrdiff_t>(next + c.t.size()));
        next += c.t.size();
    }
    return curves;
}

std::vector<DenseCurve> sorption_curve(const FitProblem& problem, const ParameterValues& values,
                                       CurveEvaluator& evaluator) {
    const std::vector<Observation>& o = problem.observations;
    std::vector<CurvePoint> series;
    const double first = o.front().t;
    const double step = (o.back().t - first) / kDenseTimes;
    for (std::size_t i = 0; i < o.size(); ++i) {
        series.push_back({o[i].t, o[i].x});
        if (i + 1 == o.size()) break;
        for (int k = 1; first + k * step < o[i + 1].t; ++k) {
            const double t = first + k * step;
            if (t <= o[i].t) continue;
            const double c = o[i].x + (o[i + 1].x - o[i].x) * (t - o[i].t) / (o[i + 1].t - o[i].t);
            series.push_back({t, c});
        }
    }
    const Curve curve = evaluator.curve(values, series);
    if (!curve) return {};
    DenseCurve dense;
    for (std::size_t k = 0; k < series.size(); ++k) {
        dense.t.push_back(series[k].t);
        dense.value.push_back((*curve)[k]);
    }
    return {dense};
}

}  // namespace

std::vector<DenseCurve> dense_curves(const FitProblem& problem, const ParameterValues& values,
                                     CurveEvaluator& evaluator) {
    if (problem.observations.empty()) return {};
    if (problem.family == Family::sorption) return sorption_curve(problem, values, evaluator);
    return colloid_curves(problem, values, evaluator);
}

}  // namespace colfit
