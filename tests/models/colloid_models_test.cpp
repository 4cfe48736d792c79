// The two colloid models computed directly from their parameters: special cases, the known value,
// and agreement with an independent evaluation at tight tolerances.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/message_file.hpp"
#include "models/broad_pulse.hpp"
#include "models/instantaneous_injection.hpp"
#include "numerics/bessel.hpp"
#include "numerics/quadrature.hpp"
#include "tests/models/gauss_legendre_reference.hpp"
#include "tests/support/temp_dir.hpp"

namespace models {
namespace {

using test_reference::GaussLegendre;

constexpr QuadratureTolerances kTight{.errabs = 0.0, .errrel = 1e-10};
constexpr QuadratureTolerances kTemplate{.errabs = 0.3, .errrel = 2.3e-4};

// A message file in a temporary folder and the drivers of one run.
struct Drivers {
    explicit Drivers(std::int32_t limit = 1000)
        : messages((dir / "fort.9").string()), quadrature(limit, messages) {}
    test_support::TempDir dir;
    common::MessageFile messages;
    numerics::Quadrature quadrature;
};

double relative_difference(long double value, long double reference) {
    return static_cast<double>(std::fabs(value - reference) / std::fabs(reference));
}

// The kernel written out again, in long double.
struct ReferenceKernel {
    long double d, u, x, net_rate;  // net_rate = h - a
    long double operator()(long double tau) const {
        const long double pi = 3.141592653589793238462643383279502884L;
        const long double e1 = std::exp((net_rate - u * u / (4 * d)) * tau - x * x / (4 * d * tau));
        const long double e2 = std::exp(u * x / (2 * d) + net_rate * tau);
        const long double f = std::erfc(std::sqrt(tau / d) * u / 2 + x / (2 * std::sqrt(d * tau)));
        return e1 / std::sqrt(pi * tau) - u / (2 * std::sqrt(d)) * e2 * f;
    }
};

// ---------------------------------------------------------------- instantaneous injection

InstantaneousParameters unit_column() {
    return {.d = 1,
            .kc = 0,
            .kr = 0,
            .lamda = 0,
            .u = 1,
            .a0 = 1,
            .theta = 0.5,
            .lamdas = 0,
            .mi = 1,
            .rh0 = 1.5};
}

TEST(InstantaneousInjection, KnownValueAndInactivationOfTheSuspendedPhase) {
    Drivers drivers;
    InstantaneousInjection model(unit_column());
    EXPECT_NEAR(model.concentration(1.0, 1.0, drivers.quadrature, kTight), 0.700796, 5e-7);

    InstantaneousParameters decaying = unit_column();
    decaying.lamda = 0.1;
    InstantaneousInjection decayed(decaying);
    for (const double t : {0.3, 1.0, 2.5, 7.0}) {
        for (const double x : {0.0, 1.0, 4.0}) {
            const double plain = model.concentration(t, x, drivers.quadrature, kTight);
            EXPECT_NEAR(decayed.concentration(t, x, drivers.quadrature, kTight) / plain, std::exp(-0.1 * t),
                        1e-13)
                << t << " " << x;
        }
    }
    EXPECT_EQ(drivers.quadrature.evaluations(), 0);
}

TEST(InstantaneousInjection, ZeroTimeAndZeroClogging) {
    Drivers drivers;
    InstantaneousParameters p = unit_column();
    p.kc = 0.4;
    p.kr = 0.2;
    p.lamdas = 0.05;
    InstantaneousInjection clogging(p);
    ASSERT_GT(clogging.state().b, 0.0);
    EXPECT_EQ(clogging.concentration(0.0, 3.0, drivers.quadrature, kTight), 0.0);
    EXPECT_EQ(std::signbit(clogging.concentration(0.0, 3.0, drivers.quadrature, kTight)), false);
    EXPECT_EQ(drivers.quadrature.evaluations(), 0);
    EXPECT_GT(clogging.concentration(2.0, 3.0, drivers.quadrature, kTight), 0.0);
    EXPECT_GT(drivers.quadrature.evaluations(), 0);

    // kc = 0: b = 0, no integration, the closed form alone.
    Drivers closed;
    p.kc = 0.0;
    InstantaneousInjection free(p);
    EXPECT_EQ(free.state().b, 0.0);
    const ReferenceKernel kernel{.d = 1, .u = 1, .x = 3, .net_rate = (0.2L + 2 * 0.05L) - 0.0L};
    const long double h = 0.2L + 2 * 0.05L;
    for (const double t : {0.5, 2.0, 6.0}) {
        const long double expected = kernel(t) * std::exp(1.0L * 3 / 2 - h * t) * (1.0L / 0.5L) / 1.0L;
        EXPECT_LT(relative_difference(free.concentration(t, 3.0, closed.quadrature, kTight), expected), 1e-13)
            << t;
    }
    EXPECT_EQ(closed.quadrature.evaluations(), 0);
}

TEST(InstantaneousInjection, EarlyTailsReachSubnormalNumbers) {
    // The points that the result file writes as 0 (see the end-to-end tests): subnormal here.
    Drivers drivers;
    InstantaneousInjection model({.d = 0.5,
                                  .kc = 0,
                                  .kr = 0.01,
                                  .lamda = 0.002,
                                  .u = 2.0,
                                  .a0 = 20.0,
                                  .theta = 0.35,
                                  .lamdas = 0.001,
                                  .mi = 1.0,
                                  .rh0 = 1.7});
    for (const double t : {0.152, 0.1525}) {
        const double c = model.concentration(t, 15.0, drivers.quadrature, kTight);
        EXPECT_GT(c, 0.0) << t;
        EXPECT_LT(c, std::numeric_limits<double>::min()) << t;
    }
    EXPECT_GT(model.concentration(0.153, 15.0, drivers.quadrature, kTight),
              std::numeric_limits<double>::min());
}

// C of the instantaneous model, evaluated independently.
long double instantaneous_reference(const InstantaneousParameters& p, long double t, long double x) {
    const long double h = p.kr + 2.0L * p.lamdas;
    const long double a = static_cast<long double>(p.lamda) + p.kc;
    const long double b = static_cast<long double>(p.kc) * (static_cast<long double>(p.kr) + p.lamdas);
    const ReferenceKernel kernel{.d = p.d, .u = p.u, .x = x, .net_rate = h - a};
    const GaussLegendre rule(20);
    const long double integral = rule.integrate(
        [&](long double tau) {
            const long double r = std::sqrt(tau * b * (t - tau));
            return kernel(tau) * (tau * b / r) * numerics::dbsi1(static_cast<double>(2 * r));
        },
        0.0L, t, 64);
    const long double cm = p.mi / (static_cast<long double>(p.theta) * p.a0);
    return (kernel(t) + integral) * std::exp(p.u * x / (2 * p.d) - h * t) * cm /
           std::sqrt(static_cast<long double>(p.d));
}

TEST(InstantaneousInjection, AgreesWithAnIndependentEvaluationAtTightTolerances) {
    Drivers drivers;
    const InstantaneousParameters p{.d = 0.5,
                                    .kc = 0.3,
                                    .kr = 0.2,
                                    .lamda = 0.01,
                                    .u = 2.0,
                                    .a0 = 20.0,
                                    .theta = 0.35,
                                    .lamdas = 0.05,
                                    .mi = 1.0,
                                    .rh0 = 1.7};
    InstantaneousInjection model(p);
    for (const double t : {0.5, 1.5, 2.5, 3.5, 5.0, 8.0, 12.0}) {
        const double c = model.concentration(t, 5.0, drivers.quadrature, kTight);
        EXPECT_LT(relative_difference(c, instantaneous_reference(p, t, 5.0)), 1e-9) << "t = " << t;
    }
    EXPECT_FALSE(drivers.messages.written());
}

// ---------------------------------------------------------------- broad pulse

BroadPulseParameters pulse_column() {
    return {.d = 0.5,
            .kc = 0.3,
            .kr = 0.2,
            .lamda = 0.01,
            .u = 2.0,
            .tp = 1.5,
            .theta = 0.35,
            .lamdas = 0.05,
            .conc0 = 1.0,
            .rh0 = 1.7};
}

TEST(BroadPulse, BesselFactorChoosesJ0ForPositiveArguments) {
    EXPECT_EQ(bessel_factor(0.0), 1.0);
    EXPECT_EQ(bessel_factor(2.25), numerics::dbsj0(3.0));
    EXPECT_EQ(bessel_factor(-2.25), numerics::dbsi0(3.0));
    EXPECT_LT(bessel_factor(2.25), 1.0);
    EXPECT_GT(bessel_factor(-2.25), 1.0);
}

TEST(BroadPulse, ZeroTimeZeroPulseAndTheEndOfThePulse) {
    Drivers drivers;
    BroadPulse model(pulse_column());
    EXPECT_EQ(model.concentration(0.0, 5.0, drivers.quadrature, kTemplate), 0.0);
    EXPECT_EQ(drivers.quadrature.evaluations(), 0);

    BroadPulseParameters instant_pulse = pulse_column();
    instant_pulse.tp = 0.0;
    BroadPulse zero(instant_pulse);
    for (const double t : {0.5, 2.0, 4.0}) {
        EXPECT_EQ(zero.concentration(t, 5.0, drivers.quadrature, kTemplate), 0.0) << t;
    }

    // t = tp: G(tp) alone, the same as for any longer pulse.
    const double at_end = model.concentration(1.5, 5.0, drivers.quadrature, kTight);
    BroadPulseParameters longer = pulse_column();
    longer.tp = 100.0;
    BroadPulse continuous(longer);
    EXPECT_EQ(continuous.concentration(1.5, 5.0, drivers.quadrature, kTight), at_end);
    EXPECT_LT(model.concentration(4.0, 5.0, drivers.quadrature, kTight),
              continuous.concentration(4.0, 5.0, drivers.quadrature, kTight));
    EXPECT_GT(at_end, 0.0);
}

// The standard solution of advection and dispersion for a source switched on at time 0 with a flux
// condition at the inlet.
long double continuous_injection(long double d, long double u, long double x, long double t) {
    const long double pi = 3.141592653589793238462643383279502884L;
    const long double s = 2 * std::sqrt(d * t);
    return 0.5L * std::erfc((x - u * t) / s) +
           std::sqrt(u * u * t / (pi * d)) * std::exp(-(x - u * t) * (x - u * t) / (4 * d * t)) -
           0.5L * (1 + u * x / d + u * u * t / d) * std::exp(u * x / d) * std::erfc((x + u * t) / s);
}

TEST(BroadPulse, WithoutReactionsItIsTheAdvectionDispersionSolution) {
    Drivers drivers;
    BroadPulseParameters p{.d = 0.8,
                           .kc = 0,
                           .kr = 0,
                           .lamda = 0,
                           .u = 3.0,
                           .tp = 2.0,
                           .theta = 0.4,
                           .lamdas = 0,
                           .conc0 = 1.0,
                           .rh0 = 1.6};
    BroadPulse model(p);
    for (const double t : {2.0, 4.0, 5.5, 7.0, 8.0, 10.0}) {
        const long double expected = continuous_injection(0.8L, 3.0L, 20.0L, t) -
                                     (t > 2.0 ? continuous_injection(0.8L, 3.0L, 20.0L, t - 2.0L) : 0.0L);
        EXPECT_LT(relative_difference(model.concentration(t, 20.0, drivers.quadrature, kTight), expected),
                  1e-8)
            << "t = " << t;
    }
    EXPECT_FALSE(drivers.messages.written());
}

// G(T) of the broad-pulse model, evaluated independently.
long double response_reference(const BroadPulseParameters& p, long double big_t, long double x, int panels) {
    const long double h = static_cast<long double>(p.kr) + p.lamdas;
    const long double a = static_cast<long double>(p.lamda) + p.kc;
    const long double b = -static_cast<long double>(p.kc) * p.kr;
    const ReferenceKernel kernel{.d = p.d, .u = p.u, .x = x, .net_rate = h - a};
    const auto bessel = [](long double s) {
        return s > 0 ? numerics::dbsj0(static_cast<double>(2 * std::sqrt(s)))
                     : numerics::dbsi0(static_cast<double>(2 * std::sqrt(-s)));
    };
    const GaussLegendre rule(20);
    const long double single = rule.integrate(
        [&](long double tau) { return kernel(tau) * bessel(tau * b * (big_t - tau)); }, 0.0L, big_t, 64);
    const long double twofold = rule.integrate(
        [&](long double tau1) {
            const long double inner = rule.integrate(
                [&](long double tau2) { return kernel(tau2) * bessel(tau2 * b * (tau1 - tau2)); }, 0.0L, tau1,
                panels);
            return h * std::exp(-h * tau1) * inner;
        },
        0.0L, big_t, panels);
    return (std::exp(-h * big_t) * single + twofold) * p.conc0 *
           (p.u / std::sqrt(static_cast<long double>(p.d))) * std::exp(p.u * x / (2 * p.d));
}

void expect_agreement(const BroadPulseParameters& p, double x, std::initializer_list<double> times) {
    Drivers drivers;
    BroadPulse model(p);
    for (const double t : times) {
        long double expected = response_reference(p, t, x, 12);
        if (t > p.tp) expected -= response_reference(p, t - p.tp, x, 12);
        EXPECT_LT(relative_difference(model.concentration(t, x, drivers.quadrature, kTight), expected), 1e-8)
            << "t = " << t;
    }
    EXPECT_FALSE(drivers.messages.written());
}

TEST(BroadPulse, AgreesWithAnIndependentEvaluationAtTightTolerances) {
    expect_agreement(pulse_column(), 5.0, {0.8, 1.5, 2.5, 3.5, 5.0});
}

TEST(BroadPulse, NegativeDeclogging) {
    // A negative kr with kc > 0 makes b positive, and the kernels hold J0.
    BroadPulseParameters p = pulse_column();
    p.kr = -0.2;
    BroadPulse model(p);
    ASSERT_GT(model.state().b, 0.0);
    expect_agreement(p, 5.0, {1.0, 2.5, 4.0});
}

}  // namespace
}  // namespace models
