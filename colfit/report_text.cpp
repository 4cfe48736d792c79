// The fit report's text.
#include "colfit/report_text.hpp"

#include <algorithm>

#include "common/edit_descriptors.hpp"
#include "common/format.hpp"

namespace colfit {
namespace {

std::string role_text(const ParameterReport& p) {
    switch (p.input.role) {
        case Role::estimated:
            return p.input.scale == Scale::log ? "estimated (log)" : "estimated";
        case Role::tied:
            return "tied to Kirr";
        case Role::fixed:
            break;
    }
    return "fixed";
}

std::string number_or_dash(std::optional<double> value) {
    return value ? short_number(*value) : "-";
}

void wrap(std::vector<std::string>& records, std::string_view lead, std::string_view text) {
    constexpr std::size_t kWidth = 100;
    std::string line(lead);
    const std::string indent(lead.size(), ' ');
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view word = text.substr(start, end - start);
        if (line.size() > indent.size() && line.size() + 1 + word.size() > kWidth) {
            records.push_back(line);
            line = indent;
        }
        if (line.size() > indent.size()) line.push_back(' ');
        line.append(word);
        start = end + 1;
    }
    records.push_back(line);
}

void heading(std::vector<std::string>& records, std::string_view text) {
    records.emplace_back();
    records.emplace_back(text);
    records.emplace_back(text.size(), '-');
}

}  // namespace

std::vector<std::string> report_records(const FitReport& report) {
    const FitResult& result = report.result;
    const FitProblem& problem = report.problem;
    const std::optional<FitStatistics>& stats = result.statistics;
    std::vector<std::string> r;
    r.push_back("colfit " + std::string(CT_VERSION) + ": weighted least-squares fit of the " +
                std::string(family_name(problem.family)) + " model (SimMode " +
                common::edit_shortest(problem.parameters[kSimModeIndex].initial) + ")");
    r.push_back("Run directory: " + report.run_directory);
    wrap(r, "Converged: ",
         std::string(result.converged() ? "yes" : "NO") + ", after " +
             std::to_string(result.solution.iterations) +
             " iterations: " + std::string(termination_text(result.solution.termination)) + ".");
    wrap(r, "Model evaluations: ",
         std::to_string(result.evaluations) + ", wall time " + fixed_number(result.wall_seconds, 3) +
             " s, CPU time " + fixed_number(result.cpu_seconds, 3) + " s on " +
             std::to_string(report.workers) + " threads; model values to " +
             short_number(report.accuracy.relative) + " of the data's scale.");

    heading(r, "Goodness of fit");
    const auto line = [&r](std::string label, const std::string& value) {
        label.resize(46, ' ');
        r.push_back(label + value);
    };
    line("phi, the weighted sum of squared residuals", short_number(result.solution.phi));
    line("observations n (with a weight other than 0)", std::to_string(problem.observations.size()) + " (" +
                                                            std::to_string(problem.weighted_observations) +
                                                            ")");
    line("estimated parameters p", std::to_string(report.space.size()));
    if (stats) {
        line("residual variance s^2 = phi / (n - p)", short_number(stats->residual_variance));
        line("t quantile, 95 %, n - p degrees of freedom", short_number(stats->t_quantile));
    }
    line("RMSE of measured - fitted (unweighted)", short_number(report.rmse));
    line("R^2 of the fitted values (unweighted)", fixed_number(report.r_squared, 5));

    heading(r, "Parameters");
    const common::Format table("(A8,A17,A13,A13,A27,A27)");
    r.push_back(table.apply({"name", "role", "value", "std. error", "95 % interval", "bounds"}));
    for (const ParameterReport& p : report.parameters) {
        const std::string interval =
            p.interval ? short_number(p.interval->lower) + " to " + short_number(p.interval->upper) : "-";
        const std::string bounds = short_number(p.input.lower) + " to " + short_number(p.input.upper);
        const std::string value = short_number(p.value) + (p.at_bound ? "*" : "");
        r.push_back(
            table.apply({p.name, role_text(p), value, number_or_dash(p.standard_error), interval, bounds}));
    }
    if (std::any_of(report.parameters.begin(), report.parameters.end(),
                    [](const ParameterReport& p) { return p.at_bound; }))
        r.push_back("* at or next to a bound");

    if (stats && stats->correlation) {
        heading(r, "Correlations of the estimated parameters");
        const Matrix& c = *stats->correlation;
        std::string names(8, ' ');
        for (const std::string_view name : report.estimated_names) names.append(common::edit_a(name, 9));
        r.push_back(names);
        for (std::size_t a = 0; a < c.rows; ++a) {
            std::string row = common::edit_a(report.estimated_names[a], 8);
            for (std::size_t b = 0; b < c.cols; ++b) row.append(common::edit_f(c(a, b), 9, 4));
            r.push_back(row);
        }
    }
    if (result.multistart) {
        const MultistartSummary& m = *result.multistart;
        heading(r, "Multi-start");
        r.push_back(std::to_string(m.reached_best) + " of " + std::to_string(m.starts) +
                    " starts reached the best phi (within " + short_number(m.tolerance) + ").");
        for (std::size_t j = 0; j < m.spread.size(); ++j) {
            r.push_back(common::edit_a(report.estimated_names[j], 8) + " from " +
                        short_number(m.spread[j].lowest) + " to " + short_number(m.spread[j].highest) + " (" +
                        fixed_number(m.spread[j].in_standard_errors, 3) + " standard errors)");
        }
    }

    heading(r, "Warnings");
    if (report.warnings.empty()) r.push_back("none");
    for (const std::string& w : report.warnings) wrap(r, "- ", w);

    heading(r, "Reading the statistics");
    for (const std::string_view text :
         {"Standard errors are the classical ones: the covariance s^2 (J^T W J)^-1 at the optimum, J the "
          "derivatives of the model's values with respect to the estimated parameters, W the squared "
          "weights. They assume that the model is right, that the weights are the inverse standard "
          "deviations of the measurement errors up to one common factor, and that the model is close to "
          "linear in the parameters over the intervals.",
          "A parameter marked (log) has positive bounds and was estimated as its logarithm: its interval is "
          "formed for the logarithm and is asymmetric; its standard error is the value times the standard "
          "error of the logarithm.",
          "A correlation near +1 or -1 means the data determine a combination of the two parameters, not "
          "each; their intervals are then wide together."}) {
        wrap(r, "", text);
    }
    return r;
}

}  // namespace colfit
