// The fit's model accuracy and finite-difference steps.
#include "colfit/evaluation_accuracy.hpp"

#include <cmath>

namespace colfit {
namespace {

// A model value is asked to 1e-8 of the data's scale (the transport models then agree with an
// independent evaluation to about 1e-12 of a curve's peak: bench/transport_accuracy).
constexpr double kRelative = 1e-8;
constexpr std::int32_t kLimit = 1000;
constexpr double kOdeRelative = 1e-10;

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

models::QuadratureTolerances colloid_tolerances(const EvaluationAccuracy& accuracy) {
    return {.errabs = accuracy.absolute, .errrel = accuracy.relative};
}

models::adsoodesolvermod::Vartrans2 sorption_tolerances(const EvaluationAccuracy& accuracy) {
    return {.absolute = accuracy.ode_absolute, .relative = accuracy.ode_relative};
}

}  // namespace colfit
