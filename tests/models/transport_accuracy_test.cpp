// The accuracy of the colloid models over the parameter domain, on a fixed subset of the sweep that
// bench/transport_accuracy.cpp measures in full: every point of a curve within its accuracy line's
// target of the curve's peak, against the independent evaluation; no negative value, no value that
// is not a number, no quadrature warning; warnings where the accuracy cannot be reached; no jump
// where a parameter moves across regimes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/message_file.hpp"
#include "models/broad_pulse.hpp"
#include "models/instantaneous_injection.hpp"
#include "numerics/quadrature.hpp"
#include "tests/models/transport_reference.hpp"
#include "tests/models/transport_sweep.hpp"
#include "tests/support/temp_dir.hpp"

namespace models {
namespace {

using test_sweep::Curve;

struct Drivers {
    explicit Drivers(std::int32_t limit) : quadrature(limit, messages) {}
    test_support::TempDir dir;
    common::MessageFile messages{(dir / "fort.9").string()};
    numerics::Quadrature quadrature;
};

std::vector<double> concentrations(const Curve& c, const std::vector<double>& times, Drivers& drivers,
                                   QuadratureTolerances tolerances) {
    const auto& v = c.values;
    std::vector<double> values;
    if (c.pulse) {
        BroadPulse model({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]});
        for (const double t : times)
            values.push_back(model.concentration(t, c.x, drivers.quadrature, tolerances));
    } else {
        InstantaneousInjection model({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]});
        for (const double t : times)
            values.push_back(model.concentration(t, c.x, drivers.quadrature, tolerances));
    }
    return values;
}

// Edge sets and sets of the samples where the evaluations before this one failed most, ten times
// of each curve.
std::vector<Curve> subset() {
    std::vector<Curve> curves;
    for (const Curve& c : test_sweep::edge_curves()) {
        for (const char* name :
             {"narrowest peak", "broadest", "strong exchange", "strong attenuation", "inlet x 0",
              "long times", "no declogging", "short pulse", "calibration example"}) {
            if (c.name.starts_with(name)) curves.push_back(c);
        }
    }
    const std::vector<Curve> bounds = test_sweep::sample_curves(false, 200);
    const std::vector<Curve> moving = test_sweep::sample_curves(true, 200);
    for (const std::size_t i : {2, 38, 200 + 2}) curves.push_back(bounds[i]);
    for (const std::size_t i : {4, 200 + 4}) curves.push_back(moving[i]);
    for (Curve& c : curves) {
        std::vector<double> times;
        for (std::size_t k = 0; k < c.times.size(); k += 4) times.push_back(c.times[k]);
        c.times = times;
    }
    return curves;
}

TEST(TransportAccuracy, CurvesAreWithinTheTargetOfEveryAccuracyLine) {
    for (const Curve& c : subset()) {
        SCOPED_TRACE((c.pulse ? "broad pulse, " : "instantaneous, ") + c.name);
        const auto& v = c.values;
        const test_reference::Column column{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]};
        std::vector<long double> reference;
        long double peak = 0.0L;
        for (const double t : c.times) {
            reference.push_back(c.pulse ? test_reference::pulse_concentration(column, t, c.x)
                                        : test_reference::instantaneous_concentration(column, t, c.x));
            peak = std::max(peak, std::fabs(reference.back()));
        }
        for (const test_sweep::Line& line : test_sweep::kLines) {
            Drivers drivers(line.limit);
            const std::vector<double> values =
                concentrations(c, c.times, drivers, {.errabs = line.errabs, .errrel = line.errrel});
            for (std::size_t k = 0; k < values.size(); ++k) {
                ASSERT_TRUE(std::isfinite(values[k]) && values[k] >= 0.0)
                    << line.name << ", t = " << c.times[k];
                const long double value = values[k] < 2.2250738585072014e-308 ? 0.0L : values[k];
                EXPECT_LE(static_cast<double>(std::fabs(value - reference[k]) / peak), line.target)
                    << line.name << ", t = " << c.times[k] << ": " << values[k] << ", reference "
                    << reference[k];
            }
            EXPECT_FALSE(drivers.messages.written()) << line.name;
        }
    }
}

// A subdivision limit of 1 cannot reach 1e-10 on a peak 1e-3 of the interval wide: each point's
// integrations report it in the message file with the quadrature's text. With the limit of the
// accuracy line, nothing is written.
TEST(TransportAccuracy, WarningsGoToTheMessageFileWhenTheAccuracyCannotBeReached) {
    for (const Curve& c : test_sweep::edge_curves()) {
        if (!c.name.starts_with("narrowest peak")) continue;
        const std::vector<double> times = {c.times[10], c.times[20]};
        Drivers limited(1);
        concentrations(c, times, limited, {.errabs = 0.0, .errrel = 1e-10});
        ASSERT_TRUE(limited.messages.written()) << c.name;
        Drivers enough(1000);
        concentrations(c, times, enough, {.errabs = 0.0, .errrel = 1e-10});
        EXPECT_FALSE(enough.messages.written()) << c.name;
    }
    test_support::TempDir dir;
    {
        common::MessageFile messages((dir / "fort.9").string());
        numerics::Quadrature quadrature(1, messages);
        BroadPulse model({0.01, 1e-3, 1e-3, 1e-4, 50.0, 1.0, 0.38, 1e-4, 1e-3, 1.86});
        model.concentration(2.5, 100.0, quadrature, {.errabs = 0.0, .errrel = 1e-10});
    }
    std::string text;
    std::FILE* file = std::fopen((dir / "fort.9").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    for (int ch = std::fgetc(file); ch != EOF; ch = std::fgetc(file)) text += static_cast<char>(ch);
    std::fclose(file);
    EXPECT_NE(text.find("Maximum number of subdivisions allowed has been achieved."), std::string::npos)
        << text;
}

// D moved in steps of 0.01 % across U x / (2D) = 350, where the evaluation before this one changed
// its form: at the template's accuracy, C(D) at the arrival time has no step. Its second
// differences stay at their smooth size (a change of form shows as a step of the accuracy's size).
TEST(TransportAccuracy, ResultsAreSmoothInTheParameters) {
    constexpr QuadratureTolerances kTemplate{.errabs = 0.3, .errrel = 2.3e-4};
    for (const bool pulse : {true, false}) {
        Drivers drivers(300);
        std::vector<double> values;
        for (int k = 0; k <= 3000; ++k) {
            const double d = 0.35 * std::exp(1e-4 * k);  // U x / (2D) from 411 to 305
            if (pulse) {
                BroadPulse model({d, 0.05, 0.002, 0.03, 4.0, 4.0, 0.38, 0.015, 1e-3, 1.86});
                values.push_back(model.concentration(18.0, 72.0, drivers.quadrature, kTemplate));
            } else {
                InstantaneousInjection model({d, 0.05, 0.002, 0.03, 4.0, 4.0, 0.38, 0.015, 1e-3, 1.86});
                values.push_back(model.concentration(18.0, 72.0, drivers.quadrature, kTemplate));
            }
        }
        for (std::size_t k = 1; k + 1 < values.size(); ++k) {
            const double second = values[k + 1] - 2.0 * values[k] + values[k - 1];
            EXPECT_LE(std::fabs(second), 1e-8 * std::fabs(values[k]))
                << (pulse ? "pulse" : "instantaneous") << " k " << k;
        }
    }
}

}  // namespace
}  // namespace models
