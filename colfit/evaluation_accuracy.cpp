// The fit's model accuracy and finite-difference steps.
#include "colfit/evaluation_accuracy.hpp"

#include <cmath>
#include <limits>

namespace colfit {
namespace {

// A model value is asked to 1e-8 of the data's scale; the quadrature's error estimates are
// pessimistic, so that values usually agree to 1e-12 and better with a far tighter evaluation.
constexpr double kRelative = 1e-8;
constexpr std::int32_t kLimit = 1000;
constexpr double kOdeRelative = 1e-10;

// errabs of an integral whose value is multiplied by `factor`: 0 (relative accuracy only) when the
// factor is not a finite number other than 0.
double integral_errabs(double absolute, double factor) {
    const double magnitude = std::fabs(factor);
    if (!(magnitude > 0.0 && magnitude <= std::numeric_limits<double>::max())) return 0.0;
    const double errabs = absolute / magnitude;
    return errabs <= std::numeric_limits<double>::max() ? errabs : std::numeric_limits<double>::max();
}

}  // namespace

EvaluationAccuracy evaluation_accuracy(double data_scale) {
    // The integrator needs a positive absolute tolerance: C* starts at 0.
    const double ode_scale = data_scale > 0.0 ? data_scale : 1.0;
    return {.relative = kRelative,
            .absolute = kRelative * data_scale,
            .limit = kLimit,
            .ode_relative = kOdeRelative,
            .ode_absolute = kOdeRelative * ode_scale};
}

double forward_step(const EvaluationAccuracy& accuracy) {
    return std::sqrt(accuracy.relative);
}

double central_step(const EvaluationAccuracy& accuracy) {
    return std::cbrt(accuracy.relative);
}

models::QuadratureTolerances instantaneous_tolerances(const EvaluationAccuracy& accuracy,
                                                      const models::InstantaneousInjection& model, double t,
                                                      double x) {
    const models::colloidm::State& s = model.state();
    const double factor = std::exp(s.u * x / (2.0 * s.d) - s.h * t) * model.cm() / std::sqrt(s.d);
    return {.errabs = integral_errabs(accuracy.absolute, factor), .errrel = accuracy.relative};
}

models::QuadratureTolerances broad_pulse_tolerances(const EvaluationAccuracy& accuracy,
                                                    const models::BroadPulseParameters& p, double x) {
    const double factor = p.conc0 * (p.u / std::sqrt(p.d)) * std::exp(p.u * x / (2.0 * p.d));
    return {.errabs = integral_errabs(accuracy.absolute, factor), .errrel = accuracy.relative};
}

models::QuadratureTolerances broad_pulse_scaled_tolerances(const EvaluationAccuracy& accuracy,
                                                           const models::BroadPulseParameters& p) {
    return {.errabs = integral_errabs(accuracy.absolute, p.conc0 * (p.u / std::sqrt(p.d))),
            .errrel = accuracy.relative};
}

models::adsoodesolvermod::Vartrans2 sorption_tolerances(const EvaluationAccuracy& accuracy) {
    return {.absolute = accuracy.ode_absolute, .relative = accuracy.ode_relative};
}

}  // namespace colfit
