#pragma once
// The accuracy at which the fit evaluates the models, far tighter than the template's, and the
// finite-difference steps sized to it. Everything that depends on how the models form their values
// from integrals or from the integrator is here, so that a change in the models' evaluation is
// re-tuned in this one place.

#include <cstdint>

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

// The tolerances of the transport models: a relative accuracy, and an absolute one in units of the
// concentration (the models hold a value to max(absolute, relative |C|)).
models::QuadratureTolerances colloid_tolerances(const EvaluationAccuracy& accuracy);

// The sorption integrator's tolerances (the absolute one positive: C* starts at 0).
models::adsoodesolvermod::Vartrans2 sorption_tolerances(const EvaluationAccuracy& accuracy);

}  // namespace colfit
