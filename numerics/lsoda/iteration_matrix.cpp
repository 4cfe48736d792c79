#include "numerics/lsoda/iteration_matrix.hpp"

#include <algorithm>
#include <cmath>

#include "numerics/lsoda/banded_lu.hpp"
#include "numerics/lsoda/dense_lu.hpp"
#include "numerics/lsoda/weights_and_norms.hpp"

namespace numerics::lsoda {
namespace {

// The band half-widths, kept in the caller's IWORK(1) and IWORK(2).
struct BandShape {
    int ml;
    int mu;
    int mband() const { return ml + mu + 1; }
    int meband() const { return 2 * ml + mu + 1; }  // leading dimension, with room for the fill-in
};

// The base increment of the difference quotients.
double base_increment(const SolverState& s, const WorkArrays& w) {
    const double fac = weighted_max_norm(s.n, w.savf, w.ewt);
    double r0 = 1000.0 * std::fabs(s.h) * s.uround * s.n * fac;
    if (r0 == 0.0) r0 = 1.0;
    return r0;
}

// J times -h l_0, column by column, into the full matrix at pd.
void full_differences(SolverState& s, const Problem& p, double* y, const WorkArrays& w, double hl0,
                      double* pd) {
    const int n = s.n;
    const double r0 = base_increment(s, w);
    double* ftem = w.acor;
    for (int j = 0; j < n; ++j) {
        const double yj = y[j];
        const double r = std::max(s.srur * std::fabs(yj), r0 / w.ewt[j]);
        y[j] = y[j] + r;
        const double fac = -hl0 / r;
        p.f(p.neq, &s.tn, y, ftem);
        double* col = pd + static_cast<long>(j) * n;
        for (int i = 0; i < n; ++i) col[i] = (ftem[i] - w.savf[i]) * fac;
        y[j] = yj;
    }
    s.nfe += n;
}

// The same for a band matrix (storage of dgbfa at pd): the columns that are mband apart share one
// f call.
void banded_differences(SolverState& s, const Problem& p, double* y, const WorkArrays& w, double hl0,
                        BandShape band, double* pd) {
    const int n = s.n;
    const int mband = band.mband();
    const int mba = std::min(mband, n);
    const int meband = band.meband();
    const double r0 = base_increment(s, w);
    double* ftem = w.acor;
    const double* y0 = column(s, w.yh, 0);
    for (int j = 0; j < mba; ++j) {
        for (int i = j; i < n; i += mband) {
            const double r = std::max(s.srur * std::fabs(y[i]), r0 / w.ewt[i]);
            y[i] = y[i] + r;
        }
        p.f(p.neq, &s.tn, y, ftem);
        for (int jj = j; jj < n; jj += mband) {
            y[jj] = y0[jj];
            const double r = std::max(s.srur * std::fabs(y[jj]), r0 / w.ewt[jj]);
            const double fac = -hl0 / r;
            const int i1 = std::max(jj - band.mu, 0);
            const int i2 = std::min(jj + band.ml, n - 1);
            double* col = pd + static_cast<long>(jj) * meband;
            for (int i = i1; i <= i2; ++i) col[i - jj + band.ml + band.mu] = (ftem[i] - w.savf[i]) * fac;
        }
    }
    s.nfe += mba;
}

}  // namespace

bool form_iteration_matrix(SolverState& s, const Problem& p, double* y, const WorkArrays& w) {
    ++s.nje;
    s.ierpj = false;
    s.jcur = true;
    const int n = s.n;
    const double hl0 = s.h * s.el0;
    double* pd = w.wm + 2;
    int info = 0;
    if (s.miter == Iteration::full_jacobian || s.miter == Iteration::full_differences) {
        const long lenp = static_cast<long>(n) * n;
        if (s.miter == Iteration::full_jacobian) {
            std::fill(pd, pd + lenp, 0.0);
            const int zero = 0;
            p.jac(p.neq, &s.tn, y, &zero, &zero, pd, &n);
            const double con = -hl0;
            for (long i = 0; i < lenp; ++i) pd[i] = pd[i] * con;
        } else {
            full_differences(s, p, y, w, hl0, pd);
        }
        s.pdnorm = full_matrix_norm(n, pd, w.ewt) / std::fabs(hl0);
        for (int i = 0; i < n; ++i) pd[i + static_cast<long>(i) * n] += 1.0;
        info = dgefa(pd, n, n, w.iwm + 20);
    } else {
        const BandShape band{w.iwm[0], w.iwm[1]};
        const int meband = band.meband();
        if (s.miter == Iteration::banded_jacobian) {
            const long lenp = static_cast<long>(meband) * n;
            std::fill(pd, pd + lenp, 0.0);
            p.jac(p.neq, &s.tn, y, &band.ml, &band.mu, pd + band.ml, &meband);
            const double con = -hl0;
            for (long i = 0; i < lenp; ++i) pd[i] = pd[i] * con;
        } else {
            banded_differences(s, p, y, w, hl0, band, pd);
        }
        s.pdnorm = banded_matrix_norm(n, pd + band.ml, meband, band.ml, band.mu, w.ewt) / std::fabs(hl0);
        for (int i = 0; i < n; ++i) pd[band.ml + band.mu + static_cast<long>(i) * meband] += 1.0;
        info = dgbfa(pd, meband, n, band.ml, band.mu, w.iwm + 20);
    }
    if (info != 0) s.ierpj = true;
    return info == 0;
}

void solve_iteration_matrix(const SolverState& s, const WorkArrays& w, double* x) {
    const double* pd = w.wm + 2;
    if (s.miter == Iteration::full_jacobian || s.miter == Iteration::full_differences) {
        dgesl(pd, s.n, s.n, w.iwm + 20, x, 0);
    } else {
        const int ml = w.iwm[0];
        const int mu = w.iwm[1];
        dgbsl(pd, 2 * ml + mu + 1, s.n, ml, mu, w.iwm + 20, x, 0);
    }
}

}  // namespace numerics::lsoda
