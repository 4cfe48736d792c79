#pragma once
// Integrals over the kernel placed where their integrand lives.
//
// The kernel of the transport models is, in time, a peak near tau = x / U whose width sqrt(2 D x /
// U^3) can be far smaller than the interval; multiplied by exponentials of the rates and by Bessel
// factors, an integrand can also rise steeply to one end (early times) or fall over many decades.
// QAG's first rule sees none of this when its nodes step over it. So each integral is given a model
// of the logarithm of tau times its integrand (cheap: exponents and a few logarithms, no erfc, no
// Bessel function), which locates its peak and the range outside of which it lies more than a set
// depth below it (so far below that what is left out is a small share of the accuracy asked for,
// and beyond the range of doubles at the tightest accuracies); the integral is then the sum of QAG
// integrations over panels split at the peak, at other local peaks and at the integrand's own
// breakpoints (the ends of the pulse, the branch points of the Bessel approximations), the peak's
// panels first. The integrand is normalised by the model's peak, exp(-log_peak), so that its values
// are ordinary numbers whatever the size of the result.

#include <array>
#include <span>

#include "models/transport_accuracy.hpp"
#include "numerics/function_ref.hpp"
#include "numerics/quadrature.hpp"

namespace models {

struct Panels {
    double log_peak = 0.0;  // the model's largest value (log of tau times the integrand)
    int count = 0;          // panels; none when the integrand vanishes
    std::array<double, evaluation::kMaxPanels + 1> edges{};
    std::array<int, evaluation::kMaxPanels> order{};  // the panels in the order of integration
};

// The panels of an integral over [lo, hi] for the model `log_model` of log(tau f(tau)), leaving out
// what lies more than `depth` below its peak, and split at `breaks` (those inside). The peak is
// looked for on a grid, uniform and ever closer to lo, with `hints` (points where the integrand may
// peak: the kernel's arrival times) added. No panels when the model is minus infinity (or not a
// number) everywhere.
Panels place_panels(numerics::FunctionRef<double(double)> log_model, double lo, double hi,
                    std::span<const double> breaks, std::span<const double> hints, double depth);

// Where the kernel's exponent E(tau) + r tau, with tau f(tau) ~ sqrt(tau) exp(E(tau) + r tau), may
// peak: the arrival x / U, the arrival x / sqrt(U^2 - 4 D r) of the decaying kernel, and for small x
// the time 2 D / (U^2 - 4 D r) of the decay of the inlet's square-root singularity. Written to
// `hints`, returns how many.
int kernel_peak_hints(double d, double u, double x, double rate, double* hints);

struct PanelSum {
    double value = 0.0;   // the integral of the (normalised) integrand
    double errest = 0.0;  // the sum of QAG's error estimates
    bool failed = false;  // some integration reported a code other than success
};

// The integral of f over the panels with QAG (key `rule`), each panel to max(epsabs_i, epsrel
// |result_i|) with epsabs_i = max(epsabs, epsrel |sum so far|) / count, so that the sum is accurate to
// about max(epsabs, epsrel |sum|). A panel starting at 0 is integrated in w, tau = e w^2.
PanelSum integrate_panels(numerics::Quadrature& quadrature, numerics::Integrand f, const Panels& panels,
                          double epsabs, double epsrel, int rule);

// value exp(log_scale), without overflow or underflow on the way where the product is a number of
// the range of doubles.
double scaled_value(double value, double log_scale);

// The roots in (lo, hi) of c tau (end - tau) = level, c > 0: where a Bessel factor's argument
// 2 sqrt(c tau (end - tau)) reaches its approximation's branch point. Appended to `roots`, `count`
// of them so far.
void bessel_branch_points(double c, double end, double level, double lo, double hi, double* roots,
                          int& count);

}  // namespace models
