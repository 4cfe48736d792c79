// The sorption series solve with the integrator's state examined after every interval.
#include "colfit/sorption_curve.hpp"

namespace colfit {

std::optional<std::vector<double>> sorbed_concentrations(
    models::globalvars::SorptionRun& run, const models::adsoodesolvermod::Vartrans2& tolerances) {
    std::vector<double> sorbed(run.timevector.size(), 0.0);
    // A zero Langmuir denominator gives 0 at that point, as in a run.
    if (!models::adsoodesolvermod::solve_checked(sorbed, run, tolerances, [](std::int32_t, std::int32_t) {}))
        return std::nullopt;
    return sorbed;
}

}  // namespace colfit
