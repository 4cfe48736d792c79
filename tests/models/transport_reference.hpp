#pragma once
// An independent evaluation of the two colloid models for the tests: long double throughout, and
// every exponential factor combined in logarithmic form before it is taken, so that nothing
// overflows or underflows where the simulator's doubles would, and results far below the smallest
// double remain representable. The kernel times exp(U x/(2D)) is
//   exp((h - a) tau - (U tau - x)^2 / (4 D tau)) (1/sqrt(pi tau) - U/(2 sqrt D) exp(z^2) erfc(z)),
// the modified Bessel functions are the simulator's approximations (Handbook of Mathematical
// Functions 9.8.1 to 9.8.4) with the exponential of the large-argument form apart, and the
// integrals are composite Gauss-Legendre rules.

#include <cmath>
#include <initializer_list>

#include "tests/models/gauss_legendre_reference.hpp"

namespace test_reference {

// A value factor * exp(exponent).
struct ExpScaledLd {
    long double factor;
    long double exponent;
};

inline long double polynomial(std::initializer_list<long double> c, long double y) {
    long double sum = 0.0L;
    for (auto k = c.end(); k != c.begin();) sum = sum * y + *--k;
    return sum;
}

// I0 or I1 of y >= 0 by the approximations of the simulator.
inline ExpScaledLd bessel_i(int order, long double y) {
    if (y < 3.75L) {
        const long double t = (y / 3.75L) * (y / 3.75L);
        if (order == 0)
            return {
                polynomial({1.0L, 3.5156229L, 3.0899424L, 1.2067492L, 0.2659732L, 0.0360768L, 0.0045813L}, t),
                0.0L};
        return {
            y * polynomial(
                    {0.5L, 0.87890594L, 0.51498869L, 0.15084934L, 0.02658733L, 0.00301532L, 0.00032411L}, t),
            0.0L};
    }
    const long double u = 3.75L / y;
    const long double p =
        order == 0 ? polynomial({0.39894228L, 0.01328592L, 0.00225319L, -0.00157565L, 0.00916281L,
                                 -0.02057706L, 0.02635537L, -0.01647633L, 0.00392377L},
                                u)
                   : polynomial({0.39894228L, -0.03988024L, -0.00362018L, 0.00163801L, -0.01031555L,
                                 0.02282967L, -0.02895312L, 0.01787654L, -0.00420059L},
                                u);
    return {p / std::sqrt(y), y};
}

// exp(z^2) erfc(z) for z >= 0: from the library's erfc while exp(-z^2) is a long double, beyond by
// Laplace's continued fraction.
inline long double erfcx(long double z) {
    if (z < 100.0L) return std::exp(z * z) * std::erfc(z);
    long double denominator = z;
    for (int k = 40; k >= 1; --k) denominator = z + 0.5L * k / denominator;
    return 1.0L / (std::sqrt(3.141592653589793238462643383279502884L) * denominator);
}

// Lines 2 to 11 of input.txt: line 7 is A0 or tp, line 10 mi or Conc0.
struct Column {
    long double d, kc, kr, lamda, u, line7, theta, lamdas, line10, rh0;
};

// K(tau) exp(U x/(2D) + shift), for U >= 0 and x >= 0.
struct Kernel {
    long double d, u, x, net_rate;  // net_rate = h - a
    long double operator()(long double tau, long double shift) const {
        const long double pi = 3.141592653589793238462643383279502884L;
        const long double drift = u * tau - x;
        const long double exponent = net_rate * tau - drift * drift / (4 * d * tau) + shift;
        const long double z = std::sqrt(tau / d) * u / 2 + x / (2 * std::sqrt(d * tau));
        return std::exp(exponent) * (1 / std::sqrt(pi * tau) - u / (2 * std::sqrt(d)) * erfcx(z));
    }
};

// C of the instantaneous-injection model at (t, x): (K(t) + R) exp(U x/(2D) - h t) Cm / sqrt(D),
// with exp(U x/(2D) - h t) carried into K(t) and into the integrand of R.
inline long double instantaneous_concentration(const Column& c, long double t, long double x, int panels) {
    const long double h = c.kr + 2 * c.lamdas;
    const long double b = c.kc * (c.kr + c.lamdas);
    const Kernel kernel{c.d, c.u, x, h - (c.lamda + c.kc)};
    long double integral = 0.0L;
    if (b > 0) {
        const test_reference::GaussLegendre rule(20);
        integral = rule.integrate(
            [&](long double tau) {
                const long double r = std::sqrt(tau * b * (t - tau));
                const ExpScaledLd i1 = bessel_i(1, 2 * r);
                return kernel(tau, i1.exponent - h * t) * (tau * b / r) * i1.factor;
            },
            0.0L, t, panels);
    }
    return (kernel(t, -h * t) + integral) * c.line10 / (c.theta * c.line7) / std::sqrt(c.d);
}

// G(T) of the broad-pulse model at x, for kc, kr >= 0 (Bessel factors I0):
// (exp(-h T) R1 + R2) Conc0 U / sqrt(D) exp(U x/(2D)), the exponentials carried into the integrands.
inline long double pulse_response(const Column& c, long double big_t, long double x, int panels) {
    const long double h = c.kr + c.lamdas;
    const long double b = -c.kc * c.kr;
    const Kernel kernel{c.d, c.u, x, h - (c.lamda + c.kc)};
    const test_reference::GaussLegendre rule(20);
    const auto term = [&](long double tau, long double span, long double shift) {
        const ExpScaledLd i0 = bessel_i(0, 2 * std::sqrt(-b * tau * span));
        return kernel(tau, i0.exponent + shift) * i0.factor;
    };
    const long double single = rule.integrate(
        [&](long double tau) { return term(tau, big_t - tau, -h * big_t); }, 0.0L, big_t, panels);
    const long double twofold = rule.integrate(
        [&](long double tau1) {
            return h * rule.integrate([&](long double tau2) { return term(tau2, tau1 - tau2, -h * tau1); },
                                      0.0L, tau1, panels);
        },
        0.0L, big_t, panels);
    return (single + twofold) * c.line10 * c.u / std::sqrt(c.d);
}

}  // namespace test_reference
