// Benchmark of the two colloid models on 100-point breakthrough curves: CPU time per run and per
// point and the number of integrand evaluations, for the model as the simulator computes it, for a
// baseline (the same QAG calls on the same integrands in a minimal loop: no files, no records, no
// progress), and for the whole coltrans run as a calibration engine starts it (process start and
// files included).
//
// Usage: colloid_models [seconds per figure, default 1] [model|baseline|coltrans] [case number 1-6]
// The second and third arguments restrict the run to one kind of figure and one case (to count
// instructions under callgrind, for example).

#include <fcntl.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_integration.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.hpp"
#include "common/message_file.hpp"
#include "models/broad_pulse.hpp"
#include "models/instantaneous_injection.hpp"
#include "numerics/bessel.hpp"
#include "numerics/quadrature.hpp"

namespace {

namespace fs = std::filesystem;

struct Accuracy {
    const char* name;
    double errrel;
    double errabs;
    int limit;
};

constexpr Accuracy kAccuracies[] = {
    {"template 2.3E-4, 0.3, 300", 2.3e-4, 0.3, 300},
    {"tight 1e-6, 0, 1000", 1e-6, 0.0, 1000},
    {"tight 1e-10, 0, 1000", 1e-10, 0.0, 1000},
};

// The curves: the example columns, 100 points each.
struct Curve {
    const char* name;
    bool pulse;
    double values[10];  // lines 2 to 11 of input.txt
    double x;
    double step;
};

constexpr Curve kCurves[] = {
    {"instantaneous", false, {0.5, 0.05, 0.01, 0.002, 2.0, 20.0, 0.35, 0.001, 1.0, 1.7}, 15.0, 0.2},
    {"broad pulse", true, {0.8, 0.03, 0.005, 0.001, 3.0, 2.0, 0.4, 0.0005, 1.0, 1.6}, 20.0, 0.16},
};

std::vector<double> times_of(const Curve& curve) {
    std::vector<double> times;
    for (int k = 1; k <= 100; ++k) times.push_back(k * curve.step);
    return times;
}

models::InstantaneousParameters instantaneous(const Curve& c) {
    const double* v = c.values;
    return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]};
}

models::BroadPulseParameters broad_pulse(const Curve& c) {
    const double* v = c.values;
    return {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]};
}

struct Figures {
    double seconds_per_run = 0.0;
    long long evaluations_per_run = 0;
    std::vector<double> results;
};

// Repeats `run` until `budget` CPU seconds have passed (at least twice) and returns the mean.
template <typename Run>
double mean_cpu_seconds(double budget, Run&& run) {
    int runs = 0;
    const double start = bench::cpu_seconds();
    double now = start;
    while (runs < 2 || now - start < budget) {
        run();
        ++runs;
        now = bench::cpu_seconds();
    }
    return (now - start) / runs;
}

// ---------------------------------------------------------------- the models as the simulator runs them

Figures model_figures(const Curve& curve, const Accuracy& accuracy, double budget, const fs::path& scratch) {
    Figures figures;
    const std::vector<double> times = times_of(curve);
    const models::QuadratureTolerances tolerances{.errabs = accuracy.errabs, .errrel = accuracy.errrel};
    figures.seconds_per_run = mean_cpu_seconds(budget, [&] {
        common::MessageFile messages((scratch / "fort.9").string());
        numerics::Quadrature quadrature(accuracy.limit, messages);
        figures.results.clear();
        if (curve.pulse) {
            models::BroadPulse model(broad_pulse(curve));
            for (const double t : times)
                figures.results.push_back(model.concentration(t, curve.x, quadrature, tolerances));
        } else {
            models::InstantaneousInjection model(instantaneous(curve));
            for (const double t : times)
                figures.results.push_back(model.concentration(t, curve.x, quadrature, tolerances));
        }
        figures.evaluations_per_run = quadrature.evaluations();
    });
    return figures;
}

// ---------------------------------------------------------------- the baseline: plain QAG calls

// The kernel and integrands written out plainly.
struct PlainState {
    double a, b, d, h, u, x, time;
};

