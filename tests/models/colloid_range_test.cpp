// The colloid models where the plain formulas leave the range of doubles: large Peclet numbers,
// long times, large rate products. Results agree with an independent long-double evaluation where
// the concentration is a normal double and come out below the smallest normal double where the
// true one is; where nothing out of range can matter, they are the plain formula's, bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <random>

#include "common/message_file.hpp"
#include "models/broad_pulse.hpp"
#include "models/instantaneous_injection.hpp"
#include "models/range_guard.hpp"
#include "models/transport_kernel.hpp"
#include "numerics/quadrature.hpp"
#include "tests/models/transport_reference.hpp"
#include "tests/support/temp_dir.hpp"

namespace models {
namespace {

using test_reference::Column;

constexpr double kSmallestNormal = std::numeric_limits<double>::min();
constexpr QuadratureTolerances kTight{.errabs = 0.0, .errrel = 1e-10};

struct Drivers {
    test_support::TempDir dir;
    common::MessageFile messages{(dir / "fort.9").string()};
    numerics::Quadrature quadrature{1000, messages};
};

InstantaneousParameters instantaneous(const Column& c) {
    return {static_cast<double>(c.d),     static_cast<double>(c.kc),     static_cast<double>(c.kr),
            static_cast<double>(c.lamda), static_cast<double>(c.u),      static_cast<double>(c.line7),
            static_cast<double>(c.theta), static_cast<double>(c.lamdas), static_cast<double>(c.line10),
            static_cast<double>(c.rh0)};
}

BroadPulseParameters pulse(const Column& c) {
    return {static_cast<double>(c.d),     static_cast<double>(c.kc),     static_cast<double>(c.kr),
            static_cast<double>(c.lamda), static_cast<double>(c.u),      static_cast<double>(c.line7),
            static_cast<double>(c.theta), static_cast<double>(c.lamdas), static_cast<double>(c.line10),
            static_cast<double>(c.rh0)};
}

double relative_difference(double value, long double reference) {
    return static_cast<double>(std::fabs(value - reference) / std::fabs(reference));
}

// The instantaneous model at (t, x) for every t: within `tolerance` of the reference where that is
// a normal double, below the smallest normal double where the reference is.
void expect_instantaneous(const Column& c, double x, std::initializer_list<double> times, double tolerance) {
    Drivers drivers;
    InstantaneousInjection model(instantaneous(c));
    for (const double t : times) {
        const double value = model.concentration(t, x, drivers.quadrature, kTight);
        const long double expected = test_reference::instantaneous_concentration(c, t, x, 400);
        if (expected >= kSmallestNormal) {
            EXPECT_LT(relative_difference(value, expected), tolerance) << "t = " << t << ": " << value;
        } else {
            EXPECT_TRUE(value >= 0.0 && value < kSmallestNormal) << "t = " << t << ": " << value;
        }
    }
    EXPECT_FALSE(drivers.messages.written());
}

// Columns of the instantaneous model (line 7 is A0, line 10 mi).
constexpr Column kFastColumn{0.2, 0.05, 0.01, 0.002, 10.0, 20.0, 0.35, 0.001, 1.0, 1.7};
constexpr Column kSlowDispersionColumn{0.08, 0.05, 0.01, 0.002, 2.0, 20.0, 0.35, 0.001, 1.0, 1.7};
constexpr Column kReactiveColumn{0.5, 2.0, 5.0, 0.002, 2.0, 20.0, 0.35, 0.001, 1.0, 1.7};

TEST(InstantaneousInjectionRange, LargePecletNumbers) {
    // U x/(2D) = 750 at x = 30: exp(U x/(2D)) overflows and erfc underflows at every tau (NaN at
    // every point before). At t = 0.5 and 0.8 the true C is about 5E-680 and 6E-330.
    expect_instantaneous(kFastColumn, 30.0, {0.5, 0.8, 1.0, 1.3, 2.0, 2.5, 3.0, 3.5, 5.0}, 1e-9);
}

TEST(InstantaneousInjectionRange, PecletNumbersWhereOnlyErfcUnderflows) {
    // U x/(2D) = 375: every exponential is finite, but erfc is 0 at every tau, and the plain
    // formula lost the second term of the kernel, about half of C, without a sign.
    expect_instantaneous(kSlowDispersionColumn, 30.0, {12.0, 14.0, 15.0, 16.0, 18.0}, 1e-9);
}

TEST(InstantaneousInjectionRange, LongTimesAndLargeRateProducts) {
    // kc kr* = 10: I1's argument reaches t sqrt(b) = 1265 at t = 400, where h t = 5000 (NaN from
    // t = 200 on before); C falls to about 1E-217.
    expect_instantaneous(kReactiveColumn, 15.0, {10.0, 50.0, 100.0, 200.0, 400.0}, 1e-9);
}

// G of the broad-pulse model for every T: within `tolerance` of the reference where that is a
// normal double, below the smallest normal double where the reference is.
void expect_pulse_response(const Column& c, double x, std::initializer_list<double> times, double tolerance,
                           int panels) {
    Drivers drivers;
    BroadPulse model(pulse(c));
    model.concentration(0.0, x, drivers.quadrature, kTight);  // the position, without any integration
    for (const double big_t : times) {
        const double value = model.response(big_t, drivers.quadrature, kTight);
        const long double expected = test_reference::pulse_response(c, big_t, x, panels);
        if (expected >= kSmallestNormal) {
            EXPECT_LT(relative_difference(value, expected), tolerance) << "T = " << big_t << ": " << value;
        } else {
            EXPECT_TRUE(value >= 0.0 && value < kSmallestNormal) << "T = " << big_t << ": " << value;
        }
    }
    EXPECT_FALSE(drivers.messages.written());
}

// Columns of the broad-pulse model (line 7 is tp, line 10 Conc0).
constexpr Column kFastPulse{0.2, 0.05, 0.01, 0.002, 10.0, 1.0, 0.35, 0.001, 1.0, 1.7};
constexpr Column kReactivePulse{0.5, 2.0, 5.0, 0.002, 2.0, 5.0, 0.35, 0.001, 1.0, 1.7};

TEST(BroadPulseRange, LargePecletNumbers) {
    // U x/(2D) = 750 at x = 30 (NaN at every point before); G(0.5) is about 1E-700.
    expect_pulse_response(kFastPulse, 30.0, {0.5, 1.5, 2.0, 2.5, 3.0, 3.5}, 1e-9, 24);

    Drivers drivers;
    BroadPulse model(pulse(kFastPulse));
    for (const double t : {0.5, 1.5, 2.5, 3.5, 5.0, 8.0}) {
        const double c = model.concentration(t, 30.0, drivers.quadrature, kTight);
        EXPECT_TRUE(c >= 0.0 && c < 1.0) << "t = " << t << ": " << c;
    }
}

TEST(BroadPulseRange, LongTimesAndLargeRateProducts) {
    // kc kr = 10: I0's argument reaches T sqrt(kc kr) = 1265 at T = 400, where h T = 2000.
    expect_pulse_response(kReactivePulse, 15.0, {10.0, 50.0, 200.0, 400.0}, 1e-8, 48);
}

// The plain formulas evaluated as written, from the models' own integrands, at the position and
// time that concentration() and response() last set.
double plain_instantaneous(const InstantaneousInjection& model, double t, Drivers& drivers,
                           QuadratureTolerances tolerances) {
    const colloidm::State& s = model.state();
    const TransportKernel kernel(s);
    double integral = 0.0;
    if (s.b > 0.0) {
        integral = drivers.quadrature
                       .dqdag([&](double tau) { return model.ffunc2(tau); }, 0.0, t, tolerances.errabs,
                              tolerances.errrel, kGaussKronrod21)
                       .result;
    }
    return (kernel(t) + integral) * std::exp(kernel.advection_exponent() - s.h * t) * model.cm() /
           std::sqrt(s.d);
}

double plain_response(const BroadPulse& model, double conc0, double big_t, Drivers& drivers,
                      QuadratureTolerances tolerances) {
    const colloidm::State& s = model.state();
    const double r2 =
        drivers.quadrature
            .dtwodq([&](double tau1, double tau2) { return model.func1(tau1, tau2); }, 0.0, big_t,
                    BroadPulse::gg1, BroadPulse::hh1, tolerances.errabs, tolerances.errrel, kGaussKronrod21)
            .result;
    const double r1 = drivers.quadrature
                          .dqdag([&](double tau) { return model.func2(tau); }, 0.0, big_t, tolerances.errabs,
                                 tolerances.errrel, kGaussKronrod21)
                          .result;
    return (std::exp(-s.h * big_t) * r1 + r2) * conc0 * (s.u / std::sqrt(s.d)) *
           std::exp(TransportKernel(s).advection_exponent());
}

constexpr QuadratureTolerances kAccuracies[] = {
    {.errabs = 0.3, .errrel = 2.3e-4}, {.errabs = 0.0, .errrel = 1e-6}, {.errabs = 1e-12, .errrel = 1e-10}};

// Columns whose integrands underflow near tau = 0 (at U x/(2D) = 150 over much of the interval),
// and whose early results are subnormal numbers (written as 0), but where what underflowed is
// below a rounding error of the result.
TEST(ColloidModelsRange, ResultsInRangeAreThoseOfThePlainFormulaBitForBit) {
    struct Case {
        Column column;
        double x;
    };
    const Case cases[] = {{{0.5, 0.05, 0.01, 0.002, 2.0, 20.0, 0.35, 0.001, 1.0, 1.7}, 15.0},
                          {{0.5, 0.0, 0.01, 0.002, 2.0, 20.0, 0.35, 0.001, 1.0, 1.7}, 15.0},
                          {{0.2, 0.3, 0.2, 0.01, 2.0, 20.0, 0.35, 0.05, 1.0, 1.7}, 30.0}};
    for (const QuadratureTolerances& accuracy : kAccuracies) {
        for (const auto& [c, x] : cases) {
            Drivers drivers;
            InstantaneousInjection model(instantaneous(c));
            for (const double t : {0.152, 0.153, 0.5, 4.0, 6.0, 7.5, 9.0, 15.0, 30.0, 400.0}) {
                const double value = model.concentration(t, x, drivers.quadrature, accuracy);
                EXPECT_EQ(std::bit_cast<std::uint64_t>(value),
                          std::bit_cast<std::uint64_t>(plain_instantaneous(model, t, drivers, accuracy)))
                    << "t = " << t << ", D = " << static_cast<double>(c.d) << ", errrel " << accuracy.errrel;
            }
        }
    }
    const BroadPulseParameters pulses[] = {{0.8, 0.03, 0.005, 0.001, 3.0, 2.0, 0.4, 0.0005, 1.0, 1.6},
                                           {0.8, 0.03, 0.0, 0.001, 3.0, 2.0, 0.4, 0.0, 1.0, 1.6},
                                           {0.5, 0.3, 0.2, 0.01, 2.0, 1.5, 0.35, 0.05, 1.0, 1.7}};
    for (const QuadratureTolerances& accuracy : {kAccuracies[0], kAccuracies[1]}) {
        for (const BroadPulseParameters& p : pulses) {
            Drivers drivers;
            BroadPulse model(p);
            for (const double t : {0.8, 1.5, 4.0, 7.0, 12.0}) {
                const double value = model.concentration(t, 20.0, drivers.quadrature, accuracy);
                model.response(t, drivers.quadrature, accuracy);
                double plain = plain_response(model, p.conc0, t, drivers, accuracy);
                if (p.tp < t) {
                    model.response(t - p.tp, drivers.quadrature, accuracy);
                    plain -= plain_response(model, p.conc0, t - p.tp, drivers, accuracy);
                }
                EXPECT_EQ(std::bit_cast<std::uint64_t>(value), std::bit_cast<std::uint64_t>(plain))
                    << "t = " << t << ", kr = " << p.kr << ", errrel " << accuracy.errrel;
            }
        }
    }
}

// Early in a breakthrough at U x/(2D) = 150, erfc underflows where the integrand still counts:
// the plain formula is about 9E-10 off there; the scaled form is not.
TEST(ColloidModelsRange, WhereUnderflowCostsThePlainFormulaDigitsTheScaledFormIsTaken) {
    const Column c{0.2, 0.3, 0.2, 0.01, 2.0, 20.0, 0.35, 0.05, 1.0, 1.7};
    Drivers drivers;
    InstantaneousInjection model(instantaneous(c));
    const double value = model.concentration(2.0, 30.0, drivers.quadrature, kTight);
    const double plain = plain_instantaneous(model, 2.0, drivers, kTight);
    const long double expected = test_reference::instantaneous_concentration(c, 2.0, 30.0, 400);
    EXPECT_GT(relative_difference(plain, expected), 1e-10);
    EXPECT_LT(relative_difference(value, expected), 1e-12);
}

// Over a wide sweep of columns (Peclet numbers U x/(2D) up to 5000, rates up to 10/hr, times from
// well before to well after the arrival x/U): a result is the plain formula's only where the plain
// formula is right, and it agrees with the reference wherever that is a normal double.
TEST(ColloidModelsRange, AcrossASweepOfColumnsResultsAreRightAndPlainOnlyWhereThePlainFormulaIs) {
    std::mt19937_64 random(20240611);
    const auto log_uniform = [&](double low, double high) {
        return std::exp(std::uniform_real_distribution<double>(std::log(low), std::log(high))(random));
    };
    int plain_results = 0;
    for (int k = 0; k < 150; ++k) {
        const Column c{log_uniform(0.01, 5.0),
                       log_uniform(1e-4, 10.0),
                       log_uniform(1e-4, 10.0),
                       log_uniform(1e-5, 1.0),
                       log_uniform(0.1, 20.0),
                       20.0,
                       0.35,
                       log_uniform(1e-5, 1.0),
                       1.0,
                       1.7};
        const double x = log_uniform(0.5, 50.0);
        const double t = static_cast<double>(x / c.u) * log_uniform(0.2, 20.0);
        Drivers drivers;
        InstantaneousInjection model(instantaneous(c));
        const double value = model.concentration(t, x, drivers.quadrature, kTight);
        const double plain = plain_instantaneous(model, t, drivers, kTight);
        const long double expected = test_reference::instantaneous_concentration(c, t, x, 400);
        SCOPED_TRACE(testing::Message() << "D " << static_cast<double>(c.d) << " kc "
                                        << static_cast<double>(c.kc) << " kr " << static_cast<double>(c.kr)
                                        << " U " << static_cast<double>(c.u) << " x " << x << " t " << t);
        if (std::bit_cast<std::uint64_t>(value) == std::bit_cast<std::uint64_t>(plain)) ++plain_results;
        if (expected >= 1e-280L) {
            EXPECT_LT(relative_difference(value, expected), 1e-7) << value << " " << plain;
        } else if (expected < kSmallestNormal) {
            EXPECT_TRUE(std::fabs(value) < 2.0 * RangeGuard::kNegligible) << value;
        }
    }
    // Most of the sweep is in range.
    EXPECT_GT(plain_results, 60);

    // The same for G of the broad pulse, on fewer columns and with U x/(2D) up to 400, where the
    // reference resolves the kernel's peak.
    plain_results = 0;
    for (int k = 0; k < 16; ++k) {
        const double u = log_uniform(0.1, 20.0);
        const double x = log_uniform(0.5, 50.0);
        const Column c{u * x / (2.0 * log_uniform(0.5, 400.0)),
                       log_uniform(1e-4, 10.0),
                       log_uniform(1e-4, 10.0),
                       log_uniform(1e-5, 1.0),
                       u,
                       1.0,
                       0.35,
                       log_uniform(1e-5, 1.0),
                       1.0,
                       1.7};
        const double big_t = static_cast<double>(x / c.u) * log_uniform(0.2, 20.0);
        Drivers drivers;
        BroadPulse model(pulse(c));
        model.concentration(0.0, x, drivers.quadrature, kTight);
        const double value = model.response(big_t, drivers.quadrature, kTight);
        const double plain = plain_response(model, 1.0, big_t, drivers, kTight);
        const long double expected = test_reference::pulse_response(c, big_t, x, 32);
        SCOPED_TRACE(testing::Message() << "D " << static_cast<double>(c.d) << " kc "
                                        << static_cast<double>(c.kc) << " kr " << static_cast<double>(c.kr)
                                        << " U " << static_cast<double>(c.u) << " x " << x << " T " << big_t);
        if (std::bit_cast<std::uint64_t>(value) == std::bit_cast<std::uint64_t>(plain)) ++plain_results;
        if (expected >= 1e-280L) {
            EXPECT_LT(relative_difference(value, expected), 1e-7) << value << " " << plain;
        } else if (expected < kSmallestNormal) {
            EXPECT_TRUE(std::fabs(value) < 2.0 * RangeGuard::kNegligible) << value;
        }
    }
    EXPECT_GT(plain_results, 4);
}

// In range, the scaled integrands are the plain ones times the exponentials carried into them.
TEST(ColloidModelsRange, ScaledIntegrandsAreThePlainOnesTimesTheirExponentials) {
    Drivers drivers;
    InstantaneousInjection instant(instantaneous(kReactiveColumn));
    instant.concentration(3.0, 4.0, drivers.quadrature, kTight);
    const colloidm::State& s = instant.state();
    const double final_exponent = s.u * s.x / (2.0 * s.d) - s.h * s.time;
    for (const double tau : {0.05, 0.4, 1.0, 2.2, 2.9}) {
        const double plain = instant.ffunc2(tau) * std::exp(final_exponent);
        EXPECT_NEAR(instant.ffunc2_scaled(tau), plain, 1e-13 * std::fabs(plain)) << tau;
    }

    BroadPulse model(pulse(kReactivePulse));
    model.concentration(3.0, 4.0, drivers.quadrature, kTight);
    const colloidm::State& p = model.state();
    const double advection = p.u * p.x / (2.0 * p.d);
    for (const double tau : {0.05, 0.4, 1.0, 2.2, 2.9}) {
        const double single = model.func2(tau) * std::exp(advection - p.h * p.time);
        EXPECT_NEAR(model.func2_scaled(tau), single, 1e-13 * std::fabs(single)) << tau;
        const double twofold = model.func1(2.95, tau) * std::exp(advection);
        EXPECT_NEAR(model.func1_scaled(2.95, tau), twofold, 1e-13 * std::fabs(twofold)) << tau;
    }
}

// A scaled integral takes the course of the unscaled one: its absolute tolerance is scaled with
// it, and keeps its meaning to the drivers when it is 0, negative or NaN.
TEST(ColloidModelsRange, AbsoluteTolerancesScaleWithTheIntegrand) {
    EXPECT_EQ(scaled_errabs(0.3, 0.0), 0.3);
    EXPECT_DOUBLE_EQ(scaled_errabs(0.3, 10.0), 0.3 * std::exp(10.0));
    EXPECT_EQ(scaled_errabs(0.3, 800.0), std::numeric_limits<double>::infinity());
    EXPECT_EQ(scaled_errabs(0.3, -800.0), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(scaled_errabs(0.0, 800.0), 0.0);
    EXPECT_EQ(scaled_errabs(-1.0, -800.0), -1.0);
    EXPECT_TRUE(std::isnan(scaled_errabs(std::numeric_limits<double>::quiet_NaN(), 5.0)));
}

}  // namespace
}  // namespace models
