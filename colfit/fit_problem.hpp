#pragma once
// The problem a fit solves, as a calibration by the outside engine of the same files poses it: the
// observations (their points as the template writes them), the model family, and each parameter's
// role: estimated within its bounds, fixed at its initial value, or (l2) tied to Kirr at the ratio
// of their initial values while both flags are 1.
//
// Inputs that cannot pose such a problem end the run with common::IoFailure naming the file and
// the line: a negative weight, an estimated parameter whose bounds leave no room or exclude its
// initial value, an estimated parameter that no model reads (M0, A0) or that selects the model
// (SimMode), a tie to a Kirr that starts at 0, fewer weighted observations than estimated
// parameters plus one, or sorption data times that do not increase.

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

#include "colfit/fit_inputs.hpp"
#include "colfit/model_input.hpp"
#include "colfit/parameter_layout.hpp"
#include "colfit/transformations.hpp"

namespace colfit {

// One observation. In the sorption modes x is the measured solute concentration C that drives
// the model, and the measured value is the sorbed concentration C*.
struct Observation {
    double t = 0.0;         // time [hr]
    double x = 0.0;         // position [cm], or C
    double measured = 0.0;  // C [g/cm^3] (the units of C0), or C*
    double weight = 0.0;    // weight of the residual [1 / units of the measured value]
};

enum class Role { estimated, fixed, tied };

struct ParameterInput {
    std::string_view name;
    double initial = 0.0;
    double lower = 0.0;
    double upper = 0.0;
    Role role = Role::fixed;
    Scale scale = Scale::linear;  // of an estimated parameter
    int line = 0;                 // its record's line in ParsToFit.txt
};

struct FitProblem {
    InputPaths paths;
    std::array<ParameterInput, kParameterCount> parameters{};
    std::vector<std::size_t> estimated;  // record indices of the estimated parameters, in record order
    double tie_ratio = 0.0;              // l2 / Kirr, when l2 is tied
    float sim_mode = 0.0f;
    Family family = Family::sorption;
    std::vector<Observation> observations;
    std::size_t weighted_observations = 0;  // those with a weight other than 0
    double data_scale = 0.0;                // the largest |measured value| among them

    ParameterValues initial_values() const;
};

FitProblem make_fit_problem(const FitInputs& inputs);

// A time or position as the template writes it into input.txt (8 significant digits).
double as_template_writes(double value);

}  // namespace colfit