double plain_kernel(const PlainState& s, double tau) {
    const double pi = 3.141592653589793;
    const double e1 = std::exp(((s.h - s.a) - s.u * s.u / (4.0 * s.d)) * tau - s.x * s.x / (4.0 * s.d * tau));
    const double e2 = std::exp(s.u * s.x / (2.0 * s.d) + (s.h - s.a) * tau);
    const double f = std::erfc(std::sqrt(tau / s.d) * (s.u / 2.0) + s.x / (2.0 * std::sqrt(s.d * tau)));
    return e1 / std::sqrt(pi * tau) - (s.u / (2.0 * std::sqrt(s.d))) * e2 * f;
}

struct Plain {
    PlainState s{};
    gsl_integration_workspace* outer = nullptr;
    gsl_integration_workspace* inner = nullptr;
    std::size_t limit = 0;
    double errabs = 0.0;
    double errrel = 0.0;
    double tau1 = 0.0;
    long long evaluations = 0;

    double qag(double (*f)(double, void*), double a, double b, gsl_integration_workspace* w) {
        gsl_function function{f, this};
        double result = 0.0;
        double abserr = 0.0;
        gsl_integration_qag(&function, a, b, errabs, errrel, limit, GSL_INTEG_GAUSS21, w, &result, &abserr);
        return result;
    }
};

double plain_ffunc2(double tau, void* p) {
    Plain& q = *static_cast<Plain*>(p);
    ++q.evaluations;
    const double qq = (tau * q.s.b) * (q.s.time - tau);
    const double r = std::sqrt(qq);
    return plain_kernel(q.s, tau) * ((tau * q.s.b) / r) * numerics::dbsi1(2.0 * r);
}

double plain_bessel(double s) {
    return s > 0.0 ? numerics::dbsj0(2.0 * std::sqrt(s)) : numerics::dbsi0(2.0 * std::sqrt(-s));
}

double plain_func2(double tau, void* p) {
    Plain& q = *static_cast<Plain*>(p);
    ++q.evaluations;
    return plain_kernel(q.s, tau) * plain_bessel((tau * q.s.b) * (q.s.time - tau));
}

double plain_func1_inner(double tau2, void* p) {
    Plain& q = *static_cast<Plain*>(p);
    ++q.evaluations;
    return plain_kernel(q.s, tau2) * (std::exp(-(q.tau1 * q.s.h)) * q.s.h) *
           plain_bessel((tau2 * q.s.b) * (q.tau1 - tau2));
}

double plain_outer(double tau1, void* p) {
    Plain& q = *static_cast<Plain*>(p);
    q.tau1 = tau1;
    return q.qag(plain_func1_inner, 0.0, tau1, q.inner);
}

Figures baseline_figures(const Curve& curve, const Accuracy& accuracy, double budget) {
    gsl_set_error_handler_off();
    Figures figures;
    const std::vector<double> times = times_of(curve);
    Plain q;
    q.limit = static_cast<std::size_t>(accuracy.limit);
    q.errabs = accuracy.errabs;
    q.errrel = accuracy.errrel;
    q.outer = gsl_integration_workspace_alloc(q.limit);
    q.inner = gsl_integration_workspace_alloc(q.limit);
    const double* v = curve.values;
    const double d = v[0], kc = v[1], kr = v[2], lamda = v[3], u = v[4], line7 = v[5], theta = v[6],
                 lamdas = v[7], line10 = v[8], rh0 = v[9];
    const double krstar = (rh0 / theta) * (kr + lamdas);
    q.s.d = d;
    q.s.u = u;
    q.s.x = curve.x;
    q.s.a = lamda + kc;
    double cm = 0.0;
    if (curve.pulse) {
        q.s.h = theta * krstar / rh0;
        q.s.b = (lamdas - q.s.h) * kc;
    } else {
        cm = line10 / (theta * line7);
        q.s.h = theta * krstar / rh0 + lamdas;
        q.s.b = kc * krstar * theta / rh0;
    }
    const auto response = [&](double big_t) {
        q.s.time = big_t;
        const double r2 = q.qag(plain_outer, 0.0, big_t, q.outer);
        const double r1 = q.qag(plain_func2, 0.0, big_t, q.outer);
        return (std::exp(-q.s.h * big_t) * r1 + r2) * line10 * (u / std::sqrt(d)) *
               std::exp(u * q.s.x / (2.0 * d));
    };
    figures.seconds_per_run = mean_cpu_seconds(budget, [&] {
        q.evaluations = 0;
        figures.results.clear();
        for (const double t : times) {
            double c = 0.0;
            if (t != 0.0 && curve.pulse) {
                c = response(t);
                if (line7 < t) c -= response(t - line7);
            } else if (t != 0.0) {
                q.s.time = t;
                const double r = q.s.b > 0.0 ? q.qag(plain_ffunc2, 0.0, t, q.outer) : 0.0;
                c = (plain_kernel(q.s, t) + r) * std::exp(u * q.s.x / (2.0 * d) - q.s.h * t) * cm /
                    std::sqrt(d);
            }
            figures.results.push_back(c);
        }
        figures.evaluations_per_run = q.evaluations;
    });
    gsl_integration_workspace_free(q.outer);
    gsl_integration_workspace_free(q.inner);
    return figures;
}

