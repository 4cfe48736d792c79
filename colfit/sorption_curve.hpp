#pragma once
// The sorbed concentration at every data time of a sorption series, as the sorption solve computes
// it (the same integrator with the same settings, the same rate laws and forcing, the isotherms
// point by point), except that a failed integration makes the curve void instead of ending the
// program, and the integrator's diagnostics are not printed (the fit switches them off).

#include <optional>
#include <vector>

#include "models/sorption_series.hpp"
#include "models/sorption_solve.hpp"

namespace colfit {

// C* at each time of the run's series; nullopt when the integrator failed on some interval.
std::optional<std::vector<double>> sorbed_concentrations(
    models::globalvars::SorptionRun& run, const models::adsoodesolvermod::Vartrans2& tolerances);

}  // namespace colfit
