#pragma once
// The solute concentration that drives the kinetic laws: the measured series as a function of time.

#include "models/sorption_series.hpp"

namespace models::adsoodesolvermod {

// C(t): the straight line through the two data points of the interval that contains t, for
// t_1 <= t <= t_n; C_n beyond the last time and 0 before the first. The current interval
// (run.it - 1, run.it) is tried first; any other is found by bisection. The times must increase
// strictly.
double solute_concentration(const globalvars::SorptionRun& run, double t);

}  // namespace models::adsoodesolvermod