// ---------------------------------------------------------------- the whole program

void write_input(const fs::path& file, const Curve& curve, const Accuracy& accuracy) {
    std::ofstream out(file, std::ios::binary);
    out.precision(17);
    out << (curve.pulse ? 1 : 0) << "\n";
    for (const double value : curve.values) out << value << "\n";
    out << "0\n0\nbenchmark\n"
        << accuracy.errrel << " " << accuracy.errabs << " " << accuracy.limit << " 0\nt x\n";
    for (const double t : times_of(curve)) out << t << " " << curve.x << "\n";
}

double process_figures(const Curve& curve, const Accuracy& accuracy, double budget, const fs::path& scratch) {
    const fs::path run = scratch / "run";
    fs::create_directories(run);
    fs::create_directories(scratch / "Saved_Simulations");
    fs::copy_file(fs::path(CT_BIN_DIR) / "coltrans", run / "coltrans", fs::copy_options::overwrite_existing);
    write_input(run / "input.txt", curve, accuracy);
    double total = 0.0;
    int runs = 0;
    while (runs < 2 || total < budget) {
        total += bench::program_cpu_seconds(run);
        ++runs;
    }
    fs::remove(scratch / "Saved_Simulations" / "Total_Runs1.txt");
    return total / runs;
}

double max_relative_difference(const std::vector<double>& a, const std::vector<double>& b) {
    double worst = 0.0;
    for (std::size_t k = 0; k < std::min(a.size(), b.size()); ++k) {
        if (a[k] == b[k]) continue;
        worst = std::max(worst, std::fabs(a[k] - b[k]) / std::max(std::fabs(a[k]), std::fabs(b[k])));
    }
    return worst;
}

}  // namespace

int main(int argc, char** argv) {
    const double budget = argc > 1 ? std::atof(argv[1]) : 1.0;
    const std::string only = argc > 2 ? argv[2] : "";
    const int only_case = argc > 3 ? std::atoi(argv[3]) : 0;
    const auto wanted = [&](const char* kind) { return only.empty() || only == kind; };
    char pattern[] = "/tmp/colloid-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return 1;
    const fs::path scratch = pattern;

    std::printf(
        "Colloid models, 100-point curves; CPU seconds per run (per point), integrand evaluations per "
        "run\n\n");
    std::printf("%-14s %-26s | %-24s %10s | %-24s %10s | %-11s | %s\n", "model", "accuracy", "model", "evals",
                "baseline", "evals", "coltrans", "results vs baseline");
    int number = 0;
    for (const Curve& curve : kCurves) {
        for (const Accuracy& accuracy : kAccuracies) {
            if (only_case != 0 && ++number != only_case) continue;
            const Figures model =
                wanted("model") ? model_figures(curve, accuracy, budget, scratch) : Figures{};
            const Figures baseline =
                wanted("baseline") ? baseline_figures(curve, accuracy, budget) : Figures{};
            const double program =
                wanted("coltrans") ? process_figures(curve, accuracy, budget, scratch) : 0.0;
            const double difference = max_relative_difference(model.results, baseline.results);
            std::printf("%-14s %-26s | %9.5f (%10.3e) %10lld | %9.5f (%10.3e) %10lld | %9.5f   | %s\n",
                        curve.name, accuracy.name, model.seconds_per_run, model.seconds_per_run / 100,
                        model.evaluations_per_run, baseline.seconds_per_run, baseline.seconds_per_run / 100,
                        baseline.evaluations_per_run, program,
                        difference == 0.0 ? "identical" : std::to_string(difference).c_str());
        }
    }
    fs::remove_all(scratch);
    return 0;
}
