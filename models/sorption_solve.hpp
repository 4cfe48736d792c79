#pragma once
// The sorption solve: the sorbed concentration at every data time, by integrating a kinetic law
// over the measured series or by evaluating an isotherm point by point.

#include <cstdint>
#include <vector>

#include "models/sorption_series.hpp"
#include "numerics/function_ref.hpp"

namespace models::adsoodesolvermod {

// The tolerances of the integrator, absolute first.
struct Vartrans2 {
    double absolute = 0.0;
    double relative = 0.0;
};

// Called after each integration step with the 1-based index of the data time just reached (2 to n)
// and n.
using StepProgress = numerics::FunctionRef<void(std::int32_t step, std::int32_t total)>;

// Fills cavector (one entry per data time, sized by the caller) and returns the error flag: 0, or -1
// when an isotherm could not be evaluated at some point. A kinetic law is integrated from the first
// data time with C* = 0 there; an isotherm is evaluated point by point. The integrator reports its
// own diagnostics on the console, and an integration that fails before the last data time ends the
// program inside it (common::ProgramEnd); a failure on the last interval is left in run.istate.
//
//     models::globalvars::SorptionRun run{.timevector = t, .cexpvector = c, .par = par, .type_code = 12};
//     std::vector<double> sorbed(t.size());
//     solveode(sorbed, run, {.absolute = 1e-10, .relative = 1e-8}, [](std::int32_t, std::int32_t) {});
std::int32_t solveode(std::vector<double>& cavector, globalvars::SorptionRun& run,
                      const Vartrans2& tolerances, StepProgress progress);

// The same solve, except that an integration that fails on some interval ends it there (false, with
// cavector filled up to that interval) instead of ending the program at the next call.
bool solve_checked(std::vector<double>& cavector, globalvars::SorptionRun& run, const Vartrans2& tolerances,
                   StepProgress progress);

// The equilibrium branch (type codes above 18).
std::int32_t solveeqads(std::vector<double>& cavector, const globalvars::SorptionRun& run);

// The right-hand side and the unused Jacobian in the integrator's calling convention. fex reads the
// run that solveode is integrating.
void fex(const int* neq, const double* t, const double* y, double* ydot);
void jdum(const int* neq, const double* t, const double* y, const int* ml, const int* mu, double* pd,
          const int* nrowpd);

}  // namespace models::adsoodesolvermod
