#pragma once
// One colloid transport model of either kind behind one interface: the instantaneous injection or
// the pulse of finite duration, with the accuracy asked of its integrations.
//
//     common::MessageFile messages;                       // where quadrature warnings go
//     numerics::Quadrature quadrature(300, messages);     // at most 300 subintervals per integral
//     models::ColloidModel model(models::BroadPulseParameters{.d = 1.5, ..., .rh0 = 1.6},
//                                {.errabs = 1e-12, .errrel = 1e-6});
//     const double c = model.concentration(t, x, quadrature);   // [g/cm^3] at t [hr], x [cm]

#include <variant>

#include "models/broad_pulse.hpp"
#include "models/instantaneous_injection.hpp"
#include "models/quadrature_tolerances.hpp"
#include "numerics/quadrature.hpp"

namespace models {

class ColloidModel {
  public:
    ColloidModel(const InstantaneousParameters& parameters, QuadratureTolerances tolerances)
        : model_(std::in_place_type<InstantaneousInjection>, parameters), tolerances_(tolerances) {}
    ColloidModel(const BroadPulseParameters& parameters, QuadratureTolerances tolerances)
        : model_(std::in_place_type<BroadPulse>, parameters), tolerances_(tolerances) {}

    // The concentration of suspended particles at time t and position x.
    double concentration(double t, double x, numerics::Quadrature& quadrature) {
        return std::visit([&](auto& model) { return model.concentration(t, x, quadrature, tolerances_); },
                          model_);
    }

  private:
    std::variant<InstantaneousInjection, BroadPulse> model_;
    QuadratureTolerances tolerances_;
};

}  // namespace models
