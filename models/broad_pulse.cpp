#include "models/broad_pulse.hpp"

#include <cmath>
#include <limits>

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

double BroadPulse::response(double big_t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.time = big_t;
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
    return (std::exp(-s.h * big_t) * r1 + r2) * conc0_ * (s.u / std::sqrt(s.d)) *
           std::exp(kernel_.advection_exponent());
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
