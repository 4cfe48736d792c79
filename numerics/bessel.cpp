#include "numerics/bessel.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>

namespace numerics {
namespace {

// Coefficients of a polynomial, constant term first.
template <std::size_t N>
using Coefficients = std::array<double, N>;

// c[0] + y*(c[1] + y*(c[2] + ... + y*c[N-1])), innermost bracket first.
template <std::size_t N>
constexpr double horner(const Coefficients<N>& c, double y) {
    double sum = c[N - 1];
    for (std::size_t k = N - 1; k-- > 0;) sum = c[k] + y * sum;
    return sum;
}

// J0 below 8: P(x^2) / Q(x^2).
constexpr Coefficients<6> j0_p = {57568490574.0, -13362590354.0, 651619640.7,
                                  -11214424.18,  77392.33017,    -184.9052456};
constexpr Coefficients<6> j0_q = {57568490411.0, 1029532985.0, 9494680.718, 59272.64853, 267.8532712, 1.0};
// J0 from 8 on: amplitude and phase factors in (8/x)^2.
constexpr Coefficients<5> j0_a = {1.0, -0.001098628627, 2.734510407e-05, -2.073370639e-06, 2.093887211e-07};
constexpr Coefficients<5> j0_b = {-0.01562499995, 0.0001430488765, -6.911147651e-06, 7.621095161e-07,
                                  -9.34945152e-08};
// The phase pi/4 and the amplitude 2/pi of J0, and the phase 3*pi/4 of J1, as single-precision values.
constexpr double j0_phase = 0.7853981852531433;
constexpr double j0_amplitude = 0.6366197466850281;
constexpr double j1_phase = 2.3561949729919434;
constexpr double j1_amplitude = 0.636619772;

// J1 below 8: x * P(x^2) / Q(x^2).
constexpr Coefficients<6> j1_p = {72362614232.0, -7895059235.0, 242396853.1,
                                  -2972611.439,  15704.4826,    -30.16036606};
constexpr Coefficients<6> j1_q = {144725228442.0, 2300535178.0, 18583304.74, 99447.43394, 376.9991397, 1.0};
// J1 from 8 on.
constexpr Coefficients<5> j1_a = {1.0, 0.00183105, -3.516396496e-05, 2.457520174e-06, -2.40337019e-07};
constexpr Coefficients<5> j1_b = {0.04687499995, -0.0002002690873, 8.449199096e-06, -8.8228987e-07,
                                  1.05787412e-07};

// I0 and I1 below 3.75, in (x/3.75)^2 (Handbook of Mathematical Functions 9.8.1 and 9.8.3).
constexpr Coefficients<7> i0_small = {1.0, 3.5156229, 3.0899424, 1.2067492, 0.2659732, 0.0360768, 0.0045813};
constexpr Coefficients<7> i1_small = {0.5,        0.87890594, 0.51498869, 0.15084934,
                                      0.02658733, 0.00301532, 0.00032411};
// sqrt(x) exp(-x) I0(x) and sqrt(x) exp(-x) I1(x) from 3.75 on, in 3.75/x (9.8.2 and 9.8.4).
constexpr Coefficients<9> i0_large = {0.39894228,  0.01328592, 0.00225319,  -0.00157565, 0.00916281,
                                      -0.02057706, 0.02635537, -0.01647633, 0.00392377};
constexpr Coefficients<9> i1_large = {0.39894228, -0.03988024, -0.00362018, 0.00163801, -0.01031555,
                                      0.02282967, -0.02895312, 0.01787654,  -0.00420059};

constexpr double j_rational_limit = kBesselJ0Branch;
constexpr double i_polynomial_limit = kBesselIBranch;

// The integer-order recurrences: accuracy factor of the downward start index, and the threshold and
// factor (1e-10 as a single-precision value) by which runaway values are brought back to scale.
constexpr double recurrence_accuracy = 40.0;
constexpr double rescale_threshold = 1e10;
constexpr double rescale_factor = 1.000000013351432e-10;

// The derivative of the polynomial c[0] + c[1] y + ... + c[N-1] y^(N-1) with respect to y.
template <std::size_t N>
constexpr double horner_derivative(const Coefficients<N>& c, double y) {
    double sum = (N - 1) * c[N - 1];
    for (std::size_t k = N - 1; k-- > 1;) sum = k * c[k] + y * sum;
    return sum;
}

// Start index of the downward recurrences: n + floor(sqrt(40 n)), wide enough for any 32-bit n.
std::int64_t downward_start(std::int32_t n) {
    return static_cast<std::int64_t>(n) + static_cast<std::int64_t>(std::sqrt(recurrence_accuracy * n));
}

// Jn, n >= 2, x != 0: upward from J0 and J1 when x > n, otherwise Miller's downward recurrence
// normalised by J0 + 2 (J2 + J4 + ...) = 1.
double bessj_recurrence(std::int32_t n, double x) {
    const double r = 2.0 / x;
    if (std::fabs(x) > static_cast<double>(n)) {
        double previous = bessj0(x);
        double current = bessj1(x);
        for (std::int32_t j = 1; j < n; ++j) {
            const double next = static_cast<double>(j) * r * current - previous;
            previous = current;
            current = next;
        }
        return current;
    }
    const std::int64_t m = 2 * (downward_start(n) / 2);
    double ans = 0.0;
    double sum = 0.0;
    bool even = false;  // whether the current index contributes to the normalising sum
    double upper = 0.0;
    double current = 1.0;
    for (std::int64_t j = m; j > 0; --j) {
        const double next = static_cast<double>(j) * r * current - upper;
        upper = current;
        current = next;
        if (std::fabs(current) > rescale_threshold) {
            current *= rescale_factor;
            upper *= rescale_factor;
            ans *= rescale_factor;
            sum *= rescale_factor;
        }
        if (even) sum += current;
        even = !even;
        if (j == n) ans = upper;
    }
    return ans / (2.0 * sum - current);
}

// In, n >= 2, x != 0: downward recurrence normalised by I0.
double bessi_recurrence(std::int32_t n, double x) {
    const double r = 2.0 / x;
    const std::int64_t m = 2 * downward_start(n);
    double ans = 0.0;
    double upper = 0.0;
    double current = 1.0;
    for (std::int64_t j = m; j > 0; --j) {
        const double next = upper + static_cast<double>(j) * r * current;
        upper = current;
        current = next;
        if (std::fabs(current) > rescale_threshold) {
            current *= rescale_factor;
            upper *= rescale_factor;
            ans *= rescale_factor;
        }
        if (j == n) ans = upper;
    }
    return ans * bessi0(x) / current;
}

}  // namespace

double bessj0(double x) {
    if (x == 0.0) return 1.0;
    const double a = std::fabs(x);
    if (a < j_rational_limit) {
        const double y = x * x;
        return horner(j0_p, y) / horner(j0_q, y);
    }
    const double z = 8.0 / a;
    const double y = z * z;
    const double phase = a - j0_phase;
    return std::sqrt(j0_amplitude / a) *
           (std::cos(phase) * horner(j0_a, y) - z * std::sin(phase) * horner(j0_b, y));
}

double bessj1(double x) {
    const double a = std::fabs(x);
    if (a < j_rational_limit) {
        const double y = x * x;
        return x * horner(j1_p, y) / horner(j1_q, y);
    }
    const double z = 8.0 / a;
    const double y = z * z;
    const double phase = a - j1_phase;
    const double sign = x < 0.0 ? -1.0 : 1.0;
    return std::sqrt(j1_amplitude / a) *
           (std::cos(phase) * horner(j1_a, y) - z * std::sin(phase) * horner(j1_b, y)) * sign;
}

double bessi0(double x) {
    const double a = std::fabs(x);
    if (a < i_polynomial_limit) {
        const double t = x / i_polynomial_limit;
        return horner(i0_small, t * t);
    }
    return std::exp(a) / std::sqrt(a) * horner(i0_large, i_polynomial_limit / a);
}

double bessi1(double x) {
    const double a = std::fabs(x);
    if (a < i_polynomial_limit) {
        const double t = x / i_polynomial_limit;
        return x * horner(i1_small, t * t);
    }
    const double value = std::exp(a) / std::sqrt(a) * horner(i1_large, i_polynomial_limit / a);
    return x < 0.0 ? -value : value;
}

ExpScaled bessi0_scaled(double x) {
    const double a = std::fabs(x);
    if (a < i_polynomial_limit) return {bessi0(x), 0.0};
    return {horner(i0_large, i_polynomial_limit / a) / std::sqrt(a), a};
}

ExpScaled bessi1_scaled(double x) {
    const double a = std::fabs(x);
    if (a < i_polynomial_limit) return {bessi1(x), 0.0};
    const double factor = horner(i1_large, i_polynomial_limit / a) / std::sqrt(a);
    return {x < 0.0 ? -factor : factor, a};
}

ExpScaled bessi1_over_x_scaled(double x) {
    const double a = std::fabs(x);
    if (a < i_polynomial_limit) {
        const double t = x / i_polynomial_limit;
        return {horner(i1_small, t * t), 0.0};
    }
    return {horner(i1_large, i_polynomial_limit / a) / (a * std::sqrt(a)), a};
}

double bessi0_branch_jump() {
    return bessi0(i_polynomial_limit) - horner(i0_small, 1.0);
}

double bessj0_limit_at_zero() {
    return j0_p[0] / j0_q[0];
}

double bessj0_branch_jump() {
    const double y = j_rational_limit * j_rational_limit;
    return bessj0(j_rational_limit) - horner(j0_p, y) / horner(j0_q, y);
}

// Below 3.75, I0 = p(x^2 / 3.75^2) and 2 I0'(x) / x = 4 p'(x^2 / 3.75^2) / 3.75^2. From 3.75 on,
// I0 = exp(x) x^(-1/2) q(u) with u = 3.75 / x, whose derivative is exp(x) x^(-1/2) (q(u) (1 -
// 1/(2x)) - q'(u) u / x).
ExpScaled bessi0_slope_scaled(double x) {
    const double a = std::fabs(x);
    if (a < i_polynomial_limit) {
        const double t = x / i_polynomial_limit;
        return {4.0 * horner_derivative(i0_small, t * t) / (i_polynomial_limit * i_polynomial_limit), 0.0};
    }
    const double u = i_polynomial_limit / a;
    const double slope = horner(i0_large, u) * (1.0 - 0.5 / a) - horner_derivative(i0_large, u) * u / a;
    return {2.0 * slope / (a * std::sqrt(a)), a};
}

// Below 8, J0 = P(y) / Q(y) with y = x^2, so that 2 J0'(x) / x = 4 (P'Q - P Q')(y) / Q(y)^2. From 8
// on, J0 = sqrt(c / x) S(x) with S = cos(phi) A(w) - z sin(phi) B(w), z = 8 / x, w = z^2 and phi = x -
// phase, so that J0' = sqrt(c / x) (S' - S / (2x)), where S' = -sin(phi) A - cos(phi) (2w/x) A'(w) +
// sin(phi) (z/x) B - z cos(phi) B + sin(phi) (2wz/x) B'(w).
double bessj0_slope(double x) {
    const double a = std::fabs(x);
    if (a < j_rational_limit) {
        const double y = x * x;
        const double q = horner(j0_q, y);
        return 4.0 * (horner_derivative(j0_p, y) * q - horner(j0_p, y) * horner_derivative(j0_q, y)) /
               (q * q);
    }
    const double z = 8.0 / a;
    const double w = z * z;
    const double phase = a - j0_phase;
    const double s = std::sin(phase);
    const double c = std::cos(phase);
    const double big_a = horner(j0_a, w);
    const double big_b = horner(j0_b, w);
    const double value = c * big_a - z * s * big_b;
    const double derivative = -s * big_a - c * (2.0 * w / a) * horner_derivative(j0_a, w) +
                              s * (z / a) * big_b - z * c * big_b +
                              s * (2.0 * w * z / a) * horner_derivative(j0_b, w);
    return 2.0 * std::sqrt(j0_amplitude / a) * (derivative - value / (2.0 * a)) / a;
}

double bessj(std::int32_t n, double x) {
    if (n == 0) return bessj0(x);
    if (n == 1) return bessj1(x);
    if (n < 0) return std::numeric_limits<double>::quiet_NaN();  // no negative orders
    if (x == 0.0) return 0.0;
    return bessj_recurrence(n, x);
}

double bessi(std::int32_t n, double x) {
    if (n == 0) return bessi0(x);
    if (n == 1) return bessi1(x);
    if (n < 0) return std::numeric_limits<double>::quiet_NaN();  // no negative orders
    if (x == 0.0) return 0.0;
    return bessi_recurrence(n, x);
}

double dbsj0(double x) {
    return bessj(0, x);
}
double dbsi0(double x) {
    return bessi(0, x);
}
double dbsi1(double x) {
    return bessi(1, x);
}

}  // namespace numerics
