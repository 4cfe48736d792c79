#pragma once
// Unit roundoff, error weights and the weighted norms of vectors and iteration matrices.

namespace numerics::lsoda {

// The unit roundoff of doubles, found by halving: 2.220446049250313e-16 on IEEE machines.
double unit_roundoff();

// EWT(i) = RTOL * |ycur(i)| + ATOL, with RTOL and ATOL scalars or arrays as ITOL (1 to 4) says.
void set_error_weights(int n, int itol, const double* rtol, const double* atol, const double* ycur,
                       double* ewt);

// max over i of |v(i)| * w(i).
double weighted_max_norm(int n, const double* v, const double* w);

// The norm of an n by n matrix (column-major, leading dimension n) consistent with the weighted
// max norm: max over i of w(i) * sum over j of |a(i,j)| / w(j).
double full_matrix_norm(int n, const double* a, const double* w);

// The same for a band matrix with ml sub- and mu superdiagonals stored by diagonals: a(i,j) at
// a[(i - j + mu) + j * nra] (0-based), so the main diagonal is row mu.
double banded_matrix_norm(int n, const double* a, int nra, int ml, int mu, const double* w);

}  // namespace numerics::lsoda
