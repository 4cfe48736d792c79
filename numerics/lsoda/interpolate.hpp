#pragma once
// Dense output: the k-th derivative of the solution at a time t within the last step, from the
// Nordsieck array.

#include "numerics/lsoda/state.hpp"

namespace numerics::lsoda {

enum class InterpolationResult : int { ok = 0, bad_order = -1, bad_time = -2 };

// Stores the k-th derivative (0 <= k <= nq) at t in dky[0..n-1]. t must satisfy
// (t - tp) * (t - tn) <= 0 with tp = tn - hu - 100 * uround * (|tn| + |hu|) (that sum taking the
// sign of hu). Otherwise the message of the failure is reported and dky is left alone.
InterpolationResult interpolate(const SolverState& s, double t, int k, const double* yh, double* dky);

}  // namespace numerics::lsoda
