#pragma once
// The sorption solve: the sorbed concentration at every data time, by integrating a kinetic law
// over the measured series or by evaluating an isotherm point by point.

#include <cstdint>
#include <vector>

#include "coltrans/progress.hpp"
#include "models/sorption_series.hpp"

namespace adsoodesolvermod {

// The tolerances of the integrator, absolute first.
struct Vartrans2 {
    double absolute = 0.0;
    double relative = 0.0;
};

// Fills cavector (one entry per data time) and returns the error flag: 0, or -1 when an isotherm
// could not be evaluated at some point. An integration that fails before the last data time ends
// the program inside the integrator.
std::int32_t solveode(std::vector<double>& cavector, globalvars::SorptionRun& run,
                      const Vartrans2& tolerances, coltrans::ProgressDisplay& progress);

// The equilibrium branch (type codes above 18).
std::int32_t solveeqads(std::vector<double>& cavector, const globalvars::SorptionRun& run);

// The right-hand side and the unused Jacobian in the integrator's calling convention. fex reads the
// run that solveode is integrating.
void fex(const int* neq, const double* t, const double* y, double* ydot);
void jdum(const int* neq, const double* t, const double* y, const int* ml, const int* mu, double* pd,
          const int* nrowpd);

}  // namespace adsoodesolvermod
