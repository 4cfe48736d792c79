#pragma once
// The model that input.txt describes once the template carries twelve parameter values: the family
// that SimMode selects, and the parameters of that family as the simulator reads lines 2 to 11.

#include <array>
#include <cstdint>
#include <string_view>

#include "colfit/parameter_layout.hpp"
#include "models/colloid_model.hpp"
#include "models/quadrature_tolerances.hpp"

namespace colfit {

enum class Family {
    instantaneous,  // SimMode 0, 2, ... 10
    broad_pulse,    // SimMode 1, 3, ... 11
    sorption,       // any other SimMode
};

// SimMode as the simulator reads it from line 1 (single precision).
float sim_mode_of(const ParameterValues& values);
Family family_of(float sim_mode);
std::string_view family_name(Family family);

// The transport model of a colloid family (not sorption) with these values, integrating to
// `tolerances`, as the simulator builds it from lines 2 to 11.
models::ColloidModel colloid_model(Family family, const ParameterValues& values,
                                   models::QuadratureTolerances tolerances);
// Parameter 1 to 9 of the sorption laws (lines 2 to 10).
std::array<double, 9> sorption_parameters(const ParameterValues& values);

}  // namespace colfit
