#pragma once
// The transport model of a colloid run, chosen by the mode family, with its derived values computed
// from the settings of input.txt.

#include <variant>

#include "coltrans/colloid_settings.hpp"
#include "models/broad_pulse.hpp"
#include "models/instantaneous_injection.hpp"
#include "numerics/quadrature.hpp"

namespace models {

class ColloidModel {
  public:
    ColloidModel(coltrans::ColloidFamily family, const coltrans::ColloidSettings& settings);

    double concentration(double t, double x, numerics::Quadrature& quadrature) {
        return std::visit([&](auto& model) { return model.concentration(t, x, quadrature, tolerances_); },
                          model_);
    }

  private:
    using Model = std::variant<InstantaneousInjection, BroadPulse>;
    Model model_;
    QuadratureTolerances tolerances_;
};

}  // namespace models
