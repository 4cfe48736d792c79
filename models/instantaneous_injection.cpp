#include "models/instantaneous_injection.hpp"

#include <cmath>

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
double InstantaneousInjection::checked_ffunc2(double tau, double e1_floor, OutOfRangeNodes& nodes,
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

std::optional<double> InstantaneousInjection::plain_concentration(double t, double final_factor,
                                                                  numerics::Quadrature& quadrature,
                                                                  QuadratureTolerances tolerances) {
    const colloidm::State& s = colloidm_;
    numerics::Quadrature::HeldReports reports(quadrature);
    RangeGuard guard;
    // C = (K(t) + R) exp(U x/(2D) - h t) Cm/sqrt(D). The exponents noted include U x/(2D); what
    // else carries them into C: exp(-h t) Cm/sqrt(D), and for the integrand t b (see
    // checked_ffunc2) and the interval's length t, with room for the last digits of I1.
    const double e1_floor = kernel_.first_exponential_floor(t);
    const auto log_scale = [&] { return -s.h * t + std::log(std::fabs(cm_ / std::sqrt(s.d))); };
    double integral = 0.0;
    if (s.b > 0.0) {
        OutOfRangeNodes nodes;
        integral = quadrature
                       .dqdag([&](double tau) { return checked_ffunc2(tau, e1_floor, nodes, guard); }, 0.0, t,
                              tolerances.errabs, tolerances.errrel, kGaussKronrod21)
                       .result;
        if (nodes.any()) {
            guard.note(nodes.contribution(log_scale() + 2.0 * std::log(t) + std::log(s.b) + 1e-4,
                                          kernel_.second_factor()));
        }
    }
    const KernelTerms k = kernel_.terms(t);
    const double closed = k.value();
    if (!(k.e1 >= e1_floor && std::isnormal(closed))) {
        if (!std::isfinite(closed)) return std::nullopt;
        OutOfRangeNodes term;
        const KernelExponents e = kernel_.exponents(t);
        term.note(e.first, e.second, t);
        guard.note(term.contribution(log_scale(), kernel_.second_factor()));
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
    }
    return scaled_concentration(t, quadrature, tolerances);
}

}  // namespace models
