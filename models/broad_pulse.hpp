#pragma once
// Concentration of suspended colloids fed at the inlet with a source concentration during a pulse
// of duration tp: the response G(T) to a source switched on at time 0 (a closed-form factor times a
// single and a double integral over time with J0 or I0 kernels), minus the same response delayed
// by tp. The formulas, with F = Conc0 U / sqrt(D), K~(tau) = K(tau) exp(U x/(2D))
// and the Bessel factor B(tau, s) = B((tau b)(s - tau)) (J0 for a positive argument, I0 otherwise):
//   G(T) = F (exp(-h T) R1(T) + R2(T)),  R1 = integral over (0, T) of K~(tau) B(tau, T),
//   R2 = integral over tau1 in (0, T) of h exp(-h tau1) times the integral over tau2 in (0, tau1) of
//        K~(tau2) B(tau2, tau1).
//
// Evaluation (see models/transport_accuracy.hpp for the accuracy and the domain). The double
// integral is taken in the other order, the kernel's variable outside; then G(T) = F times the
// integral over (0, T) of K~(tau) W(tau, T), with W(tau, T) = exp(-h T) B(tau, T) + the integral
// over s in (tau, T) of h exp(-h s) B(tau, s). Integrating the last by parts (B(tau, tau) = 1):
//   W(tau, T) = exp(-h tau) + the integral over s in (tau, T) of exp(-h s) dB/ds (tau, s) + J(tau),
// where dB/ds = |b| tau D(y), y = 2 sqrt(|b| tau (s - tau)), D(y) = 2 B'(y) / y the exact slope of the
// models' approximation of I0 (b < 0) or J0 (b > 0) (numerics/bessel.hpp), and J(tau) =
// exp(-h s*) times the approximation's jump at its branch point (y = 3.75 for I0, 8 for J0), where
// s* < T. Nothing is lost: these are the formulas above, with the same approximations, term for
// term. The pulse C(t) = G(t) - G(t - tp) then needs no subtraction of two results: with
// s0 = max(0, t - tp), the start of the pulse as seen at time t,
//   C(t) = F (A + B),  A = integral over (s0, t) of K~(tau) B0 exp(-h tau)     (the direct part)
//   B = integral over (0, t) of K~(tau) V(tau),  V(tau) = integral over s in (max(tau, s0), t) of
//       exp(-h s) dB/ds (tau, s) + J(tau) for s* in (max(tau, s0), t)         (the released part),
// every integrand positive for rates >= 0 (b <= 0). Up to tp, s0 = 0 and C = G(t). B is the nested
// double integral: an outer integration over the kernel with an inner integration (reported as the
// inner integrals of a double integral) at each of its nodes. A and B are placed where their
// integrands live (models/placed_integral.hpp); every exponential (exp(U x/(2D)), exp(-h s), I0's)
// is combined with the kernel's exponent before it is taken, so that nothing leaves the range of
// doubles on the way. A is integrated to the point's accuracy, B to the point's accuracy less what A
// already holds.

#include "models/colloid_state.hpp"
#include "models/quadrature_tolerances.hpp"
#include "models/transport_kernel.hpp"
#include "numerics/quadrature.hpp"

namespace models {

struct BroadPulseParameters {
    double d = 0.0;       // hydrodynamic dispersion coefficient [cm^2/hr]
    double kc = 0.0;      // clogging rate constant [1/hr]
    double kr = 0.0;      // declogging rate constant [1/hr]
    double lamda = 0.0;   // inactivation constant of suspended viruses [1/hr]
    double u = 0.0;       // average interstitial velocity [cm/hr]
    double tp = 0.0;      // pulse time [hr]
    double theta = 0.0;   // porosity [-]
    double lamdas = 0.0;  // inactivation constant of adsorbed viruses [1/hr]
    double conc0 = 0.0;   // source concentration [g/cm^3]
    double rh0 = 0.0;     // bulk density of the solid matrix [g/cm^3]
};

// The Bessel factor: J0(2 sqrt(s)) for s > 0, I0(2 sqrt(-s)) otherwise.
double bessel_factor(double s);

class BroadPulse {
  public:
    explicit BroadPulse(const BroadPulseParameters& p);

    // C at time t and position x: 0 at t = 0 exactly, G(t) up to tp, G(t) - G(t - tp) after it.
    double concentration(double t, double x, numerics::Quadrature& quadrature,
                         QuadratureTolerances tolerances);

    // G(T), the response to a source switched on at time 0, at the position last set.
    double response(double big_t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances);

    // The integrands as the formulas write them, for the time and position last set: func2 of
    // the single integral, func1 of the double integral (outer variable first), and its inner limits
    // gg1 and hh1. func1 is K(tau2) (exp(-(tau1 h)) h) B((tau2 b)(tau1 - tau2)).
    double func2(double tau) const;
    double func1(double tau1, double tau2) const;
    static double gg1(double) { return 0.0; }
    static double hh1(double tau1) { return tau1; }

    const colloidm::State& state() const noexcept { return colloidm_; }

  private:
    // C at time `t` for a pulse seen through a window of `window` (t up to tp, tp after it): in
    // scaled form and placed (the domain).
    double placed_concentration(double t, double window, numerics::Quadrature& quadrature,
                                QuadratureTolerances tolerances);
    // G(T) as the formulas write it, each factor on its own (outside the domain).
    double written_response(double big_t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances);
    bool in_domain(double t, double x, QuadratureTolerances tolerances) const;

    colloidm::State colloidm_;
    TransportKernel kernel_;  // K at the current position
    double tp_ = 0.0;
    double conc0_ = 0.0;
    bool parameters_in_domain_ = false;
    double branch_jump_ = 0.0;  // of the Bessel approximation of this b
};

}  // namespace models
