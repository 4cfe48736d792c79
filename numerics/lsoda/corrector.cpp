#include "numerics/lsoda/corrector.hpp"

#include <algorithm>
#include <cmath>

#include "numerics/lsoda/iteration_matrix.hpp"
#include "numerics/lsoda/weights_and_norms.hpp"

namespace numerics::lsoda {

CorrectorResult correct(SolverState& s, const Problem& p, double* y, const WorkArrays& w, double pnorm) {
    const int n = s.n;
    const double* y0 = column(s, w.yh, 0);
    const double* y1 = column(s, w.yh, 1);
    double delp = 0.0;
    for (;;) {
        // Start from the prediction, with a new matrix when one is due.
        int m = 0;
        double rate = 0.0;
        double del = 0.0;
        std::copy(y0, y0 + n, y);
        p.f(p.neq, &s.tn, y, w.savf);
        ++s.nfe;
        if (s.ipup) {
            const bool factored = form_iteration_matrix(s, p, y, w);
            s.ipup = false;
            s.rc = 1.0;
            s.nslp = s.nst;
            s.crate = 0.7;
            if (!factored) return {false, m, del};
        }
        std::fill(w.acor, w.acor + n, 0.0);
        for (;;) {
            if (s.miter == Iteration::functional) {
                for (int i = 0; i < n; ++i) {
                    w.savf[i] = s.h * w.savf[i] - y1[i];
                    y[i] = w.savf[i] - w.acor[i];
                }
                del = weighted_max_norm(n, y, w.ewt);
                for (int i = 0; i < n; ++i) {
                    y[i] = y0[i] + s.el[0] * w.savf[i];
                    w.acor[i] = w.savf[i];
                }
            } else {
                for (int i = 0; i < n; ++i) y[i] = s.h * w.savf[i] - (y1[i] + w.acor[i]);
                solve_iteration_matrix(s, w, y);
                del = weighted_max_norm(n, y, w.ewt);
                for (int i = 0; i < n; ++i) {
                    w.acor[i] = w.acor[i] + y[i];
                    y[i] = y0[i] + s.el[0] * w.acor[i];
                }
            }
            // A correction at the level of roundoff has converged, without a new rate estimate.
            if (del <= 100.0 * pnorm * s.uround) return {true, m, del};
            // The Adams methods always iterate twice, to estimate the Lipschitz constant.
            if (m != 0 || s.meth != Method::adams) {
                if (m != 0) {
                    double rm = 1024.0;
                    if (del <= 1024.0 * delp) rm = del / delp;
                    rate = std::max(rate, rm);
                    s.crate = std::max(0.2 * s.crate, rm);
                }
                const double dcon = del * std::min(1.0, 1.5 * s.crate) / (s.tesco[s.nq - 1][1] * s.conit);
                if (!(dcon > 1.0)) {
                    s.pdest = std::max(s.pdest, rate / std::fabs(s.h * s.el[0]));
                    if (s.pdest != 0.0) s.pdlast = s.pdest;
                    return {true, m, del};
                }
            }
            ++m;
            if (m == s.maxcor) break;
            if (m >= 2 && del > 2.0 * delp) break;
            delp = del;
            p.f(p.neq, &s.tn, y, w.savf);
            ++s.nfe;
        }
        // No convergence: retry with a new matrix unless the one used is current.
        if (s.miter == Iteration::functional || s.jcur) return {false, m, del};
        s.icf = 1;
        s.ipup = true;
    }
}

}  // namespace numerics::lsoda
