#pragma once
// The accuracy at which the fit evaluates the models, far tighter than the template's, and the
// finite-difference steps sized to it. Everything that depends on how the models form their values
// from integrals or from the integrator is here, so that a change in the models' evaluation is
// re-tuned in this one place.

#include <cstdint>

#include "models/broad_pulse.hpp"
#include "models/instantaneous_injection.hpp"
#include "models/quadrature_tolerances.hpp"
#include "models/sorption_solve.hpp"

namespace colfit {

struct EvaluationAccuracy {
    double relative = 0.0;      // relative accuracy of a model value
    double absolute = 0.0;      // absolute accuracy of a model value [units of the measured values]
    std::int32_t limit = 0;     // subintervals per integral
    double ode_relative = 0.0;  // tolerances of the sorption integrator, whose global error exceeds
    double ode_absolute = 0.0;  // its local one [the second in units of C*]
};

// The accuracy for data whose largest measured value (with a weight) is `data_scale`.
EvaluationAccuracy evaluation_accuracy(double data_scale);

// Finite-difference steps in the statistical variables, relative to their scale: forward
// differences while the solver iterates, central ones for the statistics.
double forward_step(const EvaluationAccuracy& accuracy);
double central_step(const EvaluationAccuracy& accuracy);

// The integrals' tolerances that give a concentration the accuracy asked: the absolute tolerance
// is carried through the factor that multiplies the integrals (for the instantaneous injection
// exp(U x/(2D) - h t) Cm / sqrt(D), for the broad pulse Conc0 (U / sqrt(D)) exp(U x/(2D))).
models::QuadratureTolerances instantaneous_tolerances(const EvaluationAccuracy& accuracy,
                                                      const models::InstantaneousInjection& model, double t,
                                                      double x);
models::QuadratureTolerances broad_pulse_tolerances(const EvaluationAccuracy& accuracy,
                                                    const models::BroadPulseParameters& p, double x);
// The same for the broad pulse's scaled integrals, which carry exp(U x/(2D)) inside: the factor is
// Conc0 (U / sqrt(D)).
models::QuadratureTolerances broad_pulse_scaled_tolerances(const EvaluationAccuracy& accuracy,
                                                           const models::BroadPulseParameters& p);

// The sorption integrator's tolerances (the absolute one positive: C* starts at 0).
models::adsoodesolvermod::Vartrans2 sorption_tolerances(const EvaluationAccuracy& accuracy);

}  // namespace colfit
