// Accuracy of the two colloid models over the parameter domain that a calibration explores, against
// an independent long-double evaluation of the same formulas (tests/models/transport_reference.hpp),
// on the sweep of tests/models/transport_sweep.hpp: two Latin-hypercube samples of 200 parameter
// sets and a set of edge cases, curves of 40 times, both models, three accuracy lines. For each
// sample, model and line: the share of curves whose every point is within the line's target of the
// curve's peak, the worst error over the peak, the curves with a negative value or a value that is
// not a number, the curves that wrote quadrature warnings, and the CPU time per curve of the model
// (its evaluation alone: no files, no process start).
//
// The benchmark uses only the models' public interface (constructors and concentration()), so that
// it also builds against earlier versions of the models to measure them the same way.
//
// Usage: transport_accuracy [--n N] [--samples bounds,ux,edges] [--cache FILE] [--threads N]
//                           [--details] [--runs]
//   --n        parameter sets per sample (default 200)
//   --cache    a file of reference values: read where it holds a curve, written with the rest (the
//              reference takes most of the time: about 0.5 s per curve of the broad pulse)
//   --threads  threads computing the reference (default 2); the models are timed on one
//   --details  every curve off its target, with its parameters and worst point
//   --runs     also CPU seconds of whole coltrans runs (build/bin/coltrans) of 20 sets per sample at
//              the template's accuracy, as a calibration engine starts them

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.hpp"
#include "common/message_file.hpp"
#include "models/broad_pulse.hpp"
#include "models/instantaneous_injection.hpp"
#include "numerics/quadrature.hpp"
#include "tests/models/transport_reference.hpp"
#include "tests/models/transport_sweep.hpp"

namespace {

namespace fs = std::filesystem;
using test_sweep::Curve;
using test_sweep::Line;

std::string key_of(const Curve& c) {
    std::ostringstream key;
    key.precision(17);
    key << (c.pulse ? "P" : "I") << " x=" << c.x;
    for (const double v : c.values) key << " " << v;
    key << " t=" << c.times.front() << ":" << c.times.back() << ":" << c.times.size();
    return key.str();
}

std::vector<long double> reference_curve(const Curve& c) {
    const auto& v = c.values;
    const test_reference::Column column{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]};
    std::vector<long double> values;
    for (const double t : c.times) {
        values.push_back(c.pulse ? test_reference::pulse_concentration(column, t, c.x)
                                 : test_reference::instantaneous_concentration(column, t, c.x));
    }
    return values;
}

// Reference values of every curve, from the cache where it holds them.
std::vector<std::vector<long double>> references(const std::vector<Curve>& curves, const std::string& cache,
                                                 int threads) {
    std::map<std::string, std::vector<long double>> stored;
    if (!cache.empty()) {
        std::ifstream in(cache);
        std::string line;
        while (std::getline(in, line)) {
            const std::size_t bar = line.find('|');
            if (bar == std::string::npos) continue;
            std::istringstream values(line.substr(bar + 1));
            std::vector<long double> list;
            long double value = 0;
            while (values >> value) list.push_back(value);
            stored[line.substr(0, bar)] = list;
        }
    }
    std::vector<std::vector<long double>> result(curves.size());
    std::vector<std::size_t> missing;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        const auto found = stored.find(key_of(curves[i]));
        if (found != stored.end() && found->second.size() == curves[i].times.size()) {
            result[i] = found->second;
        } else {
            missing.push_back(i);
        }
    }
    if (!missing.empty()) std::fprintf(stderr, "reference: %zu curves to compute\n", missing.size());
    std::atomic<std::size_t> next{0};
    std::mutex output;
    std::vector<std::thread> workers;
    for (int w = 0; w < std::max(threads, 1); ++w) {
        workers.emplace_back([&] {
            for (std::size_t k = next++; k < missing.size(); k = next++) {
                const std::size_t i = missing[k];
                result[i] = reference_curve(curves[i]);
                if (!cache.empty()) {
                    const std::lock_guard<std::mutex> lock(output);
                    std::ofstream out(cache, std::ios::app);
                    out.precision(21);
                    out << key_of(curves[i]) << "|";
                    for (const long double v : result[i]) out << " " << v;
                    out << "\n";
                }
            }
        });
    }
    for (std::thread& worker : workers) worker.join();
    return result;
}

