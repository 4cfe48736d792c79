// Benchmark of colfit against a calibration engine on the same files. The engine here is a
// stand-in: tools::estimate_parameters, an independent Gauss-Marquardt-Levenberg estimation written
// for this toolkit from the published method and driven only by the control file and by model runs
// through files, as an engine makes them (the template filled into input.txt, ./coltrans started
// without a shell, print.txt read through print.ins), with the control file's lambda, change
// limits, stop settings and derivative increments, and its posterior standard errors from central
// differences at the optimum. It is not the real engine: its lambda search, its handling of bounds
// (clamping) and its stop tests follow the published method, not that engine's code, so its run
// counts and times stand for an engine's, they do not reproduce one.
//
// Per case, in a scratch copy of the run folder (programs copied in, pestprep run first):
//   1. colfit as a process on the run folder: its fit_summary.json (values, standard errors, phi,
//      evaluations, wall time) and the wall time of the whole process;
//   2. the engine at colfit's model accuracy (line 15 of fit_input.txt put into the template): per
//      estimated parameter both estimates and standard errors, (colfit - engine) / se_engine and
//      the ratio of the standard errors; both phis; runs and wall time;
//   3. the engine with the template as pestprep writes it (the accuracy a user runs): runs, wall
//      time, and colfit's wall time against it.
// Cases: the calibration example, and a synthetic broad pulse (40 points, Dcx R1 U tp estimated,
// the true curve plus fixed noise written to SystemFiles by this benchmark).
//
// Usage: engine_comparison [calibration|synthetic]   (both when not given). The models' console
// output goes to console.txt in the scratch folder.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/gml_estimation.hpp"
#include "tools/model_runs.hpp"
#include "tools/pest_emulation.hpp"
#include "tools/words.hpp"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kAccuracyRecord = 15;  // of the template: "ptf #", then input.txt's lines

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string number_text(double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return {buffer, end};
}

// A run folder as a user lays it out for a calibration: `run` beside Saved_Simulations, the
// programs copied into it.
void prepare_run_folder(const fs::path& run) {
    fs::create_directories(run.parent_path() / "Saved_Simulations");
    for (const char* program : {"coltrans", "pestprep", "colfit"}) {
        fs::copy_file(fs::path(CT_BIN_DIR) / program, run / program, fs::copy_options::overwrite_existing);
    }
}

void run_program(const fs::path& run, const std::string& command) {
    const int status = tools::run_model_command(command, run.string());
    if (status != 0)
        throw std::runtime_error(command + " in " + run.string() + " ended with " + std::to_string(status));
}

// colfit's summary: what the comparison needs of it.
struct ColfitSummary {
    std::string json;  // lower case
    double process_seconds = 0.0;

    // The number after "key": from `from` on; NaN for null.
    double number(const std::string& key, std::size_t from = 0) const {
        const std::size_t at = json.find("\"" + key + "\":", from);
        if (at == std::string::npos) throw std::runtime_error("fit_summary.json has no " + key);
        const std::size_t start = json.find_first_not_of(' ', at + key.size() + 3);
        if (json.compare(start, 4, "null") == 0) return std::nan("");
        return std::strtod(json.c_str() + start, nullptr);
    }
    std::size_t parameter(const std::string& name) const {
        const std::size_t at = json.find("\"name\": \"" + name + "\"");
        if (at == std::string::npos) throw std::runtime_error("fit_summary.json has no parameter " + name);
        return at;
    }
};

ColfitSummary run_colfit(const fs::path& run) {
    ColfitSummary s;
    const auto start = std::chrono::steady_clock::now();
    const int status = tools::run_model_command("./colfit", run.string());
    s.process_seconds = seconds_since(start);
    if (status > 1) throw std::runtime_error("colfit ended with status " + std::to_string(status));
    for (const std::string& record : tools::read_records((run / "fit_summary.json").string()))
        s.json += tools::lower(record) + "\n";
    return s;
}

struct EngineRun {
    tools::EstimationResult result;
    double seconds = 0.0;
};

EngineRun run_engine(const fs::path& run) {
    const auto start = std::chrono::steady_clock::now();
    EngineRun e{tools::estimate_parameters(run.string(), "tracer_fit.pst"), 0.0};
    e.seconds = seconds_since(start);
    return e;
}

