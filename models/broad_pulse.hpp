#pragma once
// Concentration of suspended colloids fed at the inlet with a source concentration during a pulse
// of duration tp: the response G(T) to a source switched on at time 0 (a closed-form factor times a
// single and a double integral over time with J0 or I0 kernels), minus the same response delayed
// by tp.

#include <optional>

#include "models/colloid_state.hpp"
#include "models/quadrature_tolerances.hpp"
#include "models/range_guard.hpp"
#include "models/transport_kernel.hpp"
#include "numerics/bessel.hpp"
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
// The same with the exponential of I0's large-argument form apart (exponent 0 for J0).
numerics::ExpScaled bessel_factor_scaled(double s);

class BroadPulse {
  public:
    explicit BroadPulse(const BroadPulseParameters& p);

    // C at time t and position x: 0 at t = 0 exactly, G(t) up to tp, G(t) - G(t - tp) after it.
    double concentration(double t, double x, numerics::Quadrature& quadrature,
                         QuadratureTolerances tolerances);

    // G(T) at the position last set: the double integral first, then the single one. G(T) =
    // (exp(-h T) R1 + R2) Conc0 (U / sqrt(D)) exp(U x/(2D)) is computed as written unless a factor
    // of it leaves the range of doubles where that matters (see range_guard.hpp); then with
    // exp(U x/(2D) - h T) carried into the integrand of R1 and exp(U x/(2D)) into that of R2.
    double response(double big_t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances);

    // The integrands, for the time and position last set: func2 of the single integral, func1 of
    // the double integral (outer variable first), and its inner limits gg1 and hh1. func1 is
    // K(tau2) (exp(-(tau1 h)) h) B((tau2 b)(tau1 - tau2)); its outer factor, the middle one, is the
    // same for a whole inner integral.
    double func2(double tau) const;
    double func1(double tau1, double tau2) const { return func1_with(outer_factor(tau1), tau1, tau2); }
    double outer_factor(double tau1) const;
    double func1_with(double factor, double tau1, double tau2) const;
    static double gg1(double) { return 0.0; }
    static double hh1(double tau1) { return tau1; }

    // func2(tau) exp(U x/(2D) - h time) and func1(tau1, tau2) exp(U x/(2D)), with the exponential
    // of I0's large-argument form and those factors (and in func1 its outer exponential) combined
    // with the kernel's exponents.
    double func2_scaled(double tau) const;
    double func1_scaled(double tau1, double tau2) const;

    const colloidm::State& state() const noexcept { return colloidm_; }

  private:
    // G as written when what may leave the range of doubles is bounded beforehand; G as written
    // with every integrand value watched; G in the scaled form. The first two give nothing when
    // their result cannot stand.
    std::optional<double> plain_response(double big_t, double decay, double advection,
                                         numerics::Quadrature& quadrature, QuadratureTolerances tolerances);
    std::optional<double> watched_response(double big_t, double decay, double advection,
                                           numerics::Quadrature& quadrature, QuadratureTolerances tolerances);
    double scaled_response(double big_t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances);
    // Inlined into the integrand of its integration: it runs for every node.
    [[gnu::always_inline]] inline double watched_func2(double tau, double e1_floor, OutOfRangeNodes& nodes,
                                                       RangeGuard& guard) const;
    // Inlined into the integrand of its integration: it runs for every node.
    [[gnu::always_inline]] inline double watched_func1(double factor, double tau1, double tau2,
                                                       double e1_floor, OutOfRangeNodes& nodes,
                                                       RangeGuard& guard) const;

    colloidm::State colloidm_;
    TransportKernel kernel_;  // K at the current position
    double tp_ = 0.0;
    double conc0_ = 0.0;
    double log_scale_ = 0.0;        // log |Conc0 U / sqrt(D)|
    double log_h_ = 0.0;            // log |h|
    double log_coefficient_ = 0.0;  // log_kernel_coefficient(U / (2 sqrt D))
};

}  // namespace models