struct CurveResult {
    double worst = 0.0;  // largest |C - C_true| / max |C_true|
    double worst_t = 0.0;
    bool negative = false;
    bool not_finite = false;
    bool warned = false;
    double cpu = 0.0;
};

CurveResult evaluate(const Curve& c, const std::vector<long double>& reference, const Line& line,
                     const fs::path& scratch) {
    CurveResult r;
    const fs::path fort9 = scratch / "fort.9";
    fs::remove(fort9);
    const models::QuadratureTolerances tolerances{.errabs = line.errabs, .errrel = line.errrel};
    std::vector<double> values;
    const auto& v = c.values;
    {
        common::MessageFile messages(fort9.string());
        numerics::Quadrature quadrature(line.limit, messages);
        const double start = bench::cpu_seconds();
        if (c.pulse) {
            models::BroadPulse model({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]});
            for (const double t : c.times)
                values.push_back(model.concentration(t, c.x, quadrature, tolerances));
        } else {
            models::InstantaneousInjection model(
                {v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]});
            for (const double t : c.times)
                values.push_back(model.concentration(t, c.x, quadrature, tolerances));
        }
        r.cpu = bench::cpu_seconds() - start;
    }
    r.warned = fs::exists(fort9);
    long double peak = 0.0L;
    for (const long double value : reference) peak = std::max(peak, std::fabs(value));
    for (std::size_t k = 0; k < values.size(); ++k) {
        if (!std::isfinite(values[k])) r.not_finite = true;
        if (values[k] < 0.0) r.negative = true;
        // A result below the smallest normal double is written as 0 (print.txt).
        const long double value = std::fabs(values[k]) < 2.2250738585072014e-308 ? 0.0L : values[k];
        const double error = peak > 0 ? static_cast<double>(std::fabs(value - reference[k]) / peak)
                                      : (value == 0 ? 0.0 : INFINITY);
        if (!(error <= r.worst)) {
            r.worst = error;
            r.worst_t = c.times[k];
        }
    }
    return r;
}

struct Summary {
    int curves = 0;
    int within = 0;
    double worst = 0.0;
    std::string worst_curve;
    int negative = 0;
    int not_finite = 0;
    int warned = 0;
    double cpu_total = 0.0;
    double cpu_max = 0.0;
};

// Whole coltrans runs at the template's accuracy: CPU seconds per run.
double program_runs(const std::vector<Curve>& curves, const fs::path& scratch) {
    const fs::path run = scratch / "run";
    fs::create_directories(run);
    fs::create_directories(scratch / "Saved_Simulations");
    fs::copy_file(fs::path(CT_BIN_DIR) / "coltrans", run / "coltrans", fs::copy_options::overwrite_existing);
    double total = 0.0;
    for (const Curve& c : curves) {
        std::ofstream out(run / "input.txt", std::ios::binary);
        out.precision(17);
        out << (c.pulse ? 1 : 0) << "\n";
        for (const double value : c.values) out << value << "\n";
        out << "0\n0\nbenchmark\n2.3E-4  0.3  300   ! template\nt x\n";
        for (const double t : c.times) out << t << " " << c.x << "\n";
        out.close();
        total += bench::program_cpu_seconds(run);
    }
    fs::remove(scratch / "Saved_Simulations" / "Total_Runs1.txt");
    return total / static_cast<double>(curves.size());
}

}  // namespace

