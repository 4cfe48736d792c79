#include "models/broad_pulse.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace models {

double bessel_factor(double s) {
    if (s > 0.0) return numerics::dbsj0(2.0 * std::sqrt(s));
    return numerics::dbsi0(2.0 * std::sqrt(-s));
}

numerics::ExpScaled bessel_factor_scaled(double s) {
    if (s > 0.0) return {numerics::dbsj0(2.0 * std::sqrt(s)), 0.0};
    return numerics::bessi0_scaled(2.0 * std::sqrt(-s));
}

namespace {

// Log of 2^-1075, the largest error of a result that underflows into the subnormal numbers.
constexpr double kLogSubnormalError = -1075 * std::numbers::ln2;

// The exponent of a bound of the Bessel factor: |J0| <= 1, I0(y) <= exp(y).
double bessel_bound_exponent(double s) {
    return s > 0.0 ? 0.0 : 2.0 * std::sqrt(-s);
}

}  // namespace

BroadPulse::BroadPulse(const BroadPulseParameters& p) : tp_(p.tp), conc0_(p.conc0) {
    colloidm::State& s = colloidm_;
    s.d = p.d;
    s.u = p.u;
    s.pi = colloidm::kPi;
    const double krstar = (p.rh0 / p.theta) * (p.kr + p.lamdas);
    s.a = p.lamda + p.kc;
    s.h = p.theta * krstar / p.rh0;
    s.b = (p.lamdas - s.h) * p.kc;
    log_scale_ = std::log(std::fabs(conc0_ * (s.u / std::sqrt(s.d))));
    log_h_ = std::log(std::fabs(s.h));
    log_coefficient_ = log_kernel_coefficient(s.u / (2.0 * std::sqrt(s.d)));
}

double BroadPulse::func2(double tau) const {
    const colloidm::State& s = colloidm_;
    return kernel_(tau) * bessel_factor((tau * s.b) * (s.time - tau));
}

double BroadPulse::outer_factor(double tau1) const {
    return std::exp(-(tau1 * colloidm_.h)) * colloidm_.h;
}

double BroadPulse::func1_with(double factor, double tau1, double tau2) const {
    const colloidm::State& s = colloidm_;
    return kernel_(tau2) * factor * bessel_factor((tau2 * s.b) * (tau1 - tau2));
}

double BroadPulse::func2_scaled(double tau) const {
    const colloidm::State& s = colloidm_;
    const numerics::ExpScaled bessel = bessel_factor_scaled((tau * s.b) * (s.time - tau));
    return kernel_.scaled(tau, bessel.exponent - s.h * s.time) * bessel.factor;
}

double BroadPulse::func1_scaled(double tau1, double tau2) const {
    const colloidm::State& s = colloidm_;
    const numerics::ExpScaled bessel = bessel_factor_scaled((tau2 * s.b) * (tau1 - tau2));
    return kernel_.scaled(tau2, bessel.exponent - tau1 * s.h) * s.h * bessel.factor;
}

// func2 and func1 as written. A value whose factors may have left the normal range is noted with
// the exponents that bound it.
double BroadPulse::watched_func2(double tau, double e1_floor, OutOfRangeNodes& nodes,
                                 RangeGuard& guard) const {
    const colloidm::State& s = colloidm_;
    const KernelTerms k = kernel_.terms(tau);
    const double product = (tau * s.b) * (s.time - tau);
    const double value = k.value() * bessel_factor(product);
    if (k.e1 >= e1_floor && std::isnormal(value)) [[likely]]
        return value;
    if (!std::isfinite(value)) return guard.lost();
    const KernelExponents e = kernel_.exponents(tau);
    const double exponent = bessel_bound_exponent(product);
    nodes.note(e.first + exponent, e.second + exponent, tau);
    return value;
}

// The floor of the first exponential is infinite for an outer factor exp(-(tau1 h)) h that is not
// a normal number, so that every value is checked then.
double BroadPulse::watched_func1(double factor, double tau1, double tau2, double e1_floor,
                                 OutOfRangeNodes& nodes, RangeGuard& guard) const {
    const colloidm::State& s = colloidm_;
    const KernelTerms k = kernel_.terms(tau2);
    const double product = (tau2 * s.b) * (tau1 - tau2);
    const double value = k.value() * factor * bessel_factor(product);
    if (k.e1 >= e1_floor && std::isnormal(value)) [[likely]]
        return value;
    if (!std::isfinite(value)) return guard.lost();
    const KernelExponents e = kernel_.exponents(tau2);
    const double exponent = bessel_bound_exponent(product) - tau1 * s.h;
    nodes.note(e.first + exponent, e.second + exponent, tau2);
    return value;
}

