#pragma once
// Concentration of suspended colloids after an instantaneous injection at the inlet: a closed
// form plus one integral over time whose kernel holds I1,
//   C = (K(t) + R) exp(U x/(2D) - h t) Cm / sqrt(D),  R = integral over (0, t) of
//   K(tau) ((tau b) / r) I1(2 r),  r = sqrt(b tau (t - tau)),  when b > 0 (else R = 0).
//
// Evaluation (see models/transport_accuracy.hpp for the accuracy and the domain): every factor is
// taken in scaled form, exp(U x/(2D) - h t) and the exponential of I1's large-argument form combined
// with the kernel's exponent E(tau), so that nothing leaves the range of doubles on the way. R is
// placed where its integrand lives (models/placed_integral.hpp): its model is E(tau) + 2 r plus the
// logarithms of the prefactors, and its panels are split at the peak and where I1's argument 2 r
// reaches 3.75, the branch point of its approximation. R is integrated to the point's accuracy
// less what the closed form already holds.

#include "models/colloid_state.hpp"
#include "models/quadrature_tolerances.hpp"
#include "models/transport_kernel.hpp"
#include "numerics/quadrature.hpp"

namespace models {

struct InstantaneousParameters {
    double d = 0.0;       // hydrodynamic dispersion coefficient [cm^2/hr]
    double kc = 0.0;      // clogging rate constant [1/hr]
    double kr = 0.0;      // declogging rate constant [1/hr]
    double lamda = 0.0;   // inactivation constant of suspended viruses [1/hr]
    double u = 0.0;       // average interstitial velocity [cm/hr]
    double a0 = 0.0;      // cross section area
    double theta = 0.0;   // porosity [-]
    double lamdas = 0.0;  // inactivation constant of adsorbed viruses [1/hr]
    double mi = 0.0;      // source mass rate [gr/sec]
    double rh0 = 0.0;     // bulk density of the solid matrix [g/cm^3]
};

class InstantaneousInjection {
  public:
    explicit InstantaneousInjection(const InstantaneousParameters& p);

    // C at time t and position x. t = 0 gives exactly 0 without any integration; the integral is
    // made only when b > 0.
    double concentration(double t, double x, numerics::Quadrature& quadrature,
                         QuadratureTolerances tolerances);

    // The integrand of the single integral at tau as the formula writes it, for the time and
    // position last set.
    double ffunc2(double tau) const;

    const colloidm::State& state() const noexcept { return colloidm_; }
    double cm() const noexcept { return cm_; }

  private:
    // C in scaled form, placed (the domain), and as the formula writes it (outside it).
    double placed_concentration(double t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances);
    double written_concentration(double t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances);

    colloidm::State colloidm_;
    TransportKernel kernel_;  // K at the current position
    double cm_ = 0.0;         // mi / (Theta A0)
    bool parameters_in_domain_ = false;
};

}  // namespace models
