// Benchmark of colfit: fits of the calibration example and of a synthetic experiment of each model
// family, made from the other examples' parameters with known true values and noise. For each
// case: model evaluations, iterations, wall and CPU time, the share of the wall time spent
// evaluating the model, phi, and the estimates against the truth in standard errors. Each case is
// fitted with the program's settings (two threads, Levenberg-Marquardt), and again with one setting changed,
// to show where the time goes; finally the whole program is timed on the calibration example (files, picture
// and process start included).
//
// Usage: colfit_fits [quick]   (quick: the program's settings only, and no whole-program run)

#include <sys/wait.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.hpp"
#include "colfit/fit.hpp"
#include "colfit/fit_inputs.hpp"
#include "common/console.hpp"
#include "common/format.hpp"
#include "common/list_input.hpp"
#include "common/record_file.hpp"
#include "numerics/gsl_error_handler.hpp"
#include "numerics/lsoda/messages.hpp"

namespace {

namespace fs = std::filesystem;
using colfit::ParameterValues;

struct Case {
    std::string name;
    colfit::FitInputs inputs;
    std::optional<ParameterValues> truth;
};

// The records of ParsToFit.txt for `values` with `estimated` flagged, starting from `start`.
pestprep::ParsToFit pars(const ParameterValues& start, std::initializer_list<std::size_t> estimated,
                         const ParameterValues& lower, const ParameterValues& upper) {
    pestprep::ParsToFit p;
    p.parvalue = start;
    p.parboundarymin = lower;
    p.parboundarymax = upper;
    for (const std::size_t r : estimated) p.parfitflag[r] = 1;
    return p;
}

// Noisy measurements of the true curve: standard deviation 3 % of the value plus 1 % of the peak,
// weights their inverses; a fixed seed.
void add_measurements(Case& c, const std::vector<colfit::CurvePoint>& points, std::uint64_t seed) {
    const colfit::FitProblem exact = [&] {
        colfit::FitInputs inputs = c.inputs;
        pestprep::Observations& o = inputs.observations;
        for (const colfit::CurvePoint& point : points) {
            o.tvector.push_back(point.t);
            o.xvector.push_back(point.x);
            o.cexpvector.push_back(1.0);
            o.weightvector.push_back(1.0);
        }
        return colfit::make_fit_problem(inputs);
    }();
    colfit::CurveEvaluator evaluator(exact.family, exact.sim_mode, colfit::evaluation_accuracy(1.0), 2);
    std::vector<colfit::CurvePoint> model_points;
    for (const colfit::Observation& o : exact.observations) model_points.push_back({o.t, o.x});
    const std::vector<double> curve = *evaluator.curve(*c.truth, model_points);
    double peak = 0.0;
    for (const double v : curve) peak = std::max(peak, std::fabs(v));
    std::mt19937_64 random(seed);
    std::normal_distribution<double> normal;
    pestprep::Observations& o = c.inputs.observations;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double sigma = 0.03 * std::fabs(curve[i]) + 0.01 * peak;
        o.tvector.push_back(points[i].t);
        o.xvector.push_back(points[i].x);
        o.cexpvector.push_back(curve[i] + sigma * normal(random));
        o.weightvector.push_back(1.0 / sigma);
    }
}

// Indices of the records: Dcx R1 R2 Kirr U tp th l2 C0 M0 A0 SimMode.
constexpr ParameterValues kLower = {0.01, 1e-5, 1e-6, 1e-5, 0.1, 0.1, 0.1, 1e-6, 1e-6, 1e-6, 1.0, 0.0};
constexpr ParameterValues kUpper = {50.0, 5.0, 1.0, 1.0, 100.0, 48.0, 0.7, 1.0, 10.0, 1.0, 1000.0, 21.0};

// A transport experiment of 40 times (2.25 to 12 hr) at one position, its measurements the true
// curve with noise, the fit started away from the truth in the estimated parameters.
struct TransportExperiment {
    const char* name;
    ParameterValues truth;
    std::array<std::pair<std::size_t, double>, 4> start;  // estimated record and its starting value
    double x;                                             // [cm]
    unsigned seed;
};

Case transport_case(const TransportExperiment& e) {
    ParameterValues start = e.truth;
    for (const auto& [record, value] : e.start) start[record] = value;
    Case c{e.name, {}, e.truth};
    c.inputs.pars =
        pars(start, {e.start[0].first, e.start[1].first, e.start[2].first, e.start[3].first}, kLower, kUpper);
    std::vector<colfit::CurvePoint> points;
    for (int k = 1; k <= 40; ++k) points.push_back({0.25 * k + 2.0, e.x});
    add_measurements(c, points, e.seed);
    return c;
}

// examples/broad_pulse: a 2-hour pulse at x = 20 cm; examples/instantaneous: an injection at 15 cm.
constexpr TransportExperiment kBroadPulse = {
    "broad pulse, synthetic (Dcx R1 U tp)",
    {0.8, 0.03, 0.005, 0.001, 3.0, 2.0, 0.4, 0.0005, 1.0, 0.0, 1.0, 1.0},
    {{{0, 1.5}, {1, 0.01}, {4, 2.0}, {5, 3.0}}},
    20.0,
    1};
constexpr TransportExperiment kInstantaneous = {
    "instantaneous injection, synthetic (Dcx R1 U C0)",
    {0.5, 0.05, 0.01, 0.002, 2.0, 20.0, 0.35, 0.001, 1.0, 0.0, 1.0, 0.0},
    {{{0, 1.0}, {1, 0.02}, {4, 1.5}, {8, 2.0}}},
    15.0,
    2};

