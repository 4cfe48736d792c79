#include "numerics/lsoda/stepper.hpp"

#include <algorithm>
#include <cmath>

#include "numerics/lsoda/corrector.hpp"
#include "numerics/lsoda/method_coefficients.hpp"
#include "numerics/lsoda/switch_test.hpp"
#include "numerics/lsoda/weights_and_norms.hpp"

namespace numerics::lsoda {
namespace {

bool uses_matrix(const SolverState& s) {
    return s.miter != Iteration::functional;
}

// Multiplies the Nordsieck array by the Pascal triangle matrix: the prediction to tn + h.
void predict(const SolverState& s, double* yh) {
    for (int jb = 1; jb <= s.nq; ++jb) {
        for (int i = s.nqnyh - jb * s.nyh; i < s.nqnyh; ++i) yh[i] = yh[i] + yh[i + s.nyh];
    }
}

// Undoes the prediction after a failed attempt.
void retract(const SolverState& s, double* yh) {
    for (int jb = 1; jb <= s.nq; ++jb) {
        for (int i = s.nqnyh - jb * s.nyh; i < s.nqnyh; ++i) yh[i] = yh[i] - yh[i + s.nyh];
    }
}

void initialise(SolverState& s) {
    s.lmax = s.maxord + 1;
    s.nq = 1;
    s.l = 2;
    s.ialth = 2;
    s.rmax = 10000.0;
    s.rc = 0.0;
    s.el0 = 1.0;
    s.crate = 0.7;
    s.hold = s.h;
    s.nslp = 0;
    s.ipup = uses_matrix(s);
    s.icount = 20;
    s.irflag = false;
    s.pdest = 0.0;
    s.pdlast = 0.0;
    s.ratio = 5.0;
    method_coefficients(Method::bdf, s.elco, s.tesco);
    for (int i = 0; i < max_bdf_order; ++i) s.cm2[i] = s.tesco[i][1] * s.elco[i][i + 1];
    method_coefficients(Method::adams, s.elco, s.tesco);
    for (int i = 0; i < max_adams_order; ++i) s.cm1[i] = s.tesco[i][1] * s.elco[i][i + 1];
}

// The next order and step-size ratio.
struct OrderChoice {
    bool keep = false;  // leave step size and order as they are
    int newq = 0;
    double rh = 0.0;
};

// Chooses among the orders q - 1, q and q + 1 the one that allows the largest step, from the error
// estimate dsm of order q. After a failed error test (s.kflag < 0) order q + 1 is not considered.
OrderChoice choose_order(SolverState& s, double dsm, const WorkArrays& w) {
    const int n = s.n;
    double rhup = 0.0;
    if (s.kflag == 0 && s.l != s.lmax) {
        const double* saved = column(s, w.yh, s.lmax - 1);
        for (int i = 0; i < n; ++i) w.savf[i] = w.acor[i] - saved[i];
        const double dup = weighted_max_norm(n, w.savf, w.ewt) / s.tesco[s.nq - 1][2];
        const double exup = 1.0 / (s.l + 1);
        rhup = 1.0 / (1.4 * std::pow(dup, exup) + 0.0000014);
    }
    const double exsm = 1.0 / s.l;
    double rhsm = 1.0 / (1.2 * std::pow(dsm, exsm) + 0.0000012);
    double rhdn = 0.0;
    if (s.nq != 1) {
        const double ddn = weighted_max_norm(n, column(s, w.yh, s.l - 1), w.ewt) / s.tesco[s.nq - 1][0];
        const double exdn = 1.0 / s.nq;
        rhdn = 1.0 / (1.3 * std::pow(ddn, exdn) + 0.0000013);
    }
    // The Adams methods are also bound by their stability regions.
    double pdh = 0.0;
    if (s.meth == Method::adams) {
        pdh = std::max(std::fabs(s.h) * s.pdlast, 0.000001);
        if (s.l < s.lmax) rhup = std::min(rhup, adams_stability_bound[s.l - 1] / pdh);
        rhsm = std::min(rhsm, adams_stability_bound[s.nq - 1] / pdh);
        if (s.nq > 1) rhdn = std::min(rhdn, adams_stability_bound[s.nq - 2] / pdh);
        s.pdest = 0.0;
    }
    // The largest ratio wins; ties go to the same order, then to the lower one.
    OrderChoice choice;
    const bool up = !(rhsm >= rhup) && rhup > rhdn;
    const bool down = !up && (!(rhsm >= rhup) || rhsm < rhdn) && s.nq > 1;
    if (up) {
        choice.newq = s.l;
        choice.rh = rhup;
        if (choice.rh < 1.1) choice.keep = true;
        return choice;
    }
    if (down) {
        choice.newq = s.nq - 1;
        choice.rh = rhdn;
        if (s.kflag < 0 && choice.rh > 1.0) choice.rh = 1.0;
    } else {
        choice.newq = s.nq;
        choice.rh = rhsm;
    }
    // Unless the Adams step size is held by the stability region, a gain below 10% is not worth it.
    const bool held_by_stability =
        s.meth == Method::adams && choice.rh * pdh * 1.00001 >= adams_stability_bound[choice.newq - 1];
    if (!held_by_stability && s.kflag == 0 && choice.rh < 1.1) {
        choice.keep = true;
        return choice;
    }
    if (s.kflag <= -2) choice.rh = std::min(choice.rh, 0.2);
    return choice;
}

// Applies an order choice that does not keep the step: a new order takes its coefficients (an
// increase first stores the new highest column), then the step is rescaled.
void apply_order_choice(SolverState& s, const WorkArrays& w, const OrderChoice& choice) {
    if (choice.newq != s.nq) {
        if (choice.newq == s.l) {
            const double r = s.el[s.l - 1] / s.l;
            double* top = column(s, w.yh, choice.newq);
            for (int i = 0; i < s.n; ++i) top[i] = w.acor[i] * r;
        }
        s.nq = choice.newq;
        s.l = s.nq + 1;
        set_order_coefficients(s);
    }
    rescale_step(s, w.yh, choice.rh, true);
}

// The end of a step: the correction is scaled for the error reports of the driver.
StepResult finish(SolverState& s, const WorkArrays& w, StepResult result, bool scale_correction) {
    if (scale_correction) {
        const double r = 1.0 / s.tesco[s.nqu - 1][1];
        for (int i = 0; i < s.n; ++i) w.acor[i] = w.acor[i] * r;
    }
    s.hold = s.h;
    s.jstart = StepStart::continuing;
    return result;
}

// After a successful step: the switch test, then (every q + 1 steps) the choice of order and step.
StepResult after_success(SolverState& s, const WorkArrays& w, double dsm, double pnorm) {
    --s.icount;
    if (s.icount < 0) {
        if (const auto change = test_method_switch(s, dsm, pnorm, w.yh, w.ewt)) {
            s.icount = 20;
            s.meth = change->meth;
            s.miter = change->meth == Method::bdf ? s.jtyp : Iteration::functional;
            s.pdlast = 0.0;
            s.nq = change->nq;
            s.l = s.nq + 1;
            rescale_step(s, w.yh, change->rh, true);
            s.rmax = 10.0;
            return finish(s, w, StepResult::success, true);
        }
    }
    --s.ialth;
    if (s.ialth == 0) {
        const OrderChoice choice = choose_order(s, dsm, w);
        if (choice.keep) {
            s.ialth = 3;
        } else {
            apply_order_choice(s, w, choice);
            s.rmax = 10.0;
        }
    } else if (s.ialth <= 1 && s.l != s.lmax) {
        // Keep the correction for the estimate of order q + 1 at the next check.
        std::copy(w.acor, w.acor + s.n, column(s, w.yh, s.lmax - 1));
    }
    return finish(s, w, StepResult::success, true);
}

}  // namespace

void set_order_coefficients(SolverState& s) {
    for (int i = 0; i < s.l; ++i) s.el[i] = s.elco[s.nq - 1][i];
    s.nqnyh = s.nq * s.nyh;
    s.rc = s.rc * s.el[0] / s.el0;
    s.el0 = s.el[0];
    s.conit = 0.5 / (s.nq + 2);
}

void rescale_step(SolverState& s, double* yh, double rh, bool at_least_hmin) {
    if (at_least_hmin) rh = std::max(rh, s.hmin / std::fabs(s.h));
    rh = std::min(rh, s.rmax);
    rh = rh / std::max(1.0, std::fabs(s.h) * s.hmxi * rh);
    if (s.meth == Method::adams) {
        s.irflag = false;
        const double pdh = std::max(std::fabs(s.h) * s.pdlast, 0.000001);
        if (!(rh * pdh * 1.00001 < adams_stability_bound[s.nq - 1])) {
            rh = adams_stability_bound[s.nq - 1] / pdh;
            s.irflag = true;
        }
    }
    double r = 1.0;
    for (int j = 1; j < s.l; ++j) {
        r = r * rh;
        double* col = column(s, yh, j);
        for (int i = 0; i < s.n; ++i) col[i] = col[i] * r;
    }
    s.h = s.h * rh;
    s.rc = s.rc * rh;
    s.ialth = s.l;
}

StepResult advance_one_step(SolverState& s, const Problem& p, double* y, const WorkArrays& w) {
    const int n = s.n;
    s.kflag = 0;
    const double told = s.tn;
    int ncf = 0;
    s.ierpj = false;
    s.jcur = false;
    s.icf = 0;

    switch (s.jstart) {
        case StepStart::first:
            initialise(s);
            set_order_coefficients(s);
            break;
        case StepStart::inputs_changed:
            s.ipup = uses_matrix(s);
            s.lmax = s.maxord + 1;
            if (s.ialth == 1) s.ialth = 2;
            if (s.meth != s.mused) {
                // Complete a method switch: the new method's coefficients.
                method_coefficients(s.meth, s.elco, s.tesco);
                s.ialth = s.l;
                set_order_coefficients(s);
            }
            [[fallthrough]];
        case StepStart::step_changed:
            if (s.h != s.hold) {
                const double rh = s.h / s.hold;
                s.h = s.hold;
                rescale_step(s, w.yh, rh, false);
            }
            break;
        case StepStart::continuing:
            break;
    }

    for (;;) {
        if (std::fabs(s.rc - 1.0) > s.ccmax) s.ipup = uses_matrix(s);
        if (s.nst >= s.nslp + s.msbp) s.ipup = uses_matrix(s);
        s.tn = s.tn + s.h;
        predict(s, w.yh);
        const double pnorm = weighted_max_norm(n, w.yh, w.ewt);
        const CorrectorResult corrected = correct(s, p, y, w, pnorm);

        if (!corrected.converged) {
            // Convergence failure: retract, and retry with a quarter of the step and a new matrix.
            s.icf = 2;
            ++ncf;
            s.rmax = 2.0;
            s.tn = told;
            retract(s, w.yh);
            if (std::fabs(s.h) <= s.hmin * 1.00001 || ncf == s.mxncf) {
                return finish(s, w, StepResult::convergence_failed, false);
            }
            s.ipup = uses_matrix(s);
            rescale_step(s, w.yh, 0.25, true);
            continue;
        }

        // The local error test.
        s.jcur = false;
        const double dsm = corrected.iterations == 0
                               ? corrected.del / s.tesco[s.nq - 1][1]
                               : weighted_max_norm(n, w.acor, w.ewt) / s.tesco[s.nq - 1][1];
        if (!(dsm > 1.0)) {
            s.kflag = 0;
            ++s.nst;
            s.hu = s.h;
            s.nqu = s.nq;
            s.mused = s.meth;
            for (int j = 0; j < s.l; ++j) {
                double* col = column(s, w.yh, j);
                for (int i = 0; i < n; ++i) col[i] = col[i] + s.el[j] * w.acor[i];
            }
            return after_success(s, w, dsm, pnorm);
        }

        // Error test failure: retract and retry with a smaller step and perhaps a lower order.
        --s.kflag;
        s.tn = told;
        retract(s, w.yh);
        s.rmax = 2.0;
        if (std::fabs(s.h) <= s.hmin * 1.00001) return finish(s, w, StepResult::error_test_failed, false);
        if (s.kflag > -3) {
            apply_order_choice(s, w, choose_order(s, dsm, w));
            continue;
        }
        // From the third failure on: order 1, a tenth of the step, and a fresh derivative.
        if (s.kflag == -10) return finish(s, w, StepResult::error_test_failed, false);
        const double rh = std::max(s.hmin / std::fabs(s.h), 0.1);
        s.h = s.h * rh;
        std::copy(w.yh, w.yh + n, y);
        p.f(p.neq, &s.tn, y, w.savf);
        ++s.nfe;
        double* y1 = column(s, w.yh, 1);
        for (int i = 0; i < n; ++i) y1[i] = s.h * w.savf[i];
        s.ipup = uses_matrix(s);
        s.ialth = 5;
        if (s.nq != 1) {
            s.nq = 1;
            s.l = 2;
            set_order_coefficients(s);
        }
    }
}

}  // namespace numerics::lsoda
