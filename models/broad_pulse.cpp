#include "models/broad_pulse.hpp"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

#include "models/placed_integral.hpp"
#include "models/transport_accuracy.hpp"
#include "numerics/bessel.hpp"

namespace models {

double bessel_factor(double s) {
    if (s > 0.0) return numerics::dbsj0(2.0 * std::sqrt(s));
    return numerics::dbsi0(2.0 * std::sqrt(-s));
}

BroadPulse::BroadPulse(const BroadPulseParameters& p) : tp_(p.tp), conc0_(p.conc0) {
    colloidm::State& s = colloidm_;
    s.d = p.d;
    s.u = p.u;
    s.pi = colloidm::kPi;
    const double krstar = (p.rh0 / p.theta) * (p.kr + p.lamdas);
    s.a = p.lamda + p.kc;
    s.h = p.theta * krstar / p.rh0;
    s.b = (p.lamdas - s.h) * p.kc;
    parameters_in_domain_ = p.d > 0.0 && p.u >= 0.0 && p.theta > 0.0 && p.rh0 > 0.0 && p.tp >= 0.0 &&
                            std::isfinite(p.d) && std::isfinite(p.u) && std::isfinite(p.theta) &&
                            std::isfinite(p.rh0) && std::isfinite(p.tp) && std::isfinite(p.conc0) &&
                            std::isfinite(s.a) && std::isfinite(s.h) && std::isfinite(s.b) &&
                            std::isfinite(conc0_ * (s.u / std::sqrt(s.d)));
    branch_jump_ = s.b < 0.0 ? numerics::bessi0_branch_jump() : numerics::bessj0_branch_jump();
}

double BroadPulse::func2(double tau) const {
    const colloidm::State& s = colloidm_;
    return kernel_(tau) * bessel_factor((tau * s.b) * (s.time - tau));
}

double BroadPulse::func1(double tau1, double tau2) const {
    const colloidm::State& s = colloidm_;
    return kernel_(tau2) * (std::exp(-(tau1 * s.h)) * s.h) * bessel_factor((tau2 * s.b) * (tau1 - tau2));
}

bool BroadPulse::in_domain(double t, double x, QuadratureTolerances tolerances) const {
    return parameters_in_domain_ && t > 0.0 && x >= 0.0 && std::isfinite(t) && std::isfinite(x) &&
           tolerances_in_domain(tolerances);
}

double BroadPulse::concentration(double t, double x, numerics::Quadrature& quadrature,
                                 QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.x = x;
    kernel_ = TransportKernel(s);
    s.time = t;
    if (t == 0.0) return 0.0;
    if (in_domain(t, x, tolerances))
        return placed_concentration(t, tp_ < t ? tp_ : t, quadrature, tolerances);
    const double c1 = written_response(t, quadrature, tolerances);
    if (!(tp_ < t)) return c1;
    const double c2 = written_response(t - tp_, quadrature, tolerances);
    return c1 - c2;
}

double BroadPulse::response(double big_t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances) {
    colloidm_.time = big_t;
    if (big_t == 0.0) return 0.0;
    if (in_domain(big_t, colloidm_.x, tolerances))
        return placed_concentration(big_t, big_t, quadrature, tolerances);
    return written_response(big_t, quadrature, tolerances);
}

// C = sign(F) (A + B) as the header writes it, each integral normalised by its model's peak and
// scaled back by exp(log|F| + log_peak).
double BroadPulse::placed_concentration(double t, double window, numerics::Quadrature& quadrature,
                                        QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    const double factor = conc0_ * (s.u / std::sqrt(s.d));
    if (factor == 0.0 || !(window > 0.0)) return 0.0;
    const double sign = factor < 0.0 ? -1.0 : 1.0;
    const double log_factor = std::log(std::fabs(factor));
    const PointAccuracy accuracy = PointAccuracy::of(tolerances, conc0_);
    const double depth = accuracy.cut_depth();
    const double start = t - window;  // s0: 0 up to tp, t - tp after it
    const double h = s.h;
    numerics::Quadrature::HeldReports reports(quadrature);
    double errest = 0.0;
    bool failed = false;

    // A, the direct part: K~(tau) exp(-h tau) over (s0, t).
    double direct = 0.0;
    const auto model_a = [&](double tau) {
        return kernel_.exponent(tau) - h * tau + kernel_.log_tau_bracket_model(tau);
    };
    double hints[evaluation::kMaxHints];
    int hint_count = kernel_peak_hints(s.d, s.u, s.x, -s.a, hints);
    const Panels direct_panels =
        place_panels(model_a, start, t, {}, {hints, static_cast<std::size_t>(hint_count)}, depth);
    if (direct_panels.count > 0 && log_factor + direct_panels.log_peak > evaluation::kLogBelowRange) {
        const double shift = -direct_panels.log_peak;
        const auto integrand = [&](double tau) {
            return std::exp(kernel_.exponent(tau) - h * tau + shift) * kernel_.bracket(tau);
        };
        const double log_scale = log_factor + direct_panels.log_peak;
        const double epsabs = std::fmin(scaled_value(accuracy.absolute, -log_scale), DBL_MAX);
        const PanelSum sum = integrate_panels(quadrature, integrand, direct_panels, epsabs, accuracy.relative,
                                              evaluation::kOuterRule);
        // B(tau, s) as s falls to tau: I0(0) = 1, but J0's rational form tends to P(0)/Q(0) there.
        direct = scaled_value(sum.value, log_scale) * (s.b > 0.0 ? numerics::bessj0_limit_at_zero() : 1.0);
        errest += scaled_value(sum.errest, log_scale);
        failed = failed || sum.failed;
    }

    // B, the released part: K~(tau) V(tau) over (0, t), V by an inner integration at each node.
    double released = 0.0;
    bool inner_failed = false;
    if (s.b != 0.0) {
        const double rate = std::fabs(s.b);  // |b|
        const bool modified = s.b < 0.0;     // I0, else J0
        const double half_branch = 0.5 * (modified ? numerics::kBesselIBranch : numerics::kBesselJ0Branch);
        const double level = half_branch * half_branch;  // |b| tau (s - tau) at the branch point
        const double inner_relative =
            accuracy.relative > 0.0
                ? std::fmax(evaluation::kInnerShare * accuracy.relative, evaluation::kFinestRelative)
                : evaluation::kFinestRelative;
        // The largest exponent of exp(-h s) times the Bessel slope's exponential over (max(tau, s0),
        // t): -h s + 2 sqrt(|b| tau (s - tau)) is concave in s, largest at s - tau = |b| tau / h^2.
        const auto inner_peak_at = [&](double tau, double lower) {
            if (!modified) return h > 0.0 ? lower : t;
            return h > 0.0 ? std::clamp(tau + rate * tau / (h * h), lower, t) : t;
        };
        const auto inner_exponent = [&](double tau, double s_value) {
            return modified ? -h * s_value + 2.0 * std::sqrt(rate * tau * (s_value - tau)) : -h * s_value;
        };
        const auto inner_peak = [&](double tau, double lower) {
            return inner_exponent(tau, inner_peak_at(tau, lower));
        };
        // Where the inner exponent falls below `floor` on either side of its peak (h > 0; with
        // w = sqrt(s - tau) it is -h tau - h w^2 + 2 sqrt(|b| tau) w, a quadratic in w), within
        // [lower, t].
        const auto inner_range = [&](double tau, double lower, double floor, double& from, double& to) {
            from = lower;
            to = t;
            if (!(h > 0.0)) return;
            if (!modified) {
                to = std::min(t, std::max(lower, -floor / h));
                return;
            }
            const double root_c = std::sqrt(rate * tau);
            const double constant = h * tau + floor;  // h w^2 - 2 sqrt(c) w + constant = 0
            const double discriminant = rate * tau - h * constant;
            if (!(discriminant > 0.0)) return;
            const double larger = (root_c + std::sqrt(discriminant)) / h;
            const double smaller = constant / (h * larger);
            if (smaller > 0.0) from = std::clamp(tau + smaller * smaller, lower, t);
            to = std::clamp(tau + larger * larger, lower, t);
        };
        const auto model_b = [&](double tau) {
            const double lower = std::max(tau, start);
            return kernel_.exponent(tau) + inner_peak(tau, lower) + kernel_.log_tau_bracket_model(tau) +
                   std::log(rate * tau * (t - lower));
        };
        double breaks[6];
        int count = 0;
        if (start > 0.0) breaks[count++] = start;
        // Near t the inner interval (tau, t) closes on the scale 1/h of exp(-h s): V(tau) falls to 0
        // there, as 1 - exp(-h (t - tau)), a feature too narrow for the rule of a long panel. It
        // gets a panel of its own, from where it has fallen below the cut depth.
        if (h > 0.0) breaks[count++] = t - depth / h;
        bessel_branch_points(rate, t, level, 0.0, t, breaks, count);
        if (start > 0.0) bessel_branch_points(rate, start, level, 0.0, start, breaks, count);
        hint_count = kernel_peak_hints(s.d, s.u, s.x, h - s.a, hints);
        const Panels panels = place_panels(model_b, 0.0, t, {breaks, static_cast<std::size_t>(count)},
                                           {hints, static_cast<std::size_t>(hint_count)}, depth);
        if (panels.count > 0 && log_factor + panels.log_peak > evaluation::kLogBelowRange) {
            const double shift = -panels.log_peak;
            const auto integrand = [&](double tau) {
                const double lower = std::max(tau, start);
                const double peak = inner_peak(tau, lower);
                const double weight = rate * tau;
                const auto slope = [&](double s_value) {
                    const double y = 2.0 * std::sqrt(weight * (s_value - tau));
                    if (modified) {
                        const numerics::ExpScaled d = numerics::bessi0_slope_scaled(y);
                        return std::exp(-h * s_value + d.exponent - peak) * d.factor;
                    }
                    return std::exp(-h * s_value - peak) * numerics::bessj0_slope(y);
                };
                // What V is to be accurate to besides its own size: the direct part's exp(-h tau).
                const double epsabs = tau > start ? inner_relative * std::exp(-h * tau - peak) / weight : 0.0;
                const double branch = tau + level / weight;  // s*
                double v = 0.0;
                // The inner integrand as it is when it varies little over (lower, t); otherwise,
                // like the outer ones, split at its peak, with what lies more than the cut depth
                // below it left out.
                std::array<double, 4> edges{lower, t, 0.0, 0.0};
                int edge_count = 2;
                const double at = inner_peak_at(tau, lower);
                if (peak - std::min(inner_exponent(tau, lower), inner_exponent(tau, t)) >
                    evaluation::kInnerSpan) {
                    inner_range(tau, lower, peak - depth, edges[0], edges[1]);
                    if (at > edges[0] && at < edges[1]) edges[edge_count++] = at;
                }
                if (branch > edges[0] && branch < edges[1]) edges[edge_count++] = branch;
                std::sort(edges.begin(), edges.begin() + edge_count);
                for (int i = 0; i + 1 < edge_count; ++i) {
                    const numerics::QuadratureResult r = quadrature.inner_dqdag(
                        slope, edges[i], edges[i + 1], epsabs, inner_relative, evaluation::kInnerRule);
                    if (r.ier != numerics::ier::success) inner_failed = true;
                    v += r.result;
                }
                if (branch > lower && branch < t) v += branch_jump_ * std::exp(-h * branch - peak) / weight;
                return std::exp(kernel_.exponent(tau) + peak + shift) * kernel_.bracket(tau) * weight * v;
            };
            const double log_scale = log_factor + panels.log_peak;
            const double epsabs = std::fmin(scaled_value(accuracy.allowed(direct), -log_scale), DBL_MAX);
            const PanelSum sum = integrate_panels(quadrature, integrand, panels, epsabs, accuracy.relative,
                                                  evaluation::kOuterRule);
            released = scaled_value(sum.value, log_scale);
            errest += scaled_value(sum.errest, log_scale);
            failed = failed || sum.failed;
        }
    }

    const double c = direct + released;
    if (inner_failed || (failed && errest > accuracy.allowed(c))) reports.release();
    return sign * c;
}

double BroadPulse::written_response(double big_t, numerics::Quadrature& quadrature,
                                    QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.time = big_t;
    const double r2 =
        quadrature
            .dtwodq([this](double tau1, double tau2) { return func1(tau1, tau2); }, 0.0, big_t,
                    [](double tau1) { return gg1(tau1); }, [](double tau1) { return hh1(tau1); },
                    tolerances.errabs, tolerances.errrel, kGaussKronrod21)
            .result;
    const double r1 = quadrature
                          .dqdag([this](double tau) { return func2(tau); }, 0.0, big_t, tolerances.errabs,
                                 tolerances.errrel, kGaussKronrod21)
                          .result;
    return (std::exp(-s.h * big_t) * r1 + r2) * conc0_ * (s.u / std::sqrt(s.d)) *
           std::exp(kernel_.advection_exponent());
}

}  // namespace models
