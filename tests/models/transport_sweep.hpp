#pragma once
// The parameter sets on which the accuracy of the colloid models is measured, for the benchmark
// bench/transport_accuracy.cpp (the full sweep) and the test transport_accuracy_test.cpp (a fixed
// subset): breakthrough curves of 40 times, both models, three accuracy lines, each curve's error
// measured against the independent evaluation of tests/models/transport_reference.hpp as the
// largest |C - C_true| over the curve's peak max |C_true|.
//
// Samples (Latin hypercubes of 200 sets, a fixed seed):
// - "example bounds": D, kc, kr, lamda, lamdas log-uniform within the bounds of
//   examples/calibration/run/SystemFiles/ParsToFit.txt; U = 4, tp = 4, Theta = 0.38, Conc0 = 1e-3
//   as in that file, rh0 = 1.86 as the template writes it; x = 30 cm and the 40 times of
//   TimeAndCoords.txt (2 to 21.5 hr). The instantaneous injection reads the template's tp and C0
//   values as A0 and mi, as it does in a calibration with SimMode 0.
// - "U and x vary": the same, with U log-uniform in 0.5-50 cm/hr and x log-uniform in 5-100 cm; the
//   times and tp scaled by the travel time (x / U) / 7.5 hr, so that each curve is a breakthrough
//   like the example's.
// - edge sets chosen by hand (edge_curves()).

#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace test_sweep {

struct Line {
    const char* name;
    double errrel;
    double errabs;
    int limit;
    double target;  // largest error over the peak allowed
};

inline constexpr std::array<Line, 3> kLines = {{
    {"2.3E-4 0.3 300", 2.3e-4, 0.3, 300, 1e-3},
    {"1.0E-6 1.0E-12 300", 1e-6, 1e-12, 300, 1e-5},
    {"1e-10 0 1000", 1e-10, 0.0, 1000, 1e-8},
}};

// One breakthrough curve: lines 2 to 11 of input.txt (line 7 tp or A0, line 10 Conc0 or mi).
struct Curve {
    std::string name;
    bool pulse;
    std::array<double, 10> values;  // D, kc, kr, lamda, U, line 7, Theta, lamdas, line 10, rh0
    double x;
    std::vector<double> times;
};

// The 40 sampling times of the calibration example, scaled.
inline std::vector<double> example_times(double scale) {
    std::vector<double> times;
    for (int k = 0; k < 40; ++k) times.push_back((2.0 + 0.5 * k) * scale);
    return times;
}

// A generator with the same sequence on every platform (splitmix64).
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

  private:
    std::uint64_t state_;
};

// n points of a Latin hypercube in [0, 1)^dimensions: each dimension in n strata, each stratum once.
inline std::vector<std::vector<double>> latin_hypercube(int n, int dimensions, std::uint64_t seed) {
    Random random(seed);
    std::vector<std::vector<double>> points(static_cast<std::size_t>(n), std::vector<double>(dimensions));
    for (int d = 0; d < dimensions; ++d) {
        std::vector<int> strata(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) strata[static_cast<std::size_t>(i)] = i;
        for (int i = n - 1; i > 0; --i) {
            const int j = static_cast<int>(random.next() % static_cast<std::uint64_t>(i + 1));
            std::swap(strata[static_cast<std::size_t>(i)], strata[static_cast<std::size_t>(j)]);
        }
        for (int i = 0; i < n; ++i)
            points[static_cast<std::size_t>(i)][static_cast<std::size_t>(d)] =
                (strata[static_cast<std::size_t>(i)] + random.uniform()) / n;
    }
    return points;
}

inline double log_uniform(double u, double low, double high) {
    return std::exp(std::log(low) + u * (std::log(high) - std::log(low)));
}

inline constexpr double kExampleTravel = 30.0 / 4.0;  // x / U of the example, hr

// The parameter sets of a sample (both models use each set).
struct ParameterSet {
    double d, kc, kr, lamda, lamdas, u, x, scale;  // scale: of the times and tp
};

inline std::vector<ParameterSet> sample(bool u_and_x_vary, int n = 200) {
    const auto points = latin_hypercube(n, u_and_x_vary ? 7 : 5, u_and_x_vary ? 20240717 : 20240716);
    std::vector<ParameterSet> sets;
    for (const auto& p : points) {
        ParameterSet s{log_uniform(p[0], 0.01, 50.0),
                       log_uniform(p[1], 1e-5, 5.0),
                       log_uniform(p[2], 1e-6, 1.0),
                       log_uniform(p[3], 1e-5, 1.0),
                       log_uniform(p[4], 1e-6, 1.0),
                       4.0,
                       30.0,
                       1.0};
        if (u_and_x_vary) {
            s.u = log_uniform(p[5], 0.5, 50.0);
            s.x = log_uniform(p[6], 5.0, 100.0);
            s.scale = (s.x / s.u) / kExampleTravel;
        }
        sets.push_back(s);
    }
    return sets;
}