void print_engine(const char* what, const EngineRun& e) {
    std::printf("  %-38s %5d runs %4d its %8.2f s wall %7.1f ms/run  phi %.6g  (%s)\n", what,
                e.result.model_runs, e.result.iterations, e.seconds, 1e3 * e.seconds / e.result.model_runs,
                e.result.phi, e.result.termination.c_str());
}

void compare(const std::string& title, const fs::path& run) {
    const ColfitSummary colfit = run_colfit(run);
    const double colfit_wall = colfit.number("wall_seconds");
    const std::string template_path = (run / "input.tpl").string();
    const std::vector<std::string> user_template = tools::read_records(template_path);

    std::vector<std::string> tight = user_template;
    tight.at(kAccuracyRecord) = tools::read_records((run / "fit_input.txt").string()).at(kAccuracyRecord - 1);
    tools::write_records(template_path, tight);
    const EngineRun same = run_engine(run);
    tools::write_records(template_path, user_template);
    const EngineRun user = run_engine(run);

    const double colfit_phi = colfit.number("phi");
    std::printf("%s: n = %d, p = %zu\n", title.c_str(), static_cast<int>(colfit.number("observations")),
                same.result.estimated.size());
    std::printf("  model accuracy of colfit (template line 15): %s\n",
                tight[kAccuracyRecord].substr(0, tight[kAccuracyRecord].find('!')).c_str());
    std::printf("  %-8s %13s %11s %13s %11s %11s %9s\n", "param", "colfit", "se", "engine", "se",
                "diff/se_eng", "se ratio");
    for (const tools::EstimatedParameter& p : same.result.estimated) {
        const std::size_t at = colfit.parameter(p.name);
        const double value = colfit.number("value", at), se = colfit.number("standard_error", at);
        std::printf("  %-8s %13.5e %11.3e %13.5e %11.3e %11.3f %9.3f\n", p.name.c_str(), value, se, p.value,
                    p.standard_error, (value - p.value) / p.standard_error, se / p.standard_error);
    }
    std::printf("  phi: colfit %.7g, engine %.7g, (colfit - engine) / engine = %+.4f %%\n", colfit_phi,
                same.result.phi, 100.0 * (colfit_phi - same.result.phi) / same.result.phi);
    std::printf("  %-38s %5d evals         %8.2f s wall (fit), %.2f s the whole process\n", "colfit",
                static_cast<int>(colfit.number("model_evaluations")), colfit_wall, colfit.process_seconds);
    print_engine("engine, colfit's model accuracy", same);
    print_engine("engine, the template's accuracy (user)", user);
    std::printf("  colfit / engine (user) wall: %.4f (fit), %.4f (whole process) = 1/%.1f, 1/%.1f\n",
                colfit_wall / user.seconds, colfit.process_seconds / user.seconds, user.seconds / colfit_wall,
                user.seconds / colfit.process_seconds);
    // A fit that starts coltrans as a process per evaluation, at the engine's cost per model run.
    const double evaluations = colfit.number("model_evaluations");
    const double per_process = evaluations * user.seconds / user.result.model_runs;
    std::printf(
        "  a process per evaluation for colfit's %d evaluations: %.2f s, engine (user) / that = %.2fx\n\n",
        static_cast<int>(evaluations), per_process, user.seconds / per_process);
}

void calibration_case(const fs::path& scratch) {
    const fs::path run = scratch / "calibration" / "run";
    fs::create_directories(run.parent_path());
    fs::copy(fs::path(CT_SOURCE_DIR) / "examples/calibration/run", run, fs::copy_options::recursive);
    prepare_run_folder(run);
    run_program(run, "./pestprep");
    compare("calibration example (Dcx R1 R2 Kirr; l2 tied to Kirr)", run);
}

