// The colfit run from the command line to the console summary.
#include "colfit/entry.hpp"

#include <filesystem>
#include <system_error>
#include <thread>

#include "colfit/arguments.hpp"
#include "colfit/fit.hpp"
#include "colfit/fit_report.hpp"
#include "colfit/output_files.hpp"
#include "colfit/plot_files.hpp"
#include "common/console.hpp"
#include "common/run_directory.hpp"
#include "numerics/gsl_error_handler.hpp"
#include "numerics/lsoda/messages.hpp"

namespace colfit {
namespace {

common::RunDirectory run_directory_of(const Arguments& arguments, int argc, char** argv) {
    if (!arguments.run_directory) {
        return common::discover_run_directory(common::process_discovery_inputs(argc, argv),
                                              common::kSimulatorWorkWidth)
            .run;
    }
    std::string directory = *arguments.run_directory;
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    if (directory == "/") directory.clear();
    return {directory, '/'};
}

// The run directory as the user reads it: absolute, without "." and "..".
std::string display_path(const std::string& directory) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(directory, error);
    if (error) return directory;
    std::string shown = absolute.lexically_normal().string();
    while (shown.size() > 1 && shown.back() == '/') shown.pop_back();
    return shown;
}

unsigned worker_count(const Arguments& arguments) {
    if (arguments.threads > 0) return arguments.threads;
    return std::max(1u, std::thread::hardware_concurrency());
}

std::string estimated_list(const FitProblem& problem) {
    std::string list;
    for (const std::size_t r : problem.estimated)
        list.append(list.empty() ? "" : ", ").append(kParameterNames[r]);
    return list;
}

void console_summary(const FitReport& report) {
    const FitResult& result = report.result;
    common::console_record(
        "colfit: " + std::string(result.converged() ? "converged" : "NOT converged") + " after " +
        std::to_string(result.solution.iterations) + " iterations, " + std::to_string(result.evaluations) +
        " model evaluations, " + fixed_number(result.wall_seconds, 3) +
        " s; phi = " + short_number(result.solution.phi) + ", RMSE = " + short_number(report.rmse) +
        ", R^2 = " + fixed_number(report.r_squared, 5));
    for (const ParameterReport& p : report.parameters) {
        if (p.input.role == Role::fixed) continue;
        std::string line = "  " + std::string(p.name) + " = " + short_number(p.value);
        if (p.standard_error) line.append(" +/- " + short_number(*p.standard_error));
        if (p.input.role == Role::tied) line.append(" (tied to Kirr)");
        if (p.at_bound) line.append(" (at a bound)");
        common::console_record(line);
    }
    if (!report.warnings.empty()) {
        common::console_record("colfit: " + std::to_string(report.warnings.size()) +
                               " warning(s), see fit_report.txt");
    }
    common::console_record(
        "colfit: wrote fit_parameters.par, fit_summary.json, fit_report.txt, fit_curve.txt, "
        "fit_input.txt, fit.gp in " +
        report.run_directory);
}

}  // namespace

common::ExitStatus run(int argc, char** argv) {
    const ParsedArguments parsed = parse_arguments(argc, argv);
    if (!parsed.error.empty()) {
        common::error_record("colfit: " + parsed.error + " (colfit --help shows the usage)");
        return common::ExitStatus::handled_failure;
    }
    const Arguments& arguments = parsed.arguments;
    const common::RunDirectory run = run_directory_of(arguments, argc, argv);
    numerics::use_gsl_status_codes();
    numerics::lsoda::set_message_printing(false);

    const FitProblem problem = make_fit_problem(read_fit_inputs(input_paths(run)));
    const ParameterSpace space(problem);
    const EvaluationAccuracy accuracy = evaluation_accuracy(problem.data_scale);
    CurveEvaluator evaluator(problem.family, problem.sim_mode, accuracy, worker_count(arguments));
    common::console_record(
        "colfit: fitting " + estimated_list(problem) + " of the " + std::string(family_name(problem.family)) +
        " model to " + std::to_string(problem.observations.size()) + " observations" +
        (arguments.starts > 1 ? " from " + std::to_string(arguments.starts) + " starts" : ""));

    const std::optional<FitResult> result = fit(
        problem, space, evaluator, {.starts = arguments.starts, .max_iterations = arguments.max_iterations});
    if (!result) {
        common::error_record("colfit: the model cannot be evaluated at the initial values of " +
                             problem.paths.pars_to_fit + ": no fit, nothing written");
        return common::ExitStatus::handled_failure;
    }
    const std::vector<DenseCurve> curves = dense_curves(problem, result->values, evaluator);
    const std::string directory = run.directory.empty() ? "/" : run.directory;
    const std::string shown = display_path(directory);
    const FitReport report = make_fit_report(problem, space, *result, accuracy, evaluator.workers(), shown);
    write_outputs(run, report, curves);
    if (const std::optional<std::string> failure = draw_picture(directory))
        common::error_record("colfit: fit.png not drawn: " + *failure + "; gnuplot fit.gp in " + shown +
                             " draws it");
    console_summary(report);
    return result->converged() ? common::ExitStatus::success : common::ExitStatus::handled_failure;
}

}  // namespace colfit