// G as written, where its factors can underflow on (0, end) of the early times only and overflow
// nowhere: then the only values formed out of range are those of func2 and func1 at early times,
// and those whose last products underflowed. Both are bounded afterwards:
// - at early times |K(tau)| exp(U x/(2D)) <= exp(early.log_bound), the Bessel factor at most
//   exp(2 sqrt(|b| end T)), the outer factor of func1 at most |h| exp(max(0, -h T)); times
//   Conc0 U/sqrt(D), for func2 exp(-h T) and the length T, for func1 the area T^2, and 2 for the
//   value both as it is and as it should be;
// - a product that underflowed is off by at most 2^-1075 times what multiplies it afterwards: two
//   such in func2 (K, K B), three in func1 (K, K factor, K factor B), carried into G by
//   exp(U x/(2D)) Conc0 U/sqrt(D) and exp(-h T) T or T^2.
std::optional<double> BroadPulse::plain_response(double big_t, double decay, double advection,
                                                 numerics::Quadrature& quadrature,
                                                 QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    const std::optional<TransportKernel::EarlyTimes> early = kernel_.early_times(big_t);
    if (!early) return std::nullopt;
    const double largest_bessel = s.b < 0.0 ? big_t * std::sqrt(-s.b) : 0.0;  // 2 sqrt(|b| tau (T - tau))
    const double log_bessel = largest_bessel + 1e-4;                          // |J0| <= 1, I0(y) <= exp(y)
    const double outer_exponent = std::max(0.0, -s.h * big_t);                // of exp(-(tau1 h))
    const double log_outer = log_h_ + outer_exponent;
    const double log_kernel = kernel_.log_plain_bound(big_t);
    const bool outer_in_range =
        s.h == 0.0 || (log_outer <= 700.0 && log_h_ - std::fabs(s.h) * big_t >= -700.0);
    if (!(largest_bessel <= 700.0 && outer_in_range &&
          log_kernel + std::max(0.0, log_outer) + log_bessel <= 700.0))
        return std::nullopt;

    numerics::Quadrature::HeldReports reports(quadrature);
    // The outer factor of func1 is computed once per inner integral, at its first evaluation.
    double factor_tau1 = std::numeric_limits<double>::quiet_NaN();
    double factor = 0.0;
    const auto func1_hoisted = [&](double tau1, double tau2) {
        if (tau1 != factor_tau1) {
            factor_tau1 = tau1;
            factor = outer_factor(tau1);
        }
        return func1_with(factor, tau1, tau2);
    };
    const double r2 =
        quadrature
            .dtwodq(
                func1_hoisted, 0.0, big_t, [](double tau1) { return gg1(tau1); },
                [](double tau1) { return hh1(tau1); }, tolerances.errabs, tolerances.errrel, kGaussKronrod21)
            .result;
    const double r1 = quadrature
                          .dqdag([this](double tau) { return func2(tau); }, 0.0, big_t, tolerances.errabs,
                                 tolerances.errrel, kGaussKronrod21)
                          .result;
    const double g = (decay * r1 + r2) * conc0_ * (s.u / std::sqrt(s.d)) * advection;

    RangeGuard guard;
    const double log_length = log_upper_bound(big_t);
    const double early_bessel = s.b < 0.0 ? 2.0 * std::sqrt(-s.b * early->end * big_t) : 0.0;
    const double early_bound = early->log_bound + early_bessel + log_scale_ + std::numbers::ln2 + 1e-4;
    guard.note_log(early_bound - s.h * big_t + log_length);
    guard.note_log(early_bound + log_outer + 2.0 * log_length);
    const double log_plain = kernel_.advection_exponent() + log_scale_;
    guard.note_log(kLogSubnormalError + std::numbers::ln2 + log_bessel + log_plain - s.h * big_t +
                   log_length);
    guard.note_log(kLogSubnormalError + std::log(3.0) + std::max(0.0, log_outer) + log_bessel + log_plain +
                   2.0 * log_length);
    if (!guard.plain_result_stands(g)) return std::nullopt;
    reports.release();
    return g;
}

