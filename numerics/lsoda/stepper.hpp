#pragma once
// One step of the integrator: prediction, correction, local error test, the choice of the next step
// size and order, and the method switch.

#include "numerics/lsoda/state.hpp"

namespace numerics::lsoda {

// Takes one step from s.tn with step size s.h (or smaller, after failures), as s.jstart says, and
// leaves the state ready for the next one (s.jstart = continuing). On success the Nordsieck array
// holds the new solution at s.tn and the counters are advanced; after a failure the array is that
// of the last step reached. y is work space of n entries, used for f calls.
StepResult advance_one_step(SolverState& s, const Problem& p, double* y, const WorkArrays& w);

// Sets el, el0, conit and the Nordsieck size for the current order from the method's coefficients.
void set_order_coefficients(SolverState& s);

// Applies the step-size ratio rh (bound by RMAX, HMAX and, for the Adams methods, the stability
// region) by rescaling the Nordsieck array. With at_least_hmin the new step is not below HMIN.
void rescale_step(SolverState& s, double* yh, double rh, bool at_least_hmin);

}  // namespace numerics::lsoda
