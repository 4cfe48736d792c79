// What the transport models compute, checked where no attachment, detachment or inactivation acts
// (all rates zero): the closed-form solutions of one-dimensional advection-dispersion in a
// semi-infinite column with a flux-type (third-type) inlet condition, as resident (in-pore)
// concentrations. A concentration-type (first-type) inlet would differ by tens of per cent at these
// points, where the dispersion is strong against the advection (U x / D = 0.05 to 2).
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "tests/e2e/input_files.hpp"
#include "tests/support/simulator_run.hpp"

namespace {

constexpr double kD = 10.0;  // dispersion coefficient [cm^2/hr]
constexpr double kU = 1.0;   // interstitial velocity [cm/hr]
constexpr double kTheta = 0.38;

// Resident concentration, relative to the inlet's, after a flux-type inlet of concentration 1
// switched on at time 0 (zero for t <= 0).
double continuous_inlet(double x, double t) {
    if (t <= 0.0) return 0.0;
    const double root = 2.0 * std::sqrt(kD * t);
    return 0.5 * std::erfc((x - kU * t) / root) +
           std::sqrt(kU * kU * t / (std::numbers::pi * kD)) *
               std::exp(-(x - kU * t) * (x - kU * t) / (4.0 * kD * t)) -
           0.5 * (1.0 + kU * x / kD + kU * kU * t / kD) * std::exp(kU * x / kD) *
               std::erfc((x + kU * t) / root);
}

// Resident concentration per unit of injected mass and of pore cross-section after a flux-type
// injection at time 0: it integrates to 1 over the column.
double injection(double x, double t) {
    return std::exp(-(x - kU * t) * (x - kU * t) / (4.0 * kD * t)) / std::sqrt(std::numbers::pi * kD * t) -
           kU / (2.0 * kD) * std::exp(kU * x / kD) * std::erfc((x + kU * t) / (2.0 * std::sqrt(kD * t)));
}

struct Point {
    double t, x;
};
const std::vector<Point> kPoints{{0.5, 5.0},  {2.0, 5.0}, {4.0, 5.0}, {5.0, 5.0},
                                 {12.0, 5.0}, {3.0, 0.5}, {6.0, 20.0}};

// The concentrations of a run with all rates zero: line 7 and line 10 as given.
std::vector<double> run_without_rates(const std::string& mode, const std::string& line7,
                                      const std::string& line10) {
    e2e_inputs::ColloidSettings settings;
    settings.mode = mode;
    settings.values = {"10.0", "0", "0", "0", "1.0", line7, "0.38", "0", line10, "1.86"};
    settings.accuracy = "1.0E-10 1.0E-16 1000 0";
    std::string text = settings.text();
    for (const Point& p : kPoints) text += std::to_string(p.t) + "  " + std::to_string(p.x) + "\n";
    const test_support::RunLayout layout(text);
    const test_support::ProgramRun run = layout.start();
    EXPECT_EQ(run.status, 0) << run.err;
    std::vector<double> concentrations;
    const std::vector<std::string> records = test_support::records_of(layout.print_txt());
    for (std::size_t k = 3; k < records.size(); ++k)
        concentrations.push_back(std::stod(records[k].substr(records[k].rfind('\t') + 1)));
    return concentrations;
}

TEST(ClosedFormLimit, BroadPulseIsAFluxTypeInletInResidentConcentration) {
    // A pulse of 4 hours at 1e-3 g/cm^3: the continuous solution minus itself 4 hours later.
    const std::vector<double> c = run_without_rates("1", "4.0", "1.0E-3");
    ASSERT_EQ(c.size(), kPoints.size());
    for (std::size_t k = 0; k < kPoints.size(); ++k) {
        const Point& p = kPoints[k];
        const double expected = 1.0e-3 * (continuous_inlet(p.x, p.t) - continuous_inlet(p.x, p.t - 4.0));
        EXPECT_NEAR(c[k], expected, 1e-8 * expected) << "t " << p.t << ", x " << p.x;
    }
}

TEST(ClosedFormLimit, InstantaneousInjectionSpreadsItsMassOverThePoreCrossSection) {
    // The tp record (the cross-section area, 19.63 cm^2) and the C0 record (read as the source
    // mass rate, 2e-3): the result is that number, taken as a mass, over Theta A0.
    const std::vector<double> c = run_without_rates("0", "19.63", "2.0E-3");
    ASSERT_EQ(c.size(), kPoints.size());
    for (std::size_t k = 0; k < kPoints.size(); ++k) {
        const Point& p = kPoints[k];
        const double expected = 2.0e-3 / (kTheta * 19.63) * injection(p.x, p.t);
        EXPECT_NEAR(c[k], expected, 1e-8 * expected) << "t " << p.t << ", x " << p.x;
    }
}

}  // namespace
