#include "models/broad_pulse.hpp"

#include <cmath>

#include "models/transport_kernel.hpp"
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
    return transport_kernel(s, tau) * bessel_factor((tau * s.b) * (s.time - tau));
}

double BroadPulse::func1(double tau1, double tau2) const {
    const colloidm::State& s = colloidm_;
    return transport_kernel(s, tau2) * (std::exp(-(tau1 * s.h)) * s.h) * bessel_factor((tau2 * s.b) * (tau1 - tau2));
}

double BroadPulse::response(double big_t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.time = big_t;
    const double r2 = quadrature
                          .dtwodq([this](double tau1, double tau2) { return func1(tau1, tau2); }, 0.0, big_t,
                                  [](double tau1) { return gg1(tau1); }, [](double tau1) { return hh1(tau1); },
                                  tolerances.errabs, tolerances.errrel, kGaussKronrod21)
                          .result;
    const double r1 = quadrature
                          .dqdag([this](double tau) { return func2(tau); }, 0.0, big_t, tolerances.errabs,
                                 tolerances.errrel, kGaussKronrod21)
                          .result;
    return (std::exp(-s.h * big_t) * r1 + r2) * conc0_ * (s.u / std::sqrt(s.d)) * std::exp(s.u * s.x / (2.0 * s.d));
}

double BroadPulse::concentration(double t, double x, numerics::Quadrature& quadrature,
                                 QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.x = x;
    s.time = t;
    if (t == 0.0) return 0.0;
    const double c1 = response(t, quadrature, tolerances);
    if (!(tp_ < t)) return c1;
    const double c2 = response(t - tp_, quadrature, tolerances);
    return c1 - c2;
}

}  // namespace models