int main(int argc, char** argv) {
    int n = 200;
    int threads = 2;
    std::string cache;
    std::string samples = "bounds,ux,edges";
    bool details = false;
    bool runs = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--n" && i + 1 < argc)
            n = std::atoi(argv[++i]);
        else if (arg == "--threads" && i + 1 < argc)
            threads = std::atoi(argv[++i]);
        else if (arg == "--cache" && i + 1 < argc)
            cache = argv[++i];
        else if (arg == "--samples" && i + 1 < argc)
            samples = argv[++i];
        else if (arg == "--details")
            details = true;
        else if (arg == "--runs")
            runs = true;
    }
    char pattern[] = "/tmp/transport-accuracy-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return 1;
    const fs::path scratch = pattern;

    struct Sample {
        const char* name;
        std::vector<Curve> curves;
    };
    std::vector<Sample> sweep;
    if (samples.find("bounds") != std::string::npos)
        sweep.push_back({"example bounds", test_sweep::sample_curves(false, n)});
    if (samples.find("ux") != std::string::npos)
        sweep.push_back({"U 0.5-50, x 5-100", test_sweep::sample_curves(true, n)});
    if (samples.find("edges") != std::string::npos) sweep.push_back({"edge sets", test_sweep::edge_curves()});

    std::printf(
        "| sample | model | accuracy line | target | curves within | worst error / peak | negative C | "
        "NaN/Inf | warned | CPU ms/curve mean | max |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
    for (const Sample& s : sweep) {
        const std::vector<std::vector<long double>> reference = references(s.curves, cache, threads);
        for (const bool pulse : {true, false}) {
            for (const Line& line : test_sweep::kLines) {
                Summary sum;
                for (std::size_t i = 0; i < s.curves.size(); ++i) {
                    const Curve& c = s.curves[i];
                    if (c.pulse != pulse) continue;
                    const CurveResult r = evaluate(c, reference[i], line, scratch);
                    ++sum.curves;
                    if (r.worst <= line.target && !r.not_finite && !r.negative) ++sum.within;
                    if (!(r.worst <= sum.worst)) {
                        sum.worst = r.worst;
                        sum.worst_curve = c.name;
                    }
                    sum.negative += r.negative;
                    sum.not_finite += r.not_finite;
                    sum.warned += r.warned;
                    sum.cpu_total += r.cpu;
                    sum.cpu_max = std::max(sum.cpu_max, r.cpu);
                    if (details && !(r.worst <= line.target)) {
                        std::printf(
                            "  off: %s %s [%s] worst %.3g at t=%g; D %g kc %g kr %g lamda %g U %g tp/A0 %g "
                            "lamdas %g x %g\n",
                            pulse ? "pulse" : "instant", c.name.c_str(), line.name, r.worst, r.worst_t,
                            c.values[0], c.values[1], c.values[2], c.values[3], c.values[4], c.values[5],
                            c.values[7], c.x);
                    }
                }
                std::printf(
                    "| %s | %s | %s | %.0e | %d of %d (%.1f %%) | %.2g (%s) | %d | %d | %d | %.3f | %.3f |\n",
                    s.name, pulse ? "broad pulse" : "instantaneous", line.name, line.target, sum.within,
                    sum.curves, 100.0 * sum.within / std::max(sum.curves, 1), sum.worst,
                    sum.worst_curve.c_str(), sum.negative, sum.not_finite, sum.warned,
                    1e3 * sum.cpu_total / std::max(sum.curves, 1), 1e3 * sum.cpu_max);
                std::fflush(stdout);
            }
        }
        if (runs) {
            std::vector<Curve> some;
            for (std::size_t i = 0; i < s.curves.size() && some.size() < 40;
                 i += std::max<std::size_t>(1, s.curves.size() / 40))
                some.push_back(s.curves[i]);
            std::printf("| %s | coltrans runs at 2.3E-4 0.3 300, %zu curves | CPU ms per run %.3f |\n",
                        s.name, some.size(), 1e3 * program_runs(some, scratch));
        }
    }
    fs::remove_all(scratch);
    return 0;
}