// A curve of a set: the pulse time tp (already scaled) on line 7 of the broad pulse; the
// instantaneous injection reads the template's tp and C0 values, 4 and 1e-3, as A0 and mi.
inline Curve curve_of(const std::string& name, bool pulse, const ParameterSet& s, double tp) {
    return {name,
            pulse,
            {s.d, s.kc, s.kr, s.lamda, s.u, pulse ? tp : 4.0, 0.38, s.lamdas, 1e-3, 1.86},
            s.x,
            example_times(s.scale)};
}

// Both models over a sample.
inline std::vector<Curve> sample_curves(bool u_and_x_vary, int n = 200) {
    std::vector<Curve> curves;
    const std::vector<ParameterSet> sets = sample(u_and_x_vary, n);
    for (const bool pulse : {true, false}) {
        for (std::size_t i = 0; i < sets.size(); ++i)
            curves.push_back(curve_of((u_and_x_vary ? "U,x " : "bounds ") + std::to_string(i), pulse, sets[i],
                                      4.0 * sets[i].scale));
    }
    return curves;
}

// Parameter sets at the edges of the domain and beyond the example's bounds.
inline std::vector<Curve> edge_curves() {
    struct Edge {
        const char* name;
        ParameterSet set;
        double tp;
        std::vector<double> times;  // empty: the example's, scaled
    };
    std::vector<double> long_times;
    for (int k = 0; k < 40; ++k) long_times.push_back(std::pow(10.0, -0.5 + 3.8 * k / 39.0));
    std::vector<double> inlet_times;
    for (int k = 1; k <= 40; ++k) inlet_times.push_back(0.05 * k);
    const auto scaled = [](double u, double x) { return (x / u) / kExampleTravel; };
    const std::vector<Edge> edges = {
        {"narrowest peak (Pe 2.5e5)",
         {0.01, 1e-3, 1e-3, 1e-4, 1e-4, 50.0, 100.0, scaled(50.0, 100.0)},
         4.0,
         {}},
        {"broadest (Pe 0.025)", {50.0, 1e-3, 1e-3, 1e-4, 1e-4, 0.5, 5.0, scaled(0.5, 5.0)}, 4.0, {}},
        {"strong exchange kc 5 kr 1", {1.5, 5.0, 1.0, 1e-5, 1e-6, 4.0, 30.0, 1.0}, 4.0, {}},
        {"strong attenuation", {1.5, 5.0, 1e-6, 1.0, 1.0, 4.0, 30.0, 1.0}, 4.0, {}},
        {"inlet x 0", {1.5, 0.05, 0.002, 0.03, 0.015, 4.0, 0.0, 1.0}, 0.5, inlet_times},
        {"near inlet x 0.01", {0.01, 0.05, 0.002, 0.03, 0.015, 4.0, 0.01, 1.0}, 0.5, inlet_times},
        {"long times to 2000 hr", {1.5, 0.5, 0.1, 1e-3, 1e-3, 4.0, 30.0, 1.0}, 4.0, long_times},
        {"no clogging kc 0", {1.5, 0.0, 0.002, 0.03, 0.015, 4.0, 30.0, 1.0}, 4.0, {}},
        {"no declogging kr 0", {1.5, 0.05, 0.0, 0.03, 0.015, 4.0, 30.0, 1.0}, 4.0, {}},
        {"short pulse tp 0.01", {1.5, 0.05, 0.002, 0.03, 0.015, 4.0, 30.0, 1.0}, 0.01, {}},
        {"long pulse tp 1000", {1.5, 0.05, 0.002, 0.03, 0.015, 4.0, 30.0, 1.0}, 1000.0, {}},
        {"Peclet 5000", {0.03, 0.05, 0.01, 0.002, 0.001, 10.0, 30.0, scaled(10.0, 30.0)}, 4.0, {}},
        {"slow flow U 0.01", {0.1, 0.05, 0.002, 0.03, 0.015, 0.01, 30.0, scaled(0.01, 30.0)}, 4.0, {}},
        {"fast rates kc 50 kr 50", {1.5, 50.0, 50.0, 0.1, 0.1, 4.0, 30.0, 1.0}, 4.0, {}},
        {"calibration example", {1.5, 0.05, 0.002, 0.03, 0.015, 4.0, 30.0, 1.0}, 4.0, {}},
    };
    std::vector<Curve> curves;
    for (const bool pulse : {true, false}) {
        for (const Edge& e : edges) {
            Curve c = curve_of(e.name, pulse, e.set, e.tp * (e.times.empty() ? e.set.scale : 1.0));
            if (!e.times.empty()) c.times = e.times;
            curves.push_back(c);
        }
    }
    return curves;
}

}  // namespace test_sweep
