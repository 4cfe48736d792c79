#include "numerics/lsoda/interpolate.hpp"

#include <cmath>

#include "numerics/lsoda/messages.hpp"

namespace numerics::lsoda {
namespace {

// (j + 1 - k)(j + 2 - k)...j: the factor that the k-th derivative takes from column j.
double falling_factor(int j, int k) {
    int ic = 1;
    for (int jj = j + 1 - k; jj <= j; ++jj) ic *= jj;
    return ic;
}

}  // namespace

InterpolationResult interpolate(const SolverState& s, double t, int k, const double* yh, double* dky) {
    if (k < 0 || k > s.nq) {
        report(Message::derivative_order_illegal, {k});
        return InterpolationResult::bad_order;
    }
    const double span = std::fabs(s.tn) + std::fabs(s.hu);
    const double tp = s.tn - s.hu - 100.0 * s.uround * (s.hu < 0.0 ? -span : span);
    if ((t - tp) * (t - s.tn) > 0.0) {
        report(Message::interpolation_time_illegal, {}, {t, tp, s.tn});
        return InterpolationResult::bad_time;
    }
    const double sh = (t - s.tn) / s.h;
    // Horner's scheme in s over the columns nq, nq - 1, ..., k.
    double c = falling_factor(s.nq, k);
    const double* last = column(s, yh, s.nq);
    for (int i = 0; i < s.n; ++i) dky[i] = c * last[i];
    for (int j = s.nq - 1; j >= k; --j) {
        c = falling_factor(j, k);
        const double* col = column(s, yh, j);
        for (int i = 0; i < s.n; ++i) dky[i] = c * col[i] + sh * dky[i];
    }
    if (k == 0) return InterpolationResult::ok;
    double hk = 1.0;
    for (int i = 0; i < k; ++i) hk *= s.h;
    const double r = 1.0 / hk;
    for (int i = 0; i < s.n; ++i) dky[i] = r * dky[i];
    return InterpolationResult::ok;
}

}  // namespace numerics::lsoda
