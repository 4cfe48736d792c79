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

double InstantaneousInjection::concentration(double t, double x, numerics::Quadrature& quadrature,
                                             QuadratureTolerances tolerances) {
    colloidm::State& s = colloidm_;
    s.x = x;
    kernel_ = TransportKernel(s);
    if (t == 0.0) return 0.0;
    s.time = t;
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
