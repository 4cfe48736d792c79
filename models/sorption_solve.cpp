#include "models/sorption_solve.hpp"

#include <optional>

#include "models/sorption_forcing.hpp"
#include "models/sorption_laws.hpp"
#include "numerics/lsoda.hpp"

namespace models::adsoodesolvermod {
namespace {

// The run whose series drives fex, for the duration of one solve. The integrator's right-hand side
// has no argument through which it could be passed.
thread_local globalvars::SorptionRun* active_run = nullptr;

class ActiveRun {
  public:
    explicit ActiveRun(globalvars::SorptionRun& run) { active_run = &run; }
    ~ActiveRun() { active_run = nullptr; }
    ActiveRun(const ActiveRun&) = delete;
    ActiveRun& operator=(const ActiveRun&) = delete;
};

}  // namespace

void fex(const int*, const double* t, const double* y, double* ydot) {
    const globalvars::SorptionRun& run = *active_run;
    ydot[0] = adsorptiontypesydot(run.type_code, run.par, solute_concentration(run, *t), y[0]);
}

void jdum(const int*, const double*, const double*, const int*, const int*, double*, const int*) {}

std::int32_t solveeqads(std::vector<double>& cavector, const globalvars::SorptionRun& run) {
    std::int32_t error_flag = 0;
    for (std::size_t i = 0; i < run.cexpvector.size(); ++i) {
        if (run.type_code > kLastEquilibriumType) {  // no isotherm: no sorption
            cavector[i] = 0.0;
            continue;
        }
        const std::optional<double> sorbed = equilibrium_sorbed(run.type_code, run.par, run.cexpvector[i]);
        cavector[i] = sorbed.value_or(0.0);
        if (!sorbed) error_flag = -1;
    }
    return error_flag;
}

namespace {

// What a failed interval leads to: as published, its ISTATE is passed back on the next call, which
// ends the program; or the solve ends there.
enum class AfterFailure { carry_over, end_solve };

// The solve; returns the error flag of the isotherms, or nullopt when it ended at a failed interval.
std::optional<std::int32_t> solve(std::vector<double>& cavector, globalvars::SorptionRun& run,
                                  const Vartrans2& tolerances, StepProgress progress, AfterFailure after) {
    const auto n = static_cast<std::int32_t>(run.timevector.size());
    run.it = 0;
    run.istate = 0;
    if (n >= 1) cavector[0] = 0.0;
    if (run.type_code > kLastKineticType) return solveeqads(cavector, run);

    const ActiveRun active(run);
    int neq[2] = {1, 1};
    double y[1] = {0.0};
    double t = n >= 1 ? run.timevector[0] : 0.0;
    const int itol = 1;
    const double rtol = tolerances.relative;
    const double atol = tolerances.absolute;
    const int itask = 1;
    int istate = 1;
    const int iopt = 0;
    double rwork[70] = {};
    const int lrw = 70;
    int iwork[23] = {};
    const int liw = 23;
    const int jt = 2;
    for (std::int32_t j = 2; j <= n; ++j) {
        run.it = j;
        const double tout = run.timevector[static_cast<std::size_t>(j - 1)];
        numerics::dlsoda(fex, neq, y, &t, &tout, &itol, &rtol, &atol, &itask, &istate, &iopt, rwork, &lrw,
                         iwork, &liw, jdum, &jt);
        cavector[static_cast<std::size_t>(j - 1)] = y[0];
        run.istate = istate;
        if (istate < 0 && after == AfterFailure::end_solve) return std::nullopt;
        progress(j, n);
    }
    return 0;
}

}  // namespace

std::int32_t solveode(std::vector<double>& cavector, globalvars::SorptionRun& run,
                      const Vartrans2& tolerances, StepProgress progress) {
    return *solve(cavector, run, tolerances, progress, AfterFailure::carry_over);
}

bool solve_checked(std::vector<double>& cavector, globalvars::SorptionRun& run, const Vartrans2& tolerances,
                   StepProgress progress) {
    return solve(cavector, run, tolerances, progress, AfterFailure::end_solve).has_value();
}

}  // namespace models::adsoodesolvermod
