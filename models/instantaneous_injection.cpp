#include "models/instantaneous_injection.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "numerics/bessel.hpp"

namespace models {

InstantaneousInjection::InstantaneousInjection(const InstantaneousParameters& p) {
    colloidm::State& s = colloidm_;
    s.d = p.d;
    s.u = p.u;
    s.pi = colloidm::kPi;
    const double krstar = (p.rh0 / p.theta) * (p.kr + p.lamdas);
    cm_ = p.mi / (p.theta * p.a0);
    s.a = p.lamda + p.kc;
    s.h = p.theta * krstar / p.rh0 + p.lamdas;
    s.b = p.kc * krstar * p.theta / p.rh0;
    log_scale_ = std::log(std::fabs(cm_ / std::sqrt(s.d)));
    log_b_ = s.b > 0.0 ? std::log(s.b) : 0.0;
    log_coefficient_ = log_kernel_coefficient(s.u / (2.0 * std::sqrt(s.d)));
}

double InstantaneousInjection::ffunc2(double tau) const {
    const colloidm::State& s = colloidm_;
    const double q = (tau * s.b) * (s.time - tau);
    const double r = std::sqrt(q);
    return kernel_(tau) * ((tau * s.b) / r) * numerics::dbsi1(2.0 * r);
}

double InstantaneousInjection::ffunc2_scaled(double tau) const {
    const colloidm::State& s = colloidm_;
    const double q = (tau * s.b) * (s.time - tau);
    const double r = std::sqrt(q);
    const numerics::ExpScaled i1 = numerics::bessi1_scaled(2.0 * r);
    return kernel_.scaled(tau, i1.exponent - s.h * s.time) * ((tau * s.b) / r) * i1.factor;
}

// ffunc2 as written. A value whose factors may have left the normal range is noted with the
// exponents that bound it: I1(2r) <= r exp(2r), so that ((tau b) / r) I1(2r) <= tau b exp(2r).
double InstantaneousInjection::watched_ffunc2(double tau, double e1_floor, OutOfRangeNodes& nodes,
                                              RangeGuard& guard) const {
    const colloidm::State& s = colloidm_;
    const double q = (tau * s.b) * (s.time - tau);
    const double r = std::sqrt(q);
    const KernelTerms k = kernel_.terms(tau);
    const double value = k.value() * ((tau * s.b) / r) * numerics::dbsi1(2.0 * r);
    if (k.e1 >= e1_floor && std::isnormal(value)) [[likely]]
        return value;
    if (!std::isfinite(value)) return guard.lost();
    const KernelExponents e = kernel_.exponents(tau);
    nodes.note(e.first + 2.0 * r, e.second + 2.0 * r, tau);
    return value;
}

// Log of 2^-1075, the largest error of a result that underflows into the subnormal numbers.
constexpr double kLogSubnormalError = -1075 * std::numbers::ln2;

// C as written, where its factors can underflow on (0, end) of the early times only and overflow
// nowhere: then the only values formed out of range are those of ffunc2 and K(t) at early times,
// and those whose last products underflowed. Both are bounded afterwards:
// - at early times |K(tau)| exp(U x/(2D)) <= exp(early.log_bound), ((tau b)/r) I1(2r) <= tau b
//   exp(2r) with tau (t - tau) <= end t; times exp(-h t) Cm/sqrt(D), the interval's length t, and
//   2 for the value both as it is and as it should be;
// - a product that underflowed is off by at most 2^-1075 times what multiplies it afterwards:
//   three such in ffunc2 (K, K w, K w I1), at most max(1, t b) exp(t sqrt(b)) each; carried into C
//   by t exp(U x/(2D) - h t) Cm/sqrt(D); one in K(t).
std::optional<double> InstantaneousInjection::plain_concentration(double t, double final_factor,
                                                                  numerics::Quadrature& quadrature,
                                                                  QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    const std::optional<TransportKernel::EarlyTimes> early = kernel_.early_times(t);
    if (!early) return std::nullopt;
    const double largest_bessel =
        s.b > 0.0 ? t * std::sqrt(s.b) : 0.0;  // 2 sqrt(b tau (t - tau)) <= t sqrt(b)
    const double log_multiplier = s.b > 0.0 ? log_upper_bound(std::max(1.0, t * s.b)) + largest_bessel : 0.0;
    // ((tau b) / r) alone is at most sqrt(b t / (t - tau)), t - tau at least 2^-53 t.
    const double log_w = s.b > 0.0 ? 18.4 + 0.5 * log_upper_bound(s.b) : 0.0;
    const double log_kernel = kernel_.log_plain_bound(t);
    if (!(largest_bessel <= 700.0 && log_kernel + std::max(log_multiplier, log_w) <= 700.0))
        return std::nullopt;

    numerics::Quadrature::HeldReports reports(quadrature);
    double integral = 0.0;
    if (s.b > 0.0) {
        integral = quadrature
                       .dqdag([this](double tau) { return ffunc2(tau); }, 0.0, t, tolerances.errabs,
                              tolerances.errrel, kGaussKronrod21)
                       .result;
    }
    const double closed = kernel_(t);
    const double c = (closed + integral) * final_factor * cm_ / std::sqrt(s.d);

    RangeGuard guard;
    const double log_scale = -s.h * t + log_scale_;
    const double final_exponent = kernel_.advection_exponent() - s.h * t;
    if (s.b > 0.0) {
        const double early_bessel = 2.0 * std::sqrt(s.b * early->end * t);
        guard.note_log(early->log_bound + early_bessel + log_upper_bound(early->end * s.b) + log_scale +
                       log_upper_bound(t) + std::numbers::ln2 + 1e-4);
        guard.note_log(kLogSubnormalError + std::log(3.0) + log_multiplier + log_upper_bound(t) +
                       final_exponent + log_scale_);
    }
    if (t <= early->end) guard.note_log(early->log_bound + log_scale + std::numbers::ln2);
    guard.note_log(kLogSubnormalError + final_exponent + log_scale_);
    if (!guard.plain_result_stands(c)) return std::nullopt;
    reports.release();
    return c;
}

// C as written, with every value of ffunc2 and K(t) watched.
std::optional<double> InstantaneousInjection::watched_concentration(double t, double final_factor,
                                                                    numerics::Quadrature& quadrature,
                                                                    QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    numerics::Quadrature::HeldReports reports(quadrature);
    RangeGuard guard;
    // C = (K(t) + R) exp(U x/(2D) - h t) Cm/sqrt(D). The exponents noted include U x/(2D); what
    // else carries them into C: exp(-h t) Cm/sqrt(D), and for the integrand t b (see
    // watched_ffunc2) and the interval's length t, with room for the last digits of I1.
    const double e1_floor = kernel_.first_exponential_floor(t);
    const double log_scale = -s.h * t + log_scale_;
    double integral = 0.0;
    if (s.b > 0.0) {
        OutOfRangeNodes nodes;
        integral = quadrature
                       .dqdag([&](double tau) { return watched_ffunc2(tau, e1_floor, nodes, guard); }, 0.0, t,
                              tolerances.errabs, tolerances.errrel, kGaussKronrod21)
                       .result;
        guard.note_log(
            nodes.log_contribution(log_scale + 2.0 * log_upper_bound(t) + log_b_ + 1e-4, log_coefficient_));
    }
    const KernelTerms k = kernel_.terms(t);
    const double closed = k.value();
    if (!(k.e1 >= e1_floor && std::isnormal(closed))) {
        if (!std::isfinite(closed)) return std::nullopt;
        OutOfRangeNodes term;
        const KernelExponents e = kernel_.exponents(t);
        term.note(e.first, e.second, t);
        guard.note_log(term.log_contribution(log_scale, log_coefficient_));
    }
    const double c = (closed + integral) * final_factor * cm_ / std::sqrt(s.d);
    if (!guard.plain_result_stands(c)) return std::nullopt;
    reports.release();
    return c;
}

// C = (K(t) exp(U x/(2D) - h t) + the integral of ffunc2_scaled) Cm / sqrt(D).
double InstantaneousInjection::scaled_concentration(double t, numerics::Quadrature& quadrature,
                                                    QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    double integral = 0.0;
    if (s.b > 0.0) {
        const double errabs = scaled_errabs(tolerances.errabs, kernel_.advection_exponent() - s.h * t);
        integral = quadrature
                       .dqdag([this](double tau) { return ffunc2_scaled(tau); }, 0.0, t, errabs,
                              tolerances.errrel, kGaussKronrod21)
                       .result;
    }
    return (kernel_.scaled(t, -s.h * t) + integral) * cm_ / std::sqrt(s.d);
}

double InstantaneousInjection::concentration(double t, double x, numerics::Quadrature& quadrature,
                                             QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.x = x;
    kernel_ = TransportKernel(s);
    if (t == 0.0) return 0.0;
    s.time = t;
    const double final_factor = std::exp(kernel_.advection_exponent() - s.h * t);
    if (std::isnormal(final_factor)) {
        if (const std::optional<double> c = plain_concentration(t, final_factor, quadrature, tolerances))
            return *c;
        if (const std::optional<double> c = watched_concentration(t, final_factor, quadrature, tolerances))
            return *c;
    }
    return scaled_concentration(t, quadrature, tolerances);
}

}  // namespace models
