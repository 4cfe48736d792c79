#pragma once
// LU factorisation with partial pivoting of a band matrix, and solves with its factors, over the
// level-1 BLAS. Storage by diagonals with room for the fill-in: with m = ml + mu + 1, element (i, j)
// of the matrix (1-based) is abd(i - j + m, j) of an lda by n column-major array, lda >= 2 ml + mu + 1;
// rows 1 to ml of abd are work space. Pivot indices are 1-based.

namespace numerics::lsoda {

// Factors in place; returns 0, or k (1-based) when U(k,k) is zero.
int dgbfa(double* abd, int lda, int n, int ml, int mu, int* ipvt);

// Solves A x = b (job 0) or trans(A) x = b (any other job) with the factors of dgbfa; b becomes x.
void dgbsl(const double* abd, int lda, int n, int ml, int mu, const int* ipvt, double* b, int job);

}  // namespace numerics::lsoda
