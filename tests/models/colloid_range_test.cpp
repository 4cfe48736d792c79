// The colloid models where the plain formulas leave the range of doubles: large Peclet numbers,
// long times, large rate products. Results agree with an independent long-double evaluation where
// the concentration is a normal double and come out below the smallest normal double where the
// true one is; where the plain formula is right, they agree with it to the accuracy asked for.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <random>

#include "common/message_file.hpp"
#include "models/broad_pulse.hpp"
#include "models/instantaneous_injection.hpp"
#include "models/transport_accuracy.hpp"
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
        const long double expected = test_reference::instantaneous_concentration(c, t, x);
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
void expect_pulse_response(const Column& c, double x, std::initializer_list<double> times, double tolerance) {
    Drivers drivers;
    BroadPulse model(pulse(c));
    model.concentration(0.0, x, drivers.quadrature, kTight);  // the position, without any integration
    for (const double big_t : times) {
        const double value = model.response(big_t, drivers.quadrature, kTight);
        const long double expected = test_reference::pulse_response(c, big_t, x);
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
    expect_pulse_response(kFastPulse, 30.0, {0.5, 1.5, 2.0, 2.5, 3.0, 3.5}, 1e-9);

    Drivers drivers;
    BroadPulse model(pulse(kFastPulse));
    for (const double t : {0.5, 1.5, 2.5, 3.5, 5.0, 8.0}) {
        const double c = model.concentration(t, 30.0, drivers.quadrature, kTight);
        EXPECT_TRUE(c >= 0.0 && c < 1.0) << "t = " << t << ": " << c;
    }
}

TEST(BroadPulseRange, LongTimesAndLargeRateProducts) {
    // kc kr = 10: I0's argument reaches T sqrt(kc kr) = 1265 at T = 400, where h T = 2000.
    expect_pulse_response(kReactivePulse, 15.0, {10.0, 50.0, 200.0, 400.0}, 1e-8);
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
// and whose early results are subnormal numbers (written as 0), but where the plain formula,
// integrated at a tight accuracy, is right: at every accuracy line the results agree with it to
// the accuracy asked for (ERRABS in units of the result, capped at ERRREL times the model's scale).
TEST(ColloidModelsRange, WhereThePlainFormulaIsRightTheResultsAgreeWithItToTheAccuracyAskedFor) {
    constexpr QuadratureTolerances kPlainAccuracy{.errabs = 0.0, .errrel = 1e-13};
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
                double plain = plain_instantaneous(model, t, drivers, kPlainAccuracy);
                // Within 2^52 of the subnormal numbers the plain formula's terms lose digits (2 % at
                // t = 0.153): the reference there.
                if (std::fabs(plain) < 1e-290)
                    plain = static_cast<double>(test_reference::instantaneous_concentration(c, t, x));
                const double scale = model.cm() / std::sqrt(colloidm::kPi * model.state().d * t);
                if (std::fabs(plain) < kSmallestNormal) {  // both written as 0
                    EXPECT_LT(std::fabs(value), kSmallestNormal) << "t = " << t;
                    continue;
                }
                EXPECT_LE(std::fabs(value - plain), PointAccuracy::of(accuracy, scale).allowed(plain))
                    << "t = " << t << ", D = " << static_cast<double>(c.d) << ", errrel " << accuracy.errrel;
            }
        }
    }
    const BroadPulseParameters pulses[] = {{0.8, 0.03, 0.005, 0.001, 3.0, 2.0, 0.4, 0.0005, 1.0, 1.6},
                                           {0.8, 0.03, 0.0, 0.001, 3.0, 2.0, 0.4, 0.0, 1.0, 1.6},
                                           {0.5, 0.3, 0.2, 0.01, 2.0, 1.5, 0.35, 0.05, 1.0, 1.7}};
    for (const QuadratureTolerances& accuracy : kAccuracies) {
        for (const BroadPulseParameters& p : pulses) {
            Drivers drivers;
            BroadPulse model(p);
            for (const double t : {0.8, 1.5, 4.0, 7.0, 12.0}) {
                const double value = model.concentration(t, 20.0, drivers.quadrature, accuracy);
                model.response(t, drivers.quadrature, accuracy);
                double plain = plain_response(model, p.conc0, t, drivers, kPlainAccuracy);
                if (p.tp < t) {
                    model.response(t - p.tp, drivers.quadrature, accuracy);
                    plain -= plain_response(model, p.conc0, t - p.tp, drivers, kPlainAccuracy);
                }
                EXPECT_LE(std::fabs(value - plain), PointAccuracy::of(accuracy, p.conc0).allowed(plain))
                    << "t = " << t << ", kr = " << p.kr << ", errrel " << accuracy.errrel;
            }
        }
    }
}

// Early in a breakthrough at U x/(2D) = 150, erfc underflows where the integrand still counts:
// the plain formula is about 9E-10 off there; the scaled evaluation is not.
TEST(ColloidModelsRange, WhereUnderflowCostsThePlainFormulaDigitsTheScaledEvaluationKeepsThem) {
    const Column c{0.2, 0.3, 0.2, 0.01, 2.0, 20.0, 0.35, 0.05, 1.0, 1.7};
    Drivers drivers;
    InstantaneousInjection model(instantaneous(c));
    const double value = model.concentration(2.0, 30.0, drivers.quadrature, kTight);
    const double plain = plain_instantaneous(model, 2.0, drivers, kTight);
    const long double expected = test_reference::instantaneous_concentration(c, 2.0, 30.0);
    EXPECT_GT(relative_difference(plain, expected), 1e-10);
    EXPECT_LT(relative_difference(value, expected), 1e-12);
}

