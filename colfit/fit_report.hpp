#pragma once
// What a fit reports, gathered once for the summary, the report, the picture and the console: each
// parameter's value, role, standard error and 95 % interval in its own units, the goodness of fit,
// and the warnings a scientist needs (a parameter at a bound, a standard error larger than the
// value, strongly correlated pairs, parameters the data do not determine, a fit that did not
// converge, starts that reached the best objective far apart).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "colfit/evaluation_accuracy.hpp"
#include "colfit/fit.hpp"

namespace colfit {

struct ParameterReport {
    std::string_view name;
    ParameterInput input;
    double value = 0.0;
    std::optional<std::size_t> estimated;  // index among the estimated parameters
    std::optional<double> standard_error;  // in the parameter's own units
    std::optional<Interval> interval;      // 95 %
    bool at_bound = false;
};

struct CorrelatedPair {
    std::size_t first = 0;  // indices among the estimated parameters
    std::size_t second = 0;
    double r = 0.0;
};

inline constexpr double kStrongCorrelation = 0.95;

struct FitReport {
    const FitProblem& problem;
    const ParameterSpace& space;
    const FitResult& result;
    EvaluationAccuracy accuracy;
    unsigned workers = 1;
    std::string run_directory;
    std::array<ParameterReport, kParameterCount> parameters{};
    std::vector<std::string_view> estimated_names;
    double rmse = 0.0;       // sqrt(mean of (measured - fitted)^2) over the weighted observations
    double r_squared = 0.0;  // 1 - sum (measured - fitted)^2 / sum (measured - mean)^2, the same observations
    std::vector<CorrelatedPair> correlated;
    std::vector<std::string> warnings;
};

FitReport make_fit_report(const FitProblem& problem, const ParameterSpace& space, const FitResult& result,
                          const EvaluationAccuracy& accuracy, unsigned workers, std::string run_directory);

// A number for a person: 5 significant digits, as the report and the warnings show them; and a
// number with a fixed count of decimals.
std::string short_number(double value);
std::string fixed_number(double value, int decimals);

}  // namespace colfit
