#pragma once
// The corrector of one step attempt: functional iteration for the Adams methods, chord Newton
// iteration with the iteration matrix for the BDF, with the convergence-rate test and the Lipschitz
// estimate that feeds the stiffness tests.

#include "numerics/lsoda/state.hpp"

namespace numerics::lsoda {

struct CorrectorResult {
    bool converged = false;
    int iterations = 0;  // m: corrections after the first when it converged
    double del = 0.0;    // weighted norm of the last correction
};

// Iterates from the predicted Nordsieck array (column 0 the predicted y) at s.tn. On convergence,
// y holds the corrected solution and w.acor the accumulated correction. When the iteration fails
// and the matrix is not current, a new matrix is formed and the iteration starts again; a failure
// with a current matrix (or a singular one) returns converged = false. pnorm is the weighted norm
// of the predicted y.
CorrectorResult correct(SolverState& s, const Problem& p, double* y, const WorkArrays& w, double pnorm);

}  // namespace numerics::lsoda
