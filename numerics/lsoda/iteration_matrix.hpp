#pragma once
// The iteration matrix of the chord Newton corrector, P = I - h l_0 J, with J from the user's JAC
// or by difference quotients, full or banded, and the solves with its LU factors.

#include "numerics/lsoda/state.hpp"

namespace numerics::lsoda {

// Forms and factors P for the iteration type s.miter at time s.tn, y = the predicted solution (on
// return y holds it again) and w.savf = f(tn, y). w.acor serves as work space. Counts the
// evaluation in s.nje (and the f calls in s.nfe), sets s.jcur and s.pdnorm (the weighted norm of J),
// and sets s.ierpj when a pivot is zero. Returns whether the factorisation succeeded.
bool form_iteration_matrix(SolverState& s, const Problem& p, double* y, const WorkArrays& w);

// Overwrites x with the solution of P z = x.
void solve_iteration_matrix(const SolverState& s, const WorkArrays& w, double* x);

}  // namespace numerics::lsoda
