// Per-parameter results, goodness of fit and warnings of a fit.
#include "colfit/fit_report.hpp"

#include <cmath>

#include "common/edit_descriptors.hpp"

namespace colfit {
namespace {

// A parameter is at (or next to) a bound when its statistical variable lies within this fraction of
// its range from it: the solver approaches a bound ever more slowly, as the map's derivative vanishes.
constexpr double kAtBound = 1e-2;

std::string trimmed(const std::string& field) {
    return field.substr(field.find_first_not_of(' '));
}

std::string name_of(const FitReport& report, std::size_t j) {
    return std::string(report.estimated_names[j]);
}

void goodness_of_fit(FitReport& report) {
    double sum = 0.0;
    std::size_t n = 0;
    for (const Observation& o : report.problem.observations) {
        if (o.weight == 0.0) continue;
        sum += o.measured;
        ++n;
    }
    const double mean = sum / static_cast<double>(n);
    double residual = 0.0;
    double total = 0.0;
    for (std::size_t i = 0; i < report.problem.observations.size(); ++i) {
        const Observation& o = report.problem.observations[i];
        if (o.weight == 0.0) continue;
        residual += (o.measured - report.result.fitted[i]) * (o.measured - report.result.fitted[i]);
        total += (o.measured - mean) * (o.measured - mean);
    }
    report.rmse = std::sqrt(residual / static_cast<double>(n));
    report.r_squared = total > 0.0 ? 1.0 - residual / total : 0.0;
}

void parameter_results(FitReport& report) {
    const FitResult& result = report.result;
    const std::optional<FitStatistics>& stats = result.statistics;
    for (std::size_t r = 0; r < kParameterCount; ++r) {
        ParameterReport& p = report.parameters[r];
        p.name = kParameterNames[r];
        p.input = report.problem.parameters[r];
        p.value = result.values[r];
    }
    for (std::size_t j = 0; j < report.space.size(); ++j) {
        ParameterReport& p = report.parameters[report.space.record(j)];
        report.estimated_names.push_back(p.name);
        p.estimated = j;
        const double s = result.solution.s[j];
        const BoundedMap& m = report.space.map(j);
        p.at_bound =
            s - m.lower <= kAtBound * (m.upper - m.lower) || m.upper - s <= kAtBound * (m.upper - m.lower);
        if (!stats || !stats->covariance) continue;
        const double se_s = stats->standard_errors[j];
        p.standard_error = value_standard_error(p.input.scale, s, se_s);
        p.interval = confidence_interval(p.input.scale, s, se_s, stats->t_quantile);
    }
}

void warnings(FitReport& report) {
    const FitResult& result = report.result;
    std::vector<std::string>& w = report.warnings;
    if (!is_converged(result.solution.termination)) {
        w.push_back(
            "The fit did not converge: " + std::string(termination_text(result.solution.termination)) +
            ". The values are the best found; the statistics describe that point, not an optimum.");
    }
    if (!result.statistics) {
        w.push_back(
            "The derivatives could not be formed at the best values: no standard errors, intervals or "
            "correlations.");
    }
    for (const ParameterReport& p : report.parameters) {
        if (!p.estimated) continue;
        const std::string name(p.name);
        if (p.at_bound) {
            const bool lower = std::fabs(p.value - p.input.lower) <= std::fabs(p.value - p.input.upper);
            w.push_back(
                name + " is at or next to its " + (lower ? "lower" : "upper") + " bound " +
                short_number(lower ? p.input.lower : p.input.upper) +
                ": the best fit may lie beyond it, and its standard error and interval assume that it "
                "does not.");
        }
        if (p.standard_error && *p.standard_error > std::fabs(p.value)) {
            w.push_back(
                name + " has a standard error (" + short_number(*p.standard_error) +
                ") larger than its value (" + short_number(p.value) +
                "): the data hardly determine it; it may as well be fixed at a value known otherwise.");
        }
    }
    if (result.statistics) {
        for (const std::size_t j : result.statistics->undetermined) {
            w.push_back(
                "The data do not determine " + name_of(report, j) +
                " (alone or in combination with others): the curve does not change, to the model's "
                "accuracy, in some direction that moves it, so no standard errors or correlations can be "
                "given. Fix it at a value known otherwise.");
        }
    }
    for (const CorrelatedPair& pair : report.correlated) {
        const std::string a = name_of(report, pair.first);
        const std::string b = name_of(report, pair.second);
        w.push_back(a + " and " + b + " are strongly correlated (r = " + fixed_number(pair.r, 4) +
                    "): changing one can be compensated by changing the other in the " +
                    (pair.r < 0.0 ? "opposite" : "same") +
                    " direction, so the data determine a combination of the two rather than each. Their "
                    "standard errors are large for that reason; to estimate one, fix the other or add data "
                    "that tells them apart.");
    }
    if (result.multistart) {
        const MultistartSummary& m = *result.multistart;
        for (std::size_t j = 0; j < m.spread.size(); ++j) {
            if (m.reached_best < 2 || !starts_disagree(m.spread[j])) continue;
            w.push_back("Starts that fit equally well left " + name_of(report, j) + " anywhere between " +
                        short_number(m.spread[j].lowest) + " and " + short_number(m.spread[j].highest) +
                        ": the data do not pin it down.");
        }
    }
}

}  // namespace

std::string fixed_number(double value, int decimals) {
    return trimmed(common::edit_f(value, 40, decimals));
}

std::string short_number(double value) {
    return trimmed(common::edit_es(value, 16, 4));
}

FitReport make_fit_report(const FitProblem& problem, const ParameterSpace& space, const FitResult& result,
                          const EvaluationAccuracy& accuracy, unsigned workers, std::string run_directory) {
    FitReport report{.problem = problem,
                     .space = space,
                     .result = result,
                     .accuracy = accuracy,
                     .workers = workers,
                     .run_directory = std::move(run_directory),
                     .parameters = {},
                     .estimated_names = {},
                     .rmse = 0.0,
                     .r_squared = 0.0,
                     .correlated = {},
                     .warnings = {}};
    parameter_results(report);
    goodness_of_fit(report);
    if (result.statistics && result.statistics->correlation) {
        const Matrix& c = *result.statistics->correlation;
        for (std::size_t a = 0; a < c.rows; ++a) {
            for (std::size_t b = a + 1; b < c.cols; ++b) {
                if (std::fabs(c(a, b)) > kStrongCorrelation) report.correlated.push_back({a, b, c(a, b)});
            }
        }
    }
    warnings(report);
    return report;
}

}  // namespace colfit
