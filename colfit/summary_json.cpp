// The fit summary as JSON records.
#include "colfit/summary_json.hpp"

#include <cmath>

#include "colfit/json_text.hpp"

namespace colfit {
namespace {

std::string_view role_text(Role role) {
    switch (role) {
        case Role::estimated:
            return "estimated";
        case Role::tied:
            return "tied";
        case Role::fixed:
            break;
    }
    return "fixed";
}

void parameter(JsonText& json, const FitReport& report, std::size_t r) {
    const ParameterReport& p = report.parameters[r];
    json.begin_object();
    json.text("name", p.name);
    json.text("status", role_text(p.input.role));
    json.number("value", p.value);
    json.number("standard_error", p.standard_error);
    if (p.interval) {
        const double ends[] = {p.interval->lower, p.interval->upper};
        json.numbers("confidence_interval_95", ends);
    } else {
        json.null("confidence_interval_95");
    }
    json.number("initial_value", p.input.initial);
    json.number("lower_bound", p.input.lower);
    json.number("upper_bound", p.input.upper);
    if (p.input.role == Role::estimated) {
        json.text("scale", p.input.scale == Scale::log ? "log" : "linear");
        json.boolean("at_bound", p.at_bound);
    }
    if (p.input.role == Role::tied) {
        json.text("tied_to", kParameterNames[pestprep::kKirrIndex]);
        json.number("tie_ratio", report.problem.tie_ratio);
    }
    json.number("input_line", template_layout().input_line[r]);
    json.end_object();
}

void multistart(JsonText& json, const FitReport& report, const MultistartSummary& m) {
    json.begin_object("multistart");
    json.number("starts", static_cast<double>(m.starts));
    json.number("reached_best", static_cast<double>(m.reached_best));
    json.number("phi_tolerance", m.tolerance);
    json.text("design", "Latin hypercube in the statistical variables (log of positive-bounded parameters)");
    json.number("seed", static_cast<double>(kLatinHypercubeSeed));
    std::vector<double> phi;
    for (const StartOutcome& o : report.result.starts) phi.push_back(o.evaluated ? o.phi : std::nan(""));
    json.numbers("phi", phi);
    json.begin_array("spread");
    for (std::size_t j = 0; j < m.spread.size(); ++j) {
        json.begin_object();
        json.text("name", report.estimated_names[j]);
        json.number("lowest", m.spread[j].lowest);
        json.number("highest", m.spread[j].highest);
        json.number("in_standard_errors", m.spread[j].in_standard_errors);
        json.number("relative", m.spread[j].relative);
        json.end_object();
    }
    json.end_array();
    json.end_object();
}

}  // namespace

std::vector<std::string> summary_records(const FitReport& report) {
    const FitResult& result = report.result;
    const FitProblem& problem = report.problem;
    const std::optional<FitStatistics>& stats = result.statistics;
    JsonText json;
    json.begin_object();
    json.text("program", "colfit");
    json.text("version", CT_VERSION);
    json.text("run_directory", report.run_directory);
    json.text("model", family_name(problem.family));
    json.number("sim_mode", problem.parameters[kSimModeIndex].initial);
    json.boolean("converged", result.converged());
    json.text("termination", termination_text(result.solution.termination));
    json.number("iterations", static_cast<double>(result.solution.iterations));
    json.number("phi", result.solution.phi);
    json.number("observations", static_cast<double>(problem.observations.size()));
    json.number("weighted_observations", static_cast<double>(problem.weighted_observations));
    json.number("estimated_parameters", static_cast<double>(report.space.size()));
    json.number("degrees_of_freedom",
                static_cast<double>(problem.weighted_observations - report.space.size()));
    json.number("residual_variance", stats ? std::optional(stats->residual_variance) : std::nullopt);
    json.number("t_quantile_975", stats ? std::optional(stats->t_quantile) : std::nullopt);
    json.number("rmse", report.rmse);
    json.number("r_squared", report.r_squared);
    json.number("model_evaluations", static_cast<double>(result.evaluations));
    json.number("cpu_seconds", result.cpu_seconds);
    json.number("wall_seconds", result.wall_seconds);
    json.number("threads", report.workers);
    json.begin_object("model_accuracy");
    json.number("relative", report.accuracy.relative);
    json.number("absolute", report.accuracy.absolute);
    json.number("subintervals", report.accuracy.limit);
    json.end_object();
    json.begin_array("parameters");
    for (std::size_t r = 0; r < kParameterCount; ++r) parameter(json, report, r);
    json.end_array();
    json.begin_object("correlation");
    json.begin_array("parameters");
    for (const std::string_view name : report.estimated_names) json.text({}, name);
    json.end_array();
    if (stats && stats->correlation) {
        json.begin_array("matrix");
        const Matrix& c = *stats->correlation;
        for (std::size_t a = 0; a < c.rows; ++a) json.numbers({}, std::span(&c.data[a * c.cols], c.cols));
        json.end_array();
    } else {
        json.null("matrix");
    }
    json.end_object();
    json.begin_array("warnings");
    for (const std::string& w : report.warnings) json.text({}, w);
    json.end_array();
    if (result.multistart) multistart(json, report, *result.multistart);
    json.end_object();
    return json.records();
}

}  // namespace colfit
