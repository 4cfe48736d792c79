// Running the starts, keeping the best, and the statistics at its optimum.
#include "colfit/fit.hpp"

#include <algorithm>
#include <chrono>

#include "colfit/jacobian.hpp"
#include "common/cpu_time.hpp"

namespace colfit {

std::optional<FitResult> fit(const FitProblem& problem, const ParameterSpace& space,
                             CurveEvaluator& evaluator, const FitSettings& settings) {
    const auto wall_start = std::chrono::steady_clock::now();
    const double cpu_start = common::process_cpu_time();
    const std::int64_t evaluations_before = evaluator.evaluations();
    Residuals residuals(problem, space, evaluator);
    const std::size_t degrees_of_freedom = problem.weighted_observations - space.size();

    SolverSettings solver;
    solver.max_iterations = settings.max_iterations;
    solver.geodesic_acceleration = settings.geodesic_acceleration;
    solver.difference_step = forward_step(evaluator.accuracy());
    solver.degrees_of_freedom = degrees_of_freedom;

    FitResult result;
    std::vector<Solution> solutions;
    for (const std::vector<double>& start : multistart_points(space, settings.starts)) {
        StartOutcome outcome;
        if (!residuals.at(start)) {
            if (result.starts.empty()) return std::nullopt;  // the initial values themselves
            result.starts.push_back(outcome);
            solutions.emplace_back();
            continue;
        }
        Solution solution = solve(residuals, start, solver);
        outcome = {solution.s, solution.phi, is_converged(solution.termination), true};
        result.starts.push_back(outcome);
        solutions.push_back(std::move(solution));
        const StartOutcome& kept = result.starts[result.best];
        const bool better = outcome.converged > kept.converged ||
                            (outcome.converged == kept.converged && outcome.phi < kept.phi);
        if (better) result.best = result.starts.size() - 1;
    }
    result.solution = solutions[result.best];
    result.values = space.values(result.solution.s);
    const std::optional<Matrix> jac = jacobian(residuals, result.solution.s, result.solution.residuals,
                                               Differences::central, central_step(evaluator.accuracy()));
    if (jac) result.statistics = fit_statistics(*jac, result.solution.residuals, degrees_of_freedom);
    // The fitted values, from the curve itself (the residuals lose them where a weight is 0).
    const Curve fitted = evaluator.curve(result.values, residuals.points());
    if (fitted) {
        result.fitted = *fitted;
    } else {
        for (std::size_t i = 0; i < problem.observations.size(); ++i) {
            const Observation& o = problem.observations[i];
            result.fitted.push_back(o.weight != 0.0 ? o.measured + result.solution.residuals[i] / o.weight
                                                    : 0.0);
        }
    }
    if (settings.starts > 1) {
        const std::vector<double> no_errors;
        result.multistart = summarize_starts(
            space, result.starts, result.statistics ? result.statistics->residual_variance : 0.0,
            result.statistics ? result.statistics->standard_errors : no_errors);
    }
    result.evaluations = evaluator.evaluations() - evaluations_before;
    result.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    result.cpu_seconds = common::process_cpu_time() - cpu_start;
    return result;
}

}  // namespace colfit
