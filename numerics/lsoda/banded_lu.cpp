#include "numerics/lsoda/banded_lu.hpp"

#include <cblas.h>

#include <algorithm>
#include <utility>

namespace numerics::lsoda {
namespace {

struct Band {
    double* a;
    int lda;
    double& operator()(int i, int j) const { return a[(i - 1) + static_cast<long>(j - 1) * lda]; }
    double* at(int i, int j) const { return &(*this)(i, j); }
};

}  // namespace

int dgbfa(double* abd, int lda, int n, int ml, int mu, int* ipvt) {
    const Band b{abd, lda};
    const int m = ml + mu + 1;
    int info = 0;
    // Zero the fill-in rows of the first columns.
    const int j0 = mu + 2;
    const int j1 = std::min(n, m) - 1;
    for (int jz = j0; jz <= j1; ++jz) {
        for (int i = m + 1 - jz; i <= ml; ++i) b(i, jz) = 0.0;
    }
    int jz = j1;
    int ju = 0;
    for (int k = 1; k <= n - 1; ++k) {
        // Zero the fill-in rows of the next column.
        ++jz;
        if (jz <= n) {
            for (int i = 1; i <= ml; ++i) b(i, jz) = 0.0;
        }
        const int lm = std::min(ml, n - k);
        int l = static_cast<int>(cblas_idamax(lm + 1, b.at(m, k), 1)) + m;
        ipvt[k - 1] = l + k - m;
        if (b(l, k) == 0.0) {
            info = k;  // this column is already triangular
            continue;
        }
        if (l != m) std::swap(b(l, k), b(m, k));
        const double t = -1.0 / b(m, k);
        cblas_dscal(lm, t, b.at(m + 1, k), 1);
        // Eliminate column by column, as far as the row interchanges have widened U.
        ju = std::min(std::max(ju, mu + ipvt[k - 1]), n);
        int mm = m;
        for (int j = k + 1; j <= ju; ++j) {
            --l;
            --mm;
            const double tj = b(l, j);
            if (l != mm) {
                b(l, j) = b(mm, j);
                b(mm, j) = tj;
            }
            cblas_daxpy(lm, tj, b.at(m + 1, k), 1, b.at(mm + 1, j), 1);
        }
    }
    ipvt[n - 1] = n;
    if (b(m, n) == 0.0) info = n;
    return info;
}

void dgbsl(const double* abd, int lda, int n, int ml, int mu, const int* ipvt, double* x, int job) {
    const Band b{const_cast<double*>(abd), lda};
    const int m = mu + ml + 1;
    if (job == 0) {
        // Solve L y = b, then U x = y.
        if (ml != 0) {
            for (int k = 1; k <= n - 1; ++k) {
                const int lm = std::min(ml, n - k);
                const int l = ipvt[k - 1];
                const double t = x[l - 1];
                if (l != k) {
                    x[l - 1] = x[k - 1];
                    x[k - 1] = t;
                }
                cblas_daxpy(lm, t, b.at(m + 1, k), 1, &x[k], 1);
            }
        }
        for (int k = n; k >= 1; --k) {
            x[k - 1] = x[k - 1] / b(m, k);
            const int lm = std::min(k, m) - 1;
            const int la = m - lm;
            const int lb = k - lm;
            const double t = -x[k - 1];
            cblas_daxpy(lm, t, b.at(la, k), 1, &x[lb - 1], 1);
        }
        return;
    }
    // Solve trans(U) y = b, then trans(L) x = y.
    for (int k = 1; k <= n; ++k) {
        const int lm = std::min(k, m) - 1;
        const int la = m - lm;
        const int lb = k - lm;
        const double t = cblas_ddot(lm, b.at(la, k), 1, &x[lb - 1], 1);
        x[k - 1] = (x[k - 1] - t) / b(m, k);
    }
    if (ml != 0) {
        for (int k = n - 1; k >= 1; --k) {
            const int lm = std::min(ml, n - k);
            x[k - 1] = x[k - 1] + cblas_ddot(lm, b.at(m + 1, k), 1, &x[k], 1);
            const int l = ipvt[k - 1];
            if (l != k) std::swap(x[l - 1], x[k - 1]);
        }
    }
}

}  // namespace numerics::lsoda
