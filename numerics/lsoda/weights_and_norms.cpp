#include "numerics/lsoda/weights_and_norms.hpp"

#include <algorithm>
#include <cmath>

namespace numerics::lsoda {

double unit_roundoff() {
    volatile double u = 1.0;
    volatile double sum = 0.0;
    do {
        u = u * 0.5;
        sum = 1.0 + u;
    } while (sum != 1.0);
    return u * 2.0;
}

void set_error_weights(int n, int itol, const double* rtol, const double* atol, const double* ycur,
                       double* ewt) {
    const bool rtol_array = itol == 3 || itol == 4;
    const bool atol_array = itol == 2 || itol == 4;
    for (int i = 0; i < n; ++i) {
        const double r = rtol_array ? rtol[i] : rtol[0];
        const double a = atol_array ? atol[i] : atol[0];
        ewt[i] = r * std::fabs(ycur[i]) + a;
    }
}

double weighted_max_norm(int n, const double* v, const double* w) {
    double vm = 0.0;
    for (int i = 0; i < n; ++i) vm = std::max(vm, std::fabs(v[i]) * w[i]);
    return vm;
}

double full_matrix_norm(int n, const double* a, const double* w) {
    double an = 0.0;
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        for (int j = 0; j < n; ++j) sum = sum + std::fabs(a[i + static_cast<long>(j) * n]) / w[j];
        an = std::max(an, sum * w[i]);
    }
    return an;
}

double banded_matrix_norm(int n, const double* a, int nra, int ml, int mu, const double* w) {
    double an = 0.0;
    for (int i = 0; i < n; ++i) {
        double sum = 0.0;
        const int jlo = std::max(i - ml, 0);
        const int jhi = std::min(i + mu, n - 1);
        for (int j = jlo; j <= jhi; ++j)
            sum = sum + std::fabs(a[(i - j + mu) + static_cast<long>(j) * nra]) / w[j];
        an = std::max(an, sum * w[i]);
    }
    return an;
}

}  // namespace numerics::lsoda
