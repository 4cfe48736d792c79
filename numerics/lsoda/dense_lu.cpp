#include "numerics/lsoda/dense_lu.hpp"

#include <cblas.h>

#include <utility>

namespace numerics::lsoda {
namespace {

// Element (i, j), 1-based, of a column-major matrix.
struct Matrix {
    double* a;
    int lda;
    double& operator()(int i, int j) const { return a[(i - 1) + static_cast<long>(j - 1) * lda]; }
    double* at(int i, int j) const { return &(*this)(i, j); }
};

}  // namespace

int dgefa(double* a, int lda, int n, int* ipvt) {
    const Matrix m{a, lda};
    int info = 0;
    for (int k = 1; k <= n - 1; ++k) {
        // The pivot is the entry of largest magnitude on or below the diagonal.
        const int l = static_cast<int>(cblas_idamax(n - k + 1, m.at(k, k), 1)) + k;
        ipvt[k - 1] = l;
        if (m(l, k) == 0.0) {
            info = k;  // this column is already triangular
            continue;
        }
        if (l != k) std::swap(m(l, k), m(k, k));
        const double t = -1.0 / m(k, k);
        cblas_dscal(n - k, t, m.at(k + 1, k), 1);
        // Eliminate column by column.
        for (int j = k + 1; j <= n; ++j) {
            const double tj = m(l, j);
            if (l != k) {
                m(l, j) = m(k, j);
                m(k, j) = tj;
            }
            cblas_daxpy(n - k, tj, m.at(k + 1, k), 1, m.at(k + 1, j), 1);
        }
    }
    ipvt[n - 1] = n;
    if (m(n, n) == 0.0) info = n;
    return info;
}

void dgesl(const double* a, int lda, int n, const int* ipvt, double* b, int job) {
    const Matrix m{const_cast<double*>(a), lda};
    if (job == 0) {
        // Solve L y = b, then U x = y.
        for (int k = 1; k <= n - 1; ++k) {
            const int l = ipvt[k - 1];
            const double t = b[l - 1];
            if (l != k) {
                b[l - 1] = b[k - 1];
                b[k - 1] = t;
            }
            cblas_daxpy(n - k, t, m.at(k + 1, k), 1, &b[k], 1);
        }
        for (int k = n; k >= 1; --k) {
            b[k - 1] = b[k - 1] / m(k, k);
            const double t = -b[k - 1];
            cblas_daxpy(k - 1, t, m.at(1, k), 1, &b[0], 1);
        }
        return;
    }
    // Solve trans(U) y = b, then trans(L) x = y.
    for (int k = 1; k <= n; ++k) {
        const double t = cblas_ddot(k - 1, m.at(1, k), 1, &b[0], 1);
        b[k - 1] = (b[k - 1] - t) / m(k, k);
    }
    for (int k = n - 1; k >= 1; --k) {
        b[k - 1] = b[k - 1] + cblas_ddot(n - k, m.at(k + 1, k), 1, &b[k], 1);
        const int l = ipvt[k - 1];
        if (l != k) std::swap(b[l - 1], b[k - 1]);
    }
}

}  // namespace numerics::lsoda
