#include "models/instantaneous_injection.hpp"

#include <cfloat>
#include <cmath>

#include "models/placed_integral.hpp"
#include "models/transport_accuracy.hpp"
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
    parameters_in_domain_ = p.d > 0.0 && p.u >= 0.0 && p.theta > 0.0 && p.rh0 > 0.0 && p.a0 > 0.0 &&
                            std::isfinite(p.d) && std::isfinite(p.u) && std::isfinite(p.theta) &&
                            std::isfinite(p.rh0) && std::isfinite(p.a0) && std::isfinite(cm_) &&
                            std::isfinite(s.a) && std::isfinite(s.h) && std::isfinite(s.b);
}

double InstantaneousInjection::ffunc2(double tau) const {
    const colloidm::State& s = colloidm_;
    const double q = (tau * s.b) * (s.time - tau);
    const double r = std::sqrt(q);
    return kernel_(tau) * ((tau * s.b) / r) * numerics::dbsi1(2.0 * r);
}

double InstantaneousInjection::concentration(double t, double x, numerics::Quadrature& quadrature,
                                             QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.x = x;
    kernel_ = TransportKernel(s);
    if (t == 0.0) return 0.0;
    s.time = t;
    if (parameters_in_domain_ && t > 0.0 && x >= 0.0 && std::isfinite(t) && std::isfinite(x) &&
        tolerances_in_domain(tolerances))
        return placed_concentration(t, quadrature, tolerances);
    return written_concentration(t, quadrature, tolerances);
}

// C = sign(Cm) (exp(L + E(t)) bracket(t) + exp(L + log_peak) R~), L = log|Cm/sqrt(D)| - h t, R~ the
// integral normalised by the model's peak. ((tau b) / r) I1(2r) = 2 b tau (I1(2r) / (2r)).
double InstantaneousInjection::placed_concentration(double t, numerics::Quadrature& quadrature,
                                                    QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    const double factor = cm_ / std::sqrt(s.d);
    const double sign = factor < 0.0 ? -1.0 : 1.0;
    const double log_factor = std::log(std::fabs(factor)) - s.h * t;
    const double closed = scaled_value(kernel_.bracket(t), log_factor + kernel_.exponent(t));
    if (!(s.b > 0.0)) return sign * closed;

    const PointAccuracy accuracy = PointAccuracy::of(tolerances, cm_ / std::sqrt(s.pi * s.d * t));
    const double b = s.b;
    const auto model = [&](double tau) {
        const double r = std::sqrt(b * tau * (t - tau));
        return kernel_.exponent(tau) + 2.0 * r + kernel_.log_tau_bracket_model(tau) +
               std::log(b * tau / ((1.0 + r) * std::sqrt(1.0 + r)));
    };
    double breaks[2];
    double hints[evaluation::kMaxHints];
    int count = 0;
    constexpr double kHalfBranch = 0.5 * numerics::kBesselIBranch;
    bessel_branch_points(b, t, kHalfBranch * kHalfBranch, 0.0, t, breaks, count);
    const Panels panels =
        place_panels(model, 0.0, t, {breaks, static_cast<std::size_t>(count)},
                     {hints, static_cast<std::size_t>(kernel_peak_hints(s.d, s.u, s.x, s.h - s.a, hints))},
                     accuracy.cut_depth());
    if (panels.count == 0 || log_factor + panels.log_peak < evaluation::kLogBelowRange) return sign * closed;

    const double shift = -panels.log_peak;
    const auto integrand = [&](double tau) {
        const double r = std::sqrt(b * tau * (t - tau));
        const numerics::ExpScaled i1 = numerics::bessi1_over_x_scaled(2.0 * r);
        return std::exp(kernel_.exponent(tau) + i1.exponent + shift) * kernel_.bracket(tau) *
               (2.0 * b * tau) * i1.factor;
    };
    const double log_scale = log_factor + panels.log_peak;
    const double epsabs = std::fmin(scaled_value(accuracy.allowed(closed), -log_scale), DBL_MAX);
    numerics::Quadrature::HeldReports reports(quadrature);
    const PanelSum sum =
        integrate_panels(quadrature, integrand, panels, epsabs, accuracy.relative, evaluation::kOuterRule);
    const double c = closed + scaled_value(sum.value, log_scale);
    if (sum.failed && scaled_value(sum.errest, log_scale) > accuracy.allowed(c)) reports.release();
    return sign * c;
}

double InstantaneousInjection::written_concentration(double t, numerics::Quadrature& quadrature,
                                                     QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    double integral = 0.0;
    if (s.b > 0.0) {
        integral = quadrature
                       .dqdag([this](double tau) { return ffunc2(tau); }, 0.0, t, tolerances.errabs,
                              tolerances.errrel, kGaussKronrod21)
                       .result;
    }
    return (kernel_(t) + integral) * std::exp(kernel_.advection_exponent() - s.h * t) * cm_ / std::sqrt(s.d);
}

}  // namespace models
