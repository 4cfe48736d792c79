// The sorption series solve with the integrator's state examined after every interval.
#include "colfit/sorption_curve.hpp"

#include <cstdint>

#include "models/sorption_forcing.hpp"
#include "models/sorption_laws.hpp"
#include "numerics/lsoda.hpp"

namespace colfit {
namespace {

namespace sorption = models::adsoodesolvermod;

// The run being integrated on this thread: the integrator's right-hand side has no argument for it.
thread_local const models::globalvars::SorptionRun* integrated_run = nullptr;

void rate(const int*, const double* t, const double* y, double* ydot) {
    const models::globalvars::SorptionRun& run = *integrated_run;
    ydot[0] =
        sorption::adsorptiontypesydot(run.type_code, run.par, sorption::solute_concentration(run, *t), y[0]);
}

}  // namespace

std::optional<std::vector<double>> sorbed_concentrations(models::globalvars::SorptionRun& run,
                                                         const sorption::Vartrans2& tolerances) {
    const std::size_t n = run.timevector.size();
    std::vector<double> sorbed(n, 0.0);
    run.it = 0;
    if (run.type_code > sorption::kLastKineticType) {
        (void)sorption::solveeqads(sorbed, run);  // a zero Langmuir denominator gives 0, as in a run
        return sorbed;
    }
    struct Active {
        explicit Active(const models::globalvars::SorptionRun& r) { integrated_run = &r; }
        ~Active() { integrated_run = nullptr; }
    } active(run);
    // The settings of the sorption solve: one equation, scalar tolerances, normal output at TOUT,
    // no optional inputs, the Jacobian formed by differences.
    int neq[2] = {1, 1};
    double y[1] = {0.0};
    double t = n >= 1 ? run.timevector[0] : 0.0;
    const int itol = 1;
    const int itask = 1;
    int istate = 1;
    const int iopt = 0;
    double rwork[70] = {};
    const int lrw = 70;
    int iwork[23] = {};
    const int liw = 23;
    const int jt = 2;
    for (std::size_t j = 1; j < n; ++j) {
        run.it = static_cast<std::int32_t>(j + 1);
        const double tout = run.timevector[j];
        numerics::dlsoda(rate, neq, y, &t, &tout, &itol, &tolerances.relative, &tolerances.absolute, &itask,
                         &istate, &iopt, rwork, &lrw, iwork, &liw, sorption::jdum, &jt);
        if (istate < 0) return std::nullopt;
        sorbed[j] = y[0];
    }
    return sorbed;
}

}  // namespace colfit