// Over a wide sweep of columns (Peclet numbers U x/(2D) up to 5000, rates up to 10/hr, times from
// well before to well after the arrival x/U): results agree with the reference wherever that is a
// normal double, and are below it where it is not.
TEST(ColloidModelsRange, AcrossASweepOfColumnsResultsAreRight) {
    std::mt19937_64 random(20240611);
    const auto log_uniform = [&](double low, double high) {
        return std::exp(std::uniform_real_distribution<double>(std::log(low), std::log(high))(random));
    };
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
        const long double expected = test_reference::instantaneous_concentration(c, t, x);
        SCOPED_TRACE(testing::Message() << "D " << static_cast<double>(c.d) << " kc "
                                        << static_cast<double>(c.kc) << " kr " << static_cast<double>(c.kr)
                                        << " U " << static_cast<double>(c.u) << " x " << x << " t " << t);
        if (expected >= kSmallestNormal) {
            EXPECT_LT(relative_difference(value, expected), 1e-9) << value;
        } else {
            EXPECT_TRUE(value >= 0.0 && value < kSmallestNormal) << value;
        }
    }

    // The same for G of the broad pulse, on fewer columns and with U x/(2D) up to 400.
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
        const long double expected = test_reference::pulse_response(c, big_t, x);
        SCOPED_TRACE(testing::Message() << "D " << static_cast<double>(c.d) << " kc "
                                        << static_cast<double>(c.kc) << " kr " << static_cast<double>(c.kr)
                                        << " U " << static_cast<double>(c.u) << " x " << x << " T " << big_t);
        if (expected >= kSmallestNormal) {
            EXPECT_LT(relative_difference(value, expected), 1e-9) << value;
        } else {
            EXPECT_TRUE(value >= 0.0 && value < kSmallestNormal) << value;
        }
    }
}

// In range, the scaled kernel is the plain one times the exponential carried into it; at x = 0 and
// late times, where the two terms of its bracket nearly cancel, it keeps its relative accuracy.
TEST(ColloidModelsRange, TheScaledKernelIsThePlainOneTimesItsExponential) {
    colloidm::State s{
        .a = 0.31, .b = 0.0, .d = 0.5, .h = 0.25, .pi = colloidm::kPi, .time = 0.0, .u = 2.0, .x = 4.0};
    const TransportKernel kernel(s);
    for (const double tau : {0.05, 0.4, 1.0, 2.2, 2.9, 10.0}) {
        const double plain = kernel(tau) * std::exp(kernel.advection_exponent() - 1.5);
        EXPECT_NEAR(kernel.scaled(tau, -1.5), plain, 1e-13 * std::fabs(plain)) << tau;
    }
    s.x = 0.0;
    const TransportKernel inlet(s);
    const test_reference::Kernel reference{0.5L, 2.0L, 0.0L, 0.25L - 0.31L};
    for (const double tau : {0.01, 1.0, 30.0, 400.0, 3000.0}) {
        const double shift = 2.06 * tau;  // back into range
        const long double expected = std::exp(reference.exponent(tau) + shift) * reference.bracket(tau);
        EXPECT_LT(relative_difference(inlet.scaled(tau, shift), expected), 1e-12)
            << tau;  // the exponent 2.06 tau rounded
    }
}

// ERRABS is an absolute accuracy in units of the result, capped at ERRREL times the model's scale;
// alone when ERRREL is not positive; none when it is not positive itself.
TEST(ColloidModelsRange, AbsoluteAccuracyIsInUnitsOfTheResultCappedByTheRelativeOne) {
    const auto absolute = [](double errabs, double errrel, double scale) {
        return PointAccuracy::of({.errabs = errabs, .errrel = errrel}, scale).absolute;
    };
    EXPECT_DOUBLE_EQ(absolute(0.3, 2.3e-4, 1e-3), 2.3e-7);  // the template's 0.3: capped
    EXPECT_EQ(absolute(1e-12, 1e-6, 1e-3), 1e-12);          // below the cap: as written
    EXPECT_EQ(absolute(1e-12, 1e-6, -1e-3), 1e-12);         // a negative scale counts by its size
    EXPECT_EQ(absolute(0.0, 1e-10, 1.0), 0.0);              // relative accuracy alone
    EXPECT_EQ(absolute(-1.0, 1e-10, 1.0), 0.0);
    EXPECT_EQ(absolute(1e-9, 0.0, 1.0), 1e-9);  // absolute accuracy alone
    const PointAccuracy accuracy = PointAccuracy::of({.errabs = 0.3, .errrel = 2.3e-4}, 1e-3);
    EXPECT_DOUBLE_EQ(accuracy.allowed(1.0), 2.3e-4);
    EXPECT_DOUBLE_EQ(accuracy.allowed(1e-9), 2.3e-7);
}

}  // namespace
}  // namespace models
