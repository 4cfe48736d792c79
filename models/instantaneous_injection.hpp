#pragma once
// Concentration of suspended colloids after an instantaneous injection at the inlet: a closed
// form plus one integral over time whose kernel holds I1.

#include <optional>

#include "models/colloid_state.hpp"
#include "models/quadrature_tolerances.hpp"
#include "models/range_guard.hpp"
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
    // made only when b > 0. C = (K(t) + R) exp(U x/(2D) - h t) Cm / sqrt(D) is computed as written
    // unless a factor of it leaves the range of doubles where that matters (see range_guard.hpp);
    // then with the final exponential carried into K(t) and into the integrand.
    double concentration(double t, double x, numerics::Quadrature& quadrature,
                         QuadratureTolerances tolerances);

    // The integrand of the single integral at tau, for the time and position last set.
    double ffunc2(double tau) const;
    // The same times exp(U x/(2D) - h time), with the exponential of I1's large-argument form and
    // the final exponential combined with the kernel's exponents.
    double ffunc2_scaled(double tau) const;

    const colloidm::State& state() const noexcept { return colloidm_; }
    double cm() const noexcept { return cm_; }

  private:
    // C as written when what may leave the range of doubles is bounded beforehand; C as written
    // with every integrand value watched; C in the scaled form. The first two give nothing when
    // their result cannot stand.
    std::optional<double> plain_concentration(double t, double final_factor, numerics::Quadrature& quadrature,
                                              QuadratureTolerances tolerances);
    std::optional<double> watched_concentration(double t, double final_factor,
                                                numerics::Quadrature& quadrature,
                                                QuadratureTolerances tolerances);
    double scaled_concentration(double t, numerics::Quadrature& quadrature, QuadratureTolerances tolerances);
    // Inlined into the integrand of its integration: it runs for every node.
    [[gnu::always_inline]] inline double watched_ffunc2(double tau, double e1_floor, OutOfRangeNodes& nodes,
                                                        RangeGuard& guard) const;

    colloidm::State colloidm_;
    TransportKernel kernel_;        // K at the current position
    double cm_ = 0.0;               // mi / (Theta A0)
    double log_scale_ = 0.0;        // log |Cm / sqrt(D)|
    double log_b_ = 0.0;            // log b, for b > 0
    double log_coefficient_ = 0.0;  // log_kernel_coefficient(U / (2 sqrt D))
};

}  // namespace models
