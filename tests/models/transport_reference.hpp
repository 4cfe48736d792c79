#pragma once
// An independent evaluation of the two colloid models, for the tests and the accuracy benchmark
// (bench/transport_accuracy.cpp): long double throughout, the models' formulas with their Bessel
// approximations (Handbook of Mathematical Functions 9.8.1 to 9.8.4 for I0 and I1, the
// rational and asymptotic forms for J0), and adaptive Gauss-Legendre quadrature.
//
// It shares nothing with the models' evaluation but the formulas. The kernel times exp(U x/(2D))
// is exp(E(tau)) (1/sqrt(pi tau) - U/(2 sqrt D) erfcx(z)), E(tau) = (h - a) tau - (U tau - x)^2 /
// (4 D tau), with erfcx from the library's long double erfc (or Laplace's continued fraction far
// out). Every exponential is combined with the others before it is taken, and each integrand is
// normalised by the largest exponent found on a dense grid, so that nothing over- or underflows.
// The integrals over the kernel start from panels that double in width outward from the peak of the
// integrand itself (found on a grid of 3000 points and refined), split at the branch points of the
// Bessel approximations (where their values jump) and at the end of the pulse; each panel is
// bisected until a 20-point Gauss-Legendre rule agrees with itself on the two halves to 1e-15 of
// the whole integral. The broad pulse's double integral is taken in the other order (Fubini), the
// kernel's variable outside: G(T) = F times the integral of K~(tau) W(tau, T), W(tau, T) = exp(-h T)
// B(tau, T) + the integral over (tau, T) of h exp(-h s) B(tau, s) ds, with the Bessel factor B itself
// (not its slope, as the models take it); the pulse after tp is the integral over (t - tp, t) of
// K~ W(tau, t) plus the integral over (0, t - tp) of K~ (W(tau, t) - W(tau, t - tp)), the difference
// formed under the integral, where the parts of W that do not hold B - 1 cancel exactly.

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace test_reference {

using real = long double;

constexpr real kPi = 3.141592653589793238462643383279502884L;

// A value factor * exp(exponent).
struct Scaled {
    real factor;
    real exponent;
};

inline real polynomial(std::initializer_list<real> c, real y) {
    real sum = 0.0L;
    for (auto k = c.end(); k != c.begin();) sum = sum * y + *--k;
    return sum;
}

// I0 or I1 of y >= 0 by the models' approximations.
inline Scaled bessel_i(int order, real y) {
    if (y < 3.75L) {
        const real t = (y / 3.75L) * (y / 3.75L);
        if (order == 0)
            return {
                polynomial({1.0L, 3.5156229L, 3.0899424L, 1.2067492L, 0.2659732L, 0.0360768L, 0.0045813L}, t),
                0.0L};
        return {
            y * polynomial(
                    {0.5L, 0.87890594L, 0.51498869L, 0.15084934L, 0.02658733L, 0.00301532L, 0.00032411L}, t),
            0.0L};
    }
    const real u = 3.75L / y;
    const real p = order == 0
                       ? polynomial({0.39894228L, 0.01328592L, 0.00225319L, -0.00157565L, 0.00916281L,
                                     -0.02057706L, 0.02635537L, -0.01647633L, 0.00392377L},
                                    u)
                       : polynomial({0.39894228L, -0.03988024L, -0.00362018L, 0.00163801L, -0.01031555L,
                                     0.02282967L, -0.02895312L, 0.01787654L, -0.00420059L},
                                    u);
    return {p / std::sqrt(y), y};
}

// J0 of y >= 0 by the models' approximation (its phase and amplitude constants are
// single-precision values).
inline real bessel_j0(real y) {
    if (y == 0.0L) return 1.0L;
    if (y < 8.0L) {
        const real s = y * y;
        return polynomial({57568490574.0L, -13362590354.0L, 651619640.7L, -11214424.18L, 77392.33017L,
                           -184.9052456L},
                          s) /
               polynomial({57568490411.0L, 1029532985.0L, 9494680.718L, 59272.64853L, 267.8532712L, 1.0L}, s);
    }
    const real z = 8.0L / y;
    const real w = z * z;
    const real phase = y - static_cast<real>(0.7853981852531433);
    return std::sqrt(static_cast<real>(0.6366197466850281) / y) *
           (std::cos(phase) *
                polynomial({1.0L, -0.001098628627L, 2.734510407e-05L, -2.073370639e-06L, 2.093887211e-07L},
                           w) -
            z * std::sin(phase) *
                polynomial({-0.01562499995L, 0.0001430488765L, -6.911147651e-06L, 7.621095161e-07L,
                            -9.34945152e-08L},
                           w));
}

// The Bessel factor B(q): J0(2 sqrt(q)) for q > 0, I0(2 sqrt(-q)) otherwise.
inline Scaled bessel_factor(real q) {
    if (q > 0.0L) return {bessel_j0(2.0L * std::sqrt(q)), 0.0L};
    return bessel_i(0, 2.0L * std::sqrt(-q));
}

// B(q) - 1, formed without subtracting 1 from B where B is close to 1: below the branch points the
// approximations' constant terms are taken out of their polynomials (for J0, P/Q - 1 = (P - Q)/Q,
// whose constant term 163 / Q(0) is the 2.83e-9 by which the rational form misses 1 at 0).
inline Scaled bessel_excess(real q) {
    if (q > 0.0L) {
        const real y = 2.0L * std::sqrt(q);
        if (y >= 8.0L) return {bessel_j0(y) - 1.0L, 0.0L};
        const real s = y * y;
        const real denominator =
            polynomial({57568490411.0L, 1029532985.0L, 9494680.718L, 59272.64853L, 267.8532712L, 1.0L}, s);
        const real difference = polynomial(
            {57568490574.0L - 57568490411.0L, -13362590354.0L - 1029532985.0L, 651619640.7L - 9494680.718L,
             -11214424.18L - 59272.64853L, 77392.33017L - 267.8532712L, -184.9052456L - 1.0L},
            s);
        return {difference / denominator, 0.0L};
    }
    const real y = 2.0L * std::sqrt(-q);
    if (y < 3.75L) {
        const real t = (y / 3.75L) * (y / 3.75L);
        return {t * polynomial({3.5156229L, 3.0899424L, 1.2067492L, 0.2659732L, 0.0360768L, 0.0045813L}, t),
                0.0L};
    }
    const Scaled i0 = bessel_i(0, y);
    return {i0.factor - std::exp(-y), y};
}

// exp(z^2) erfc(z) for z >= 0.
inline real erfcx(real z) {
    if (z < 100.0L) return std::exp(z * z) * std::erfc(z);
    real denominator = z;
    for (int k = 60; k >= 1; --k) denominator = z + 0.5L * k / denominator;
    return 1.0L / (std::sqrt(kPi) * denominator);
}

// Lines 2 to 11 of input.txt: line 7 is A0 or tp, line 10 mi or Conc0.
struct Column {
    real d, kc, kr, lamda, u, line7, theta, lamdas, line10, rh0;
};

// K(tau) exp(U x/(2D)) = exp(exponent(tau)) bracket(tau), for U >= 0 and x >= 0.
struct Kernel {
    real d, u, x, net_rate;  // net_rate = h - a
    real exponent(real tau) const {
        const real drift = u * tau - x;
        return net_rate * tau - drift * drift / (4 * d * tau);
    }
    real bracket(real tau) const {
        const real z = std::sqrt(tau / d) * u / 2 + x / (2 * std::sqrt(d * tau));
        return 1 / std::sqrt(kPi * tau) - u / (2 * std::sqrt(d)) * erfcx(z);
    }
};

// 20-point Gauss-Legendre nodes and weights on [-1, 1].
class GaussLegendre20 {
  public:
    GaussLegendre20() {
        constexpr int n = 20;
        for (int i = 1; i <= n; ++i) {
            real z = std::cos(kPi * (i - 0.25L) / (n + 0.5L));
            real derivative = 0.0L;
            for (int iteration = 0; iteration < 100; ++iteration) {
                real p0 = 1.0L;
                real p1 = z;
                for (int k = 2; k <= n; ++k) {
                    const real p2 = ((2.0L * k - 1.0L) * z * p1 - (k - 1.0L) * p0) / k;
                    p0 = p1;
                    p1 = p2;
                }
                derivative = n * (z * p1 - p0) / (z * z - 1.0L);
                const real step = p1 / derivative;
                z -= step;
                if (std::fabs(step) < 1e-19L) break;
            }
            nodes[i - 1] = z;
            weights[i - 1] = 2.0L / ((1.0L - z * z) * derivative * derivative);
        }
    }
    template <typename F>
    real apply(F& f, real a, real b) const {
        const real half = 0.5L * (b - a);
        const real mid = a + half;
        real sum = 0.0L;
        for (int k = 0; k < 20; ++k) sum += weights[k] * f(mid + half * nodes[k]);
        return half * sum;
    }
    std::array<real, 20> nodes{};
    std::array<real, 20> weights{};
};

inline const GaussLegendre20& rule() {
    static const GaussLegendre20 instance;
    return instance;
}

// Bisection until the rule agrees with itself on the halves to `tolerance`; or to what rounding
// lets it: 1e-17 of the panel's magnitude, or, below 1e-10 of it, where a bisection no longer
// improves the agreement (an integrand whose terms cancel to a rounding noise).
template <typename F>
real adaptive(F& f, real a, real b, real whole, real left, real right, real tolerance, real parent,
              int depth) {
    const real m = 0.5L * (a + b);
    const real difference = std::fabs(left + right - whole);
    const real magnitude = std::fabs(left) + std::fabs(right);
    if (difference <= tolerance || difference <= 1e-17L * magnitude || depth >= 30 || !(m > a && m < b) ||
        (depth > 6 && difference > 0.25L * parent && difference < 1e-10L * magnitude))
        return left + right;
    const real quarter = 0.5L * (a + m);
    const real three_quarters = 0.5L * (m + b);
    return adaptive(f, a, m, left, rule().apply(f, a, quarter), rule().apply(f, quarter, m), 0.7L * tolerance,
                    difference, depth + 1) +
           adaptive(f, m, b, right, rule().apply(f, m, three_quarters), rule().apply(f, three_quarters, b),
                    0.7L * tolerance, difference, depth + 1);
}

// The integral of f over the panels between consecutive `edges`, each bisected until its halves
// agree to `relative` of the whole integral (as estimated from the halves of the panels). A panel
// starting at 0 is integrated in w, tau = e w^2 (the kernel's 1/sqrt(tau) at x = 0).
template <typename F>
real integrate(F& f, std::vector<real> edges, real relative) {
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    const std::size_t panels = edges.size() > 1 ? edges.size() - 1 : 0;
    const real e = edges.size() > 1 ? edges[1] : 0.0L;
    auto from_zero = [&](real w) { return f(e * w * w) * 2 * e * w; };
    struct Panel {
        real a, b, whole, left, right;
    };
    std::vector<Panel> list(panels);
    real total = 0.0L;
    for (std::size_t i = 0; i < panels; ++i) {
        Panel& p = list[i];
        const bool in_w = i == 0 && edges[0] == 0;
        p.a = in_w ? 0.0L : edges[i];
        p.b = in_w ? 1.0L : edges[i + 1];
        const real m = 0.5L * (p.a + p.b);
        if (in_w) {
            p.whole = rule().apply(from_zero, p.a, p.b);
            p.left = rule().apply(from_zero, p.a, m);
            p.right = rule().apply(from_zero, m, p.b);
        } else {
            p.whole = rule().apply(f, p.a, p.b);
            p.left = rule().apply(f, p.a, m);
            p.right = rule().apply(f, m, p.b);
        }
        total += std::fabs(p.left) + std::fabs(p.right);
    }
    const real tolerance = relative * total / std::max<std::size_t>(1, panels);
    real sum = 0.0L;
    for (std::size_t i = 0; i < panels; ++i) {
        const Panel& p = list[i];
        sum += i == 0 && edges[0] == 0
                   ? adaptive(from_zero, p.a, p.b, p.whole, p.left, p.right, tolerance, INFINITY, 0)
                   : adaptive(f, p.a, p.b, p.whole, p.left, p.right, tolerance, INFINITY, 0);
    }
    return sum;
}

// Where log_f, a log of the integrand up to slowly varying factors, lives on (lo, hi): its largest
// value (on a grid of 3000 points, refined by golden sections) and the panel edges, doubling in
// width from the peak outward, from the width over which log_f falls by one half.
template <typename LogF>
real place(LogF& log_f, real lo, real hi, std::vector<real>& edges) {
    constexpr int n = 3000;
    const real length = hi - lo;
    real best = -INFINITY;
    int top = 0;
    std::vector<real> grid(n + 1);
    for (int i = 0; i <= n; ++i) {
        // Denser near the ends: half the points uniform, half clustered at each end.
        const real u = static_cast<real>(i) / n;
        grid[i] = lo + length * (0.5L * u + 0.25L * (1 - std::cos(kPi * u)));
        const real at = std::clamp(grid[i], lo + 1e-12L * length, hi - 1e-15L * length);
        const real v = log_f(at);
        if (v > best) {
            best = v;
            top = i;
        }
    }
    real a = grid[std::max(top - 1, 0)];
    real b = grid[std::min(top + 1, n)];
    a = std::max(a, lo + 1e-12L * length);
    b = std::min(b, hi - 1e-15L * length);
    for (int k = 0; k < 200 && b - a > 1e-16L * length; ++k) {
        const real c = b - 0.6180339887498948482L * (b - a);
        const real d = a + 0.6180339887498948482L * (b - a);
        if (log_f(c) >= log_f(d)) {
            b = d;
        } else {
            a = c;
        }
    }
    const real peak = 0.5L * (a + b);
    const real height = std::max(best, log_f(peak));
    // Half widths where log_f falls by 1/2, on either side.
    const auto width = [&](real direction) {
        real step = 1e-14L * length;
        real last = peak;
        while (true) {
            const real next = peak + direction * step;
            if (next <= lo || next >= hi)
                return std::max(last == peak ? step : std::fabs(last - peak), 1e-14L * length);
            if (log_f(next) < height - 0.5L) break;
            last = next;
            step *= 2;
        }
        real near = std::fabs(last - peak);
        real far = step;
        for (int k = 0; k < 60; ++k) {
            const real mid = 0.5L * (near + far);
            if (log_f(peak + direction * mid) < height - 0.5L) {
                far = mid;
            } else {
                near = mid;
            }
        }
        return std::max(far, 1e-14L * length);
    };
    const real left = width(-1.0L);
    const real right = width(1.0L);
    edges.push_back(lo);
    edges.push_back(hi);
    if (peak > lo && peak < hi) edges.push_back(peak);
    for (real step = 0.25L * left; peak - step > lo; step *= 2) edges.push_back(peak - step);
    for (real step = 0.25L * right; peak + step < hi; step *= 2) edges.push_back(peak + step);
    return height;
}

// The points of (lo, hi) where c tau (end - tau) = level (a Bessel argument at its branch point).
inline void branch_points(real c, real end, real level, real lo, real hi, std::vector<real>& edges) {
    const real discriminant = end * end / 4 - level / c;
    if (!(discriminant > 0)) return;
    for (const real tau : {end / 2 - std::sqrt(discriminant), end / 2 + std::sqrt(discriminant)})
        if (tau > lo && tau < hi) edges.push_back(tau);
}

constexpr real kAccuracy = 1e-15L;

// The derived values h, b and Cm as the models form them, in double precision: they are
// part of the formulas (with kr = 0, b is a rounding error whose sign chooses J0 or I0).
struct Derived {
    real h, b, cm;
};
inline Derived derived(const Column& c, bool pulse) {
    const double theta = static_cast<double>(c.theta);
    const double rh0 = static_cast<double>(c.rh0);
    const double kc = static_cast<double>(c.kc);
    const double lamdas = static_cast<double>(c.lamdas);
    const double krstar = (rh0 / theta) * (static_cast<double>(c.kr) + lamdas);
    const double cm = static_cast<double>(c.line10) / (theta * static_cast<double>(c.line7));
    if (pulse) {
        const double h = theta * krstar / rh0;
        return {h, (lamdas - h) * kc, cm};
    }
    return {theta * krstar / rh0 + lamdas, kc * krstar * theta / rh0, cm};
}

// C of the instantaneous-injection model at (t, x): (K(t) + R) exp(U x/(2D) - h t) Cm / sqrt(D).
inline real instantaneous_concentration(const Column& c, real t, real x) {
    const Derived v = derived(c, false);
    const real h = v.h;
    const real b = v.b;
    const real cm = v.cm;
    const Kernel kernel{c.d, c.u, x, h - (c.lamda + c.kc)};
    const real log_factor = std::log(std::fabs(cm / std::sqrt(c.d))) - h * t;
    const real sign = cm < 0 ? -1.0L : 1.0L;
    const real closed = std::exp(log_factor + kernel.exponent(t)) * kernel.bracket(t);
    if (!(b > 0) || t == 0) return sign * closed;
    auto log_f = [&](real tau) {
        const real r = std::sqrt(tau * b * (t - tau));
        return kernel.exponent(tau) + 2 * r + std::log(tau * b * std::sqrt(tau) / std::pow(1 + r, 1.5L)) +
               std::log(std::max(kernel.bracket(tau) * std::sqrt(kPi * tau), 1e-300L));
    };
    std::vector<real> edges;
    const real shift = place(log_f, 0.0L, t, edges);
    branch_points(b, t, 3.75L * 3.75L / 4, 0.0L, t, edges);
    auto f = [&](real tau) {
        const real r = std::sqrt(tau * b * (t - tau));
        const Scaled i1 = bessel_i(1, 2 * r);
        return std::exp(kernel.exponent(tau) + i1.exponent - shift) * kernel.bracket(tau) * (tau * b / r) *
               i1.factor;
    };
    return sign * (closed + std::exp(log_factor + shift) * integrate(f, edges, kAccuracy));
}

// The broad pulse's concentration at (t, x) for a pulse seen through `window` (t up to tp, tp after
// it; for G(T), the window T).
inline real pulse_window(const Column& c, real t, real window, real x) {
    if (t == 0 || window <= 0) return 0.0L;
    const Derived v = derived(c, true);
    const real h = v.h;
    const real b = v.b;
    const Kernel kernel{c.d, c.u, x, h - (c.lamda + c.kc)};
    const real start = t - window;
    const real log_factor = std::log(std::fabs(c.line10 * c.u / std::sqrt(c.d)));
    const real sign = c.line10 < 0 ? -1.0L : 1.0L;
    const real rate = std::fabs(b);
    const real branch = b > 0 ? 8.0L : 3.75L;
    // The largest exponent of exp(-h s) B(tau, s) for s in [from, to]: concave in s.
    const auto top = [&](real tau, real from, real to) {
        if (b > 0) return -h * (h > 0 ? from : to);
        real at = to;
        if (h > 0) at = std::clamp(tau + rate * tau / (h * h), from, to);
        return -h * at + 2 * std::sqrt(rate * tau * (at - tau));
    };
    // exp(-h s) (B(tau, s) - 1) exp(-m).
    const auto term = [&](real tau, real s, real m) {
        const Scaled excess = bessel_excess(b * tau * (s - tau));
        return std::exp(-h * s + excess.exponent - m) * excess.factor;
    };
    // The integral of h exp(-h s) (B(tau, s) - 1) exp(-m) over (from, to), split where B's argument
    // jumps and at the peak of the exponent.
    const auto inner = [&](real tau, real from, real to, real m) {
        if (!(to > from) || h == 0) return 0.0L;
        auto g = [&](real s) { return h * term(tau, s, m); };
        std::vector<real> edges{from, to};
        const real jump = tau + branch * branch / 4 / (rate * tau);
        if (rate > 0 && jump > from && jump < to) edges.push_back(jump);
        const real at =
            h > 0 && b < 0 ? std::clamp(tau + rate * tau / (h * h), from, to) : (h > 0 ? from : to);
        if (at > from && at < to) edges.push_back(at);
        // Panels doubling outward from the peak on the scale 1/h of exp(-h s), when that is short.
        if (h * (to - from) > 8) {
            for (real step = 0.25L / h; at - step > from; step *= 2) edges.push_back(at - step);
            for (real step = 0.25L / h; at + step < to; step *= 2) edges.push_back(at + step);
        }
        return integrate(g, edges, 1e-16L);
    };
    // exp(-m) times the weight of K~(tau): W(tau, t) for tau > start, W(tau, t) - W(tau, start) below.
    // With B = 1 + (B - 1), and exp(-h t) + the integral of h exp(-h s) over (tau, t) = exp(-h tau):
    //   W(tau, t) = exp(-h tau) + exp(-h t) (B(tau, t) - 1) + the integral of h exp(-h s) (B - 1),
    // and in the difference the terms without B - 1 cancel exactly.
    const auto weight = [&](real tau, real m) {
        if (tau >= start) return std::exp(-h * tau - m) + term(tau, t, m) + inner(tau, tau, t, m);
        return term(tau, t, m) - term(tau, start, m) + inner(tau, start, t, m);
    };
    const auto exponent_of = [&](real tau) { return tau >= start ? top(tau, tau, t) : top(tau, start, t); };
    auto log_f = [&](real tau) {
        return kernel.exponent(tau) + exponent_of(tau) +
               std::log(std::max(kernel.bracket(tau) * std::sqrt(kPi * tau), 1e-300L)) + 0.5L * std::log(tau);
    };
    std::vector<real> edges;
    const real shift = place(log_f, 0.0L, t, edges);
    if (start > 0) edges.push_back(start);
    if (rate > 0) {
        branch_points(rate, t, branch * branch / 4, 0.0L, t, edges);
        if (start > 0) branch_points(rate, start, branch * branch / 4, 0.0L, start, edges);
    }
    auto f = [&](real tau) {
        const real m = exponent_of(tau);
        return std::exp(kernel.exponent(tau) + m - shift) * kernel.bracket(tau) * weight(tau, m);
    };
    return sign * std::exp(log_factor + shift) * integrate(f, edges, kAccuracy);
}

// G(T) of the broad-pulse model at x.
inline real pulse_response(const Column& c, real big_t, real x) {
    return pulse_window(c, big_t, big_t, x);
}

// C of the broad-pulse model at (t, x): G(t) up to tp, G(t) - G(t - tp) after it.
inline real pulse_concentration(const Column& c, real t, real x) {
    return pulse_window(c, t, c.line7 < t ? c.line7 : t, x);
}

}  // namespace test_reference
