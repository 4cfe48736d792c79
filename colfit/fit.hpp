#pragma once
// A whole fit: the solver from each start, the best start kept, and at its optimum the central-
// difference Jacobian, the statistics and the fitted values; the time it took and how many model
// evaluations it made.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "colfit/curve_evaluator.hpp"
#include "colfit/fit_problem.hpp"
#include "colfit/least_squares.hpp"
#include "colfit/multistart.hpp"
#include "colfit/parameter_space.hpp"
#include "colfit/statistics.hpp"

namespace colfit {

struct FitSettings {
    std::size_t starts = 1;
    std::size_t max_iterations = 100;
    bool geodesic_acceleration = false;
};

struct FitResult {
    std::vector<StartOutcome> starts;
    std::size_t best = 0;                         // the start kept
    Solution solution;                            // of the start kept
    ParameterValues values{};                     // all twelve at its optimum
    std::vector<double> fitted;                   // the model's values at the observations
    std::optional<FitStatistics> statistics;      // nullopt when the derivatives could not be formed
    std::optional<MultistartSummary> multistart;  // with more than one start
    std::int64_t evaluations = 0;                 // model evaluations (parameter sets), all starts together
    double wall_seconds = 0.0;
    double cpu_seconds = 0.0;

    bool converged() const { return is_converged(solution.termination) && statistics.has_value(); }
};

// nullopt when the model cannot be evaluated at the initial values.
std::optional<FitResult> fit(const FitProblem& problem, const ParameterSpace& space,
                             CurveEvaluator& evaluator, const FitSettings& settings);

}  // namespace colfit
