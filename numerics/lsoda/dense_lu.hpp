#pragma once
// LU factorisation with partial pivoting of a full matrix, and solves with its factors, over the
// level-1 BLAS. The matrix is column-major with leading dimension lda; pivot indices are 1-based.

namespace numerics::lsoda {

// Factors the n by n matrix a in place (L with unit diagonal below, U on and above the diagonal;
// the multipliers are stored negated). Returns 0, or k (1-based) when U(k,k) is zero: the factors
// are complete, but a solve with them would divide by zero.
int dgefa(double* a, int lda, int n, int* ipvt);

// Solves A x = b (job 0) or trans(A) x = b (any other job) with the factors of dgefa; b becomes x.
void dgesl(const double* a, int lda, int n, const int* ipvt, double* b, int job);

}  // namespace numerics::lsoda