// A synthetic broad pulse (examples/broad_pulse's parameters at x = 20 cm, 40 times from 2.25 to
// 12 hr): the true curve at a tight accuracy, plus noise of 3 % of the value and 1 % of the peak
// (fixed seed), weights the inverse standard deviations; Dcx, R1, U and tp start away from the truth.
void synthetic_case(const fs::path& scratch) {
    const fs::path run = scratch / "synthetic" / "run";
    fs::create_directories(run / "SystemFiles");
    prepare_run_folder(run);
    fs::copy_file(fs::path(CT_SOURCE_DIR) / "examples/calibration/run/tracer_fit.pst",
                  run / "tracer_fit.pst");
    const std::vector<const char*> names = {"Dcx", "R1", "R2", "Kirr", "U",  "tp",
                                            "th",  "l2", "C0", "M0",   "A0", "SimMode"};
    const std::vector<double> truth = {0.8, 0.03, 0.005, 0.001, 3.0, 2.0, 0.4, 0.0005, 1.0, 1e-3, 1.0, 1.0};
    const std::vector<double> start = {1.5, 0.01, 0.005, 0.001, 2.0, 3.0, 0.4, 0.0005, 1.0, 1e-3, 1.0, 1.0};
    const std::vector<int> flags = {1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0};
    const std::vector<double> lower = {0.01, 1e-5, 1e-6, 1e-5, 0.1, 0.1, 0.1, 1e-6, 1e-6, 1e-6, 1.0, 0.0};
    const std::vector<double> upper = {50.0, 5.0, 1.0, 1.0, 100.0, 48.0, 0.7, 1.0, 10.0, 1.0, 1000.0, 21.0};
    std::vector<std::string> pars = {"value fit lower upper label"};
    for (std::size_t k = 0; k < names.size(); ++k) {
        pars.push_back(number_text(start[k]) + " " + std::to_string(flags[k]) + " " + number_text(lower[k]) +
                       " " + number_text(upper[k]) + " '" + names[k] + "'");
    }
    tools::write_records((run / "SystemFiles/ParsToFit.txt").string(), pars);
    std::vector<std::string> points = {"t [hr] x [cm]"}, placeholder = {"C weight"};
    for (int k = 1; k <= 40; ++k) {
        points.push_back(number_text(0.25 * k + 2.0) + " 20.0");
        placeholder.push_back("1.0 1.0");
    }
    tools::write_records((run / "SystemFiles/TimeAndCoords.txt").string(), points);
    tools::write_records((run / "SystemFiles/ExpData.txt").string(), placeholder);
    run_program(run, "./pestprep");

    // The true curve, through the engine's files at a tight accuracy.
    const std::string template_path = (run / "input.tpl").string();
    const std::vector<std::string> user_template = tools::read_records(template_path);
    std::vector<std::string> tight = user_template;
    tight.at(kAccuracyRecord) = "  1.0E-10  1.0E-14  1000   ! accuracy of the true curve";
    tools::write_records(template_path, tight);
    tools::ParameterValues values;
    for (std::size_t k = 0; k < names.size(); ++k) values[tools::lower(names[k])] = truth[k];
    const std::vector<tools::Observation> curve = tools::run_model(
        run.string(), tools::read_model_interface((run / "tracer_fit.pst").string()), values);
    tools::write_records(template_path, user_template);

    double peak = 0.0;
    for (const tools::Observation& o : curve) peak = std::max(peak, std::fabs(o.value));
    std::mt19937_64 random(1);
    std::normal_distribution<double> normal;
    std::vector<std::string> measured = {"C [g/cm^3] weight [cm^3/g]"};
    for (const tools::Observation& o : curve) {
        const double sigma = 0.03 * std::fabs(o.value) + 0.01 * peak;
        measured.push_back(number_text(o.value + sigma * normal(random)) + " " + number_text(1.0 / sigma));
    }
    tools::write_records((run / "SystemFiles/ExpData.txt").string(), measured);
    run_program(run, "./pestprep");
    compare("broad pulse, synthetic (Dcx R1 U tp; truth 0.8 0.03 3 2)", run);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string which = argc > 1 ? argv[1] : "";
    const fs::path scratch = fs::temp_directory_path() / "engine_comparison";
    const int error_stream = ::dup(2);
    try {
        fs::remove_all(scratch);
        fs::create_directories(scratch);
        // The models' console output (on the error stream of each model run) goes to a file.
        const int console = ::open((scratch / "console.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (console < 0 || ::dup2(console, 2) < 0) throw std::runtime_error("cannot open console.txt");
        ::close(console);
        if (which.empty() || which == "calibration") calibration_case(scratch);
        if (which.empty() || which == "synthetic") synthetic_case(scratch);
    } catch (const std::exception& error) {
        const std::string text = std::string("engine_comparison: ") + error.what() + "\n";
        (void)!::write(error_stream, text.data(), text.size());
        return 1;
    }
    fs::remove_all(scratch);
    return 0;
}