Case sorption_case() {
    // examples/sorption: the measured solute series drives the linear kinetic law (type 12).
    const ParameterValues truth = {0.35, 0.25, 0.05, 0.01, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 12.0};
    ParameterValues start = truth;
    start[0] = 0.1, start[1] = 0.6;
    ParameterValues lower = kLower, upper = kUpper;
    lower[2] = lower[3] = 1e-6;
    Case c{"sorption type 12, synthetic (par1 par2)", {}, truth};
    c.inputs.pars = pars(start, {0, 1}, lower, upper);
    common::RecordFile input = common::RecordFile::open_or_fail(
        std::string(CT_SOURCE_DIR) + "/examples/sorption/run/input.txt", common::OpenMode::existing);
    for (int line = 0; line < 16; ++line) (void)common::skip_record(input);
    std::vector<colfit::CurvePoint> points;
    for (double t = 0.0, conc = 0.0; common::read_list(input, {&t, &conc});) points.push_back({t, conc});
    add_measurements(c, points, 3);
    return c;
}

Case calibration_case() {
    const common::RunDirectory run{std::string(CT_SOURCE_DIR) + "/examples/calibration/run", '/'};
    return {"calibration example (Dcx R1 R2 Kirr)", colfit::read_fit_inputs(colfit::input_paths(run)),
            std::nullopt};
}

struct Variant {
    const char* name;
    unsigned threads;
    bool geodesic;
};

void print(std::string_view text) {
    common::console_record(text);
}

void run_case(const Case& c, const Variant& v, bool estimates) {
    const colfit::FitProblem problem = colfit::make_fit_problem(c.inputs);
    const colfit::ParameterSpace space(problem);
    colfit::CurveEvaluator evaluator(problem.family, problem.sim_mode,
                                     colfit::evaluation_accuracy(problem.data_scale), v.threads);
    const colfit::FitResult r = *colfit::fit(
        problem, space, evaluator, {.starts = 1, .max_iterations = 100, .geodesic_acceleration = v.geodesic});
    print(common::format_record(
        "(3X,A34,I6,I5,F9.3,F9.3,F8.1,A,ES12.4,A)",
        {v.name, static_cast<std::int32_t>(r.evaluations), static_cast<std::int32_t>(r.solution.iterations),
         r.wall_seconds, r.cpu_seconds, 100.0 * evaluator.seconds() / r.wall_seconds, " %", r.solution.phi,
         r.converged() ? "" : "  NOT CONVERGED"}));
    if (!estimates) return;
    for (std::size_t j = 0; j < space.size(); ++j) {
        const std::size_t rec = space.record(j);
        const double se = r.statistics && r.statistics->covariance
                              ? colfit::value_standard_error(space.scale(j), r.solution.s[j],
                                                             r.statistics->standard_errors[j])
                              : std::nan("");
        if (c.truth) {
            const double truth = (*c.truth)[rec];
            print(common::format_record(
                "(6X,A8,A,ES12.4,A,ES10.2,A,ES12.4,A,F7.2,A)",
                {colfit::kParameterNames[rec], " estimate", r.values[rec], " +/-", se, "   truth", truth,
                 "   (estimate - truth) / se =", (r.values[rec] - truth) / se, ""}));
        } else {
            print(common::format_record(
                "(6X,A8,A,ES12.4,A,ES10.2)",
                {colfit::kParameterNames[rec], " estimate", r.values[rec], " +/-", se}));
        }
    }
}

// The whole program on a copy of the calibration example, as a user starts it: wall seconds.
double program_seconds(const fs::path& scratch) {
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    fs::copy(fs::path(CT_SOURCE_DIR) / "examples/calibration/run", scratch / "run",
             fs::copy_options::recursive);
    const std::string command =
        std::string(CT_BIN_DIR) + "/colfit " + (scratch / "run").string() + " </dev/null >/dev/null 2>&1";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    fs::remove_all(scratch);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1.0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::string_view(argv[1]) == "quick";
    numerics::use_gsl_status_codes();
    numerics::lsoda::set_message_printing(false);
    const Variant program{"2 threads, LM (the program)", 2, false};
    const std::vector<Variant> others{
        {"1 thread", 1, false},
        {"2 threads, geodesic acceleration", 2, true},
    };
    print(common::format_record("(3X,A34,A6,A5,A9,A9,A10,A12)",
                                {"variant", "evals", "its", "wall s", "CPU s", "in model", "phi"}));
    for (const Case& c :
         {calibration_case(), transport_case(kBroadPulse), transport_case(kInstantaneous), sorption_case()}) {
        const colfit::FitProblem problem = colfit::make_fit_problem(c.inputs);
        print(common::format_record("(A,A,I3,A,I2,A)",
                                    {c.name, ": n =", static_cast<std::int32_t>(problem.observations.size()),
                                     ", p =", static_cast<std::int32_t>(problem.estimated.size()), ""}));
        run_case(c, program, true);
        if (quick) continue;
        for (const Variant& v : others) run_case(c, v, false);
    }
    if (!quick) {
        const double seconds = program_seconds(fs::temp_directory_path() / "colfit_bench");
        print(common::format_record("(A,F8.3,A)", {"whole program on the calibration example:", seconds,
                                                   " s wall (files, picture, process start)"}));
    }
    return 0;
}