// G as written, with every value of func2 and func1 watched.
std::optional<double> BroadPulse::watched_response(double big_t, double decay, double advection,
                                                   numerics::Quadrature& quadrature,
                                                   QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    numerics::Quadrature::HeldReports reports(quadrature);
    RangeGuard guard;
    const double e1_floor = kernel_.first_exponential_floor(big_t);
    OutOfRangeNodes single_nodes;
    OutOfRangeNodes double_nodes;
    // The outer factor of func1 is computed once per inner integral, at its first evaluation, and so
    // is the floor of the first exponential for it.
    struct OuterFactor {
        double tau1 = std::numeric_limits<double>::quiet_NaN();
        double factor = 0.0;
        double e1_floor = 0.0;
    } outer;
    const auto func1_watched = [this, &outer, &double_nodes, &guard, e1_floor](double tau1, double tau2) {
        if (tau1 != outer.tau1) {
            outer.tau1 = tau1;
            outer.factor = outer_factor(tau1);
            outer.e1_floor = std::isnormal(outer.factor) ? e1_floor : std::numeric_limits<double>::infinity();
        }
        return watched_func1(outer.factor, tau1, tau2, outer.e1_floor, double_nodes, guard);
    };
    // With h = 0 the outer factor is h itself, and every value of func1 exactly 0 (or not a number,
    // which shows in G).
    const auto func1_zero = [&](double tau1, double tau2) { return func1_with(s.h, tau1, tau2); };
    const auto gg1_limit = [](double tau1) { return gg1(tau1); };
    const auto hh1_limit = [](double tau1) { return hh1(tau1); };
    const double r2 = s.h == 0.0 ? quadrature
                                       .dtwodq(func1_zero, 0.0, big_t, gg1_limit, hh1_limit,
                                               tolerances.errabs, tolerances.errrel, kGaussKronrod21)
                                       .result
                                 : quadrature
                                       .dtwodq(func1_watched, 0.0, big_t, gg1_limit, hh1_limit,
                                               tolerances.errabs, tolerances.errrel, kGaussKronrod21)
                                       .result;
    const double r1 =
        quadrature
            .dqdag([&](double tau) { return watched_func2(tau, e1_floor, single_nodes, guard); }, 0.0, big_t,
                   tolerances.errabs, tolerances.errrel, kGaussKronrod21)
            .result;
    // G = (exp(-h T) R1 + R2) Conc0 (U / sqrt(D)) exp(U x/(2D)). The exponents noted include
    // U x/(2D) and, for func1, the outer exponential; what else carries them into G: Conc0 U/sqrt(D),
    // for func2 exp(-h T) and the length T, for func1 h and the area T^2 of its triangle, with room
    // for the last digits of the Bessel approximations.
    const double log_scale = log_scale_ + 1e-4;
    const double log_length = log_upper_bound(big_t);
    guard.note_log(single_nodes.log_contribution(log_scale - s.h * big_t + log_length, log_coefficient_));
    guard.note_log(double_nodes.log_contribution(log_scale + log_h_ + 2.0 * log_length, log_coefficient_));
    const double g = (decay * r1 + r2) * conc0_ * (s.u / std::sqrt(s.d)) * advection;
    if (!guard.plain_result_stands(g)) return std::nullopt;
    reports.release();
    return g;
}

// G(T) = (R1 exp(U x/(2D) - h T) + R2 exp(U x/(2D))) Conc0 U / sqrt(D), each product an integral of
// a scaled integrand.
double BroadPulse::scaled_response(double big_t, numerics::Quadrature& quadrature,
                                   QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    const double advection = kernel_.advection_exponent();
    const double r2 =
        quadrature
            .dtwodq([this](double tau1, double tau2) { return func1_scaled(tau1, tau2); }, 0.0, big_t,
                    [](double tau1) { return gg1(tau1); }, [](double tau1) { return hh1(tau1); },
                    scaled_errabs(tolerances.errabs, advection), tolerances.errrel, kGaussKronrod21)
            .result;
    const double r1 = quadrature
                          .dqdag([this](double tau) { return func2_scaled(tau); }, 0.0, big_t,
                                 scaled_errabs(tolerances.errabs, advection - s.h * big_t), tolerances.errrel,
                                 kGaussKronrod21)
                          .result;
    return (r1 + r2) * conc0_ * (s.u / std::sqrt(s.d));
}

double BroadPulse::response(double big_t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.time = big_t;
    const double decay = std::exp(-s.h * big_t);
    const double advection = std::exp(kernel_.advection_exponent());
    if (std::isnormal(decay) && std::isnormal(advection)) {
        if (const std::optional<double> g = plain_response(big_t, decay, advection, quadrature, tolerances))
            return *g;
        if (const std::optional<double> g = watched_response(big_t, decay, advection, quadrature, tolerances))
            return *g;
    }
    return scaled_response(big_t, quadrature, tolerances);
}

double BroadPulse::concentration(double t, double x, numerics::Quadrature& quadrature,
                                 QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.x = x;
    kernel_ = TransportKernel(s);
    s.time = t;
    if (t == 0.0) return 0.0;
    const double c1 = response(t, quadrature, tolerances);
    if (!(tp_ < t)) return c1;
    const double c2 = response(t - tp_, quadrature, tolerances);
    return c1 - c2;
}

}  // namespace models
