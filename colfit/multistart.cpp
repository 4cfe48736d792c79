// Latin hypercube starts and the spread of the starts that reach the best objective.
#include "colfit/multistart.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>

namespace colfit {

std::vector<std::vector<double>> multistart_points(const ParameterSpace& space, std::size_t starts,
                                                   std::uint64_t seed) {
    std::vector<std::vector<double>> points{space.start()};
    if (starts <= 1) return points;
    const std::size_t strata = starts - 1;
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    points.resize(starts, std::vector<double>(space.size()));
    for (std::size_t j = 0; j < space.size(); ++j) {
        const BoundedMap& m = space.map(j);
        const double margin = 1e-3 * (m.upper - m.lower);
        const double width = (m.upper - m.lower - 2.0 * margin) / static_cast<double>(strata);
        std::vector<std::size_t> order(strata);
        std::iota(order.begin(), order.end(), 0);
        std::shuffle(order.begin(), order.end(), random);
        for (std::size_t k = 0; k < strata; ++k)
            points[k + 1][j] = m.lower + margin + (static_cast<double>(order[k]) + unit(random)) * width;
    }
    return points;
}

bool starts_disagree(const Spread& spread) {
    return spread.in_standard_errors > 1.0 || spread.relative > 0.01;
}

MultistartSummary summarize_starts(const ParameterSpace& space, std::span<const StartOutcome> outcomes,
                                   double residual_variance, std::span<const double> standard_errors) {
    MultistartSummary summary;
    summary.starts = outcomes.size();
    double best = std::numeric_limits<double>::infinity();
    for (const StartOutcome& o : outcomes) {
        if (o.evaluated) best = std::min(best, o.phi);
    }
    summary.tolerance = 0.01 * residual_variance;
    std::vector<double> lowest(space.size(), std::numeric_limits<double>::infinity());
    std::vector<double> highest(space.size(), -std::numeric_limits<double>::infinity());
    for (const StartOutcome& o : outcomes) {
        if (!o.evaluated || !(o.phi <= best + summary.tolerance)) continue;
        ++summary.reached_best;
        for (std::size_t j = 0; j < space.size(); ++j) {
            lowest[j] = std::min(lowest[j], o.s[j]);
            highest[j] = std::max(highest[j], o.s[j]);
        }
    }
    for (std::size_t j = 0; j < space.size() && summary.reached_best > 0; ++j) {
        Spread spread{from_statistical(space.scale(j), lowest[j]),
                      from_statistical(space.scale(j), highest[j]), 0.0,
                      (highest[j] - lowest[j]) / space.typical(j, highest[j])};
        if (j < standard_errors.size() && standard_errors[j] > 0.0)
            spread.in_standard_errors = (highest[j] - lowest[j]) / standard_errors[j];
        summary.spread.push_back(spread);
    }
    return summary;
}

}  // namespace colfit
