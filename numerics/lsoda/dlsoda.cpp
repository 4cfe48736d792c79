// The driver: checks a call, starts or resumes the problem, steps until the task is done, and
// returns the solution, the optional outputs and ISTATE.

#include <algorithm>
#include <cmath>

#include "numerics/lsoda.hpp"
#include "numerics/lsoda/call.hpp"
#include "numerics/lsoda/interpolate.hpp"
#include "numerics/lsoda/messages.hpp"
#include "numerics/lsoda/state.hpp"
#include "numerics/lsoda/stepper.hpp"
#include "numerics/lsoda/weights_and_norms.hpp"

namespace numerics::lsoda {
namespace {

enum Istate : int {
    istate_success = 2,
    istate_mxstep = -1,
    istate_too_much_accuracy = -2,
    istate_illegal_input = -3,
    istate_error_test = -4,
    istate_convergence = -5,
    istate_zero_weight = -6,
    istate_work_too_short = -7,
};

bool stops_at_tcrit(int itask) {
    return itask == 4 || itask == 5;
}

void publish_outputs(const SolverState& s, const Call& c) {
    c.rwork_out(11, s.hu);
    c.rwork_out(12, s.h);
    c.rwork_out(13, s.tn);
    c.rwork_out(15, s.tsw);
    c.iwork_out(11, s.nst);
    c.iwork_out(12, s.nfe);
    c.iwork_out(13, s.nje);
    c.iwork_out(14, s.nqu);
    c.iwork_out(15, s.nq);
    c.iwork_out(19, static_cast<int>(s.mused));
    c.iwork_out(20, static_cast<int>(s.meth));
}

// Success with Y and T already set (an interpolated output).
void return_success(const SolverState& s, const Call& c) {
    *c.istate = istate_success;
    publish_outputs(s, c);
}

// Success at the time reached (or at TCRIT when the step hit it).
void return_at_tn(const SolverState& s, const Call& c, bool hit_tcrit, double tcrit) {
    std::copy(c.rwork + s.lyh, c.rwork + s.lyh + s.n, c.y);
    *c.t = s.tn;
    if (stops_at_tcrit(*c.itask) && hit_tcrit) *c.t = tcrit;
    return_success(s, c);
}

void return_illegal(const Call& c) {
    *c.istate = istate_illegal_input;
}

// A failure after the problem has started: Y and T of the last step reached.
void return_failure(const SolverState& s, const Call& c, int istate) {
    std::copy(c.rwork + s.lyh, c.rwork + s.lyh + s.n, c.y);
    *c.t = s.tn;
    *c.istate = istate;
    publish_outputs(s, c);
}

// A failed step: also the component with the largest weighted local error (IMXER).
void return_step_failure(const SolverState& s, const Call& c, int istate) {
    const WorkArrays w = c.arrays(s);
    double big = 0.0;
    int imxer = 1;
    for (int i = 0; i < s.n; ++i) {
        const double size = std::fabs(w.acor[i] * w.ewt[i]);
        if (big >= size) continue;
        big = size;
        imxer = i + 1;
    }
    c.iwork_out(16, imxer);
    return_failure(s, c, istate);
}

// Error weights from the current solution, stored as reciprocals; the index (from 1) of the first
// weight that is not positive, 0 when all are.
int load_weights(const SolverState& s, const Call& c, const WorkArrays& w) {
    set_error_weights(s.n, *c.itol, c.rtol, c.atol, w.yh, w.ewt);
    for (int i = 0; i < s.n; ++i) {
        if (w.ewt[i] <= 0.0) return i + 1;
        w.ewt[i] = 1.0 / w.ewt[i];
    }
    return 0;
}

// The first call: initial values, f at T, weights, and the first step size. Returns false after
// reporting an illegal input.
bool start_problem(SolverState& s, const Call& c, double h0, double& tcrit) {
    const int n = s.n;
    const double t = *c.t;
    const double tout = *c.tout;
    s.uround = unit_roundoff();
    s.srur = std::sqrt(s.uround);
    s.tn = t;
    s.tsw = t;
    s.maxord = s.mxordn;
    if (stops_at_tcrit(*c.itask)) {
        tcrit = c.rwork_in(1);
        if ((tcrit - tout) * (tout - t) < 0.0) {
            report(Message::tcrit_behind_tout, {}, {tcrit, tout});
            return false;
        }
        if (h0 != 0.0 && (t + h0 - tcrit) * h0 > 0.0) h0 = tcrit - t;
    }
    s.jstart = StepStart::first;
    s.nhnil = 0;
    s.nst = 0;
    s.nje = 0;
    s.nslast = 0;
    s.hu = 0.0;
    s.nqu = 0;
    s.mused = Method::none;
    s.miter = Iteration::functional;
    s.ccmax = 0.3;
    s.maxcor = 3;
    s.msbp = 20;
    s.mxncf = 10;

    const WorkArrays w = c.arrays(s);
    double* f0 = column(s, w.yh, 1);
    c.f(c.neq, c.t, c.y, f0);
    s.nfe = 1;
    std::copy(c.y, c.y + n, w.yh);
    s.nq = 1;
    s.h = 1.0;
    if (const int i = load_weights(s, c, w); i != 0) {
        report(Message::ewt_not_positive, {i}, {w.ewt[i - 1]});
        return false;
    }

    if (h0 == 0.0) {
        const double tdist = std::fabs(tout - t);
        const double w0 = std::max(std::fabs(t), std::fabs(tout));
        // TOUT = T is refused even at T = 0, where the relative test cannot see it.
        if (tdist < 2.0 * s.uround * w0 || tdist == 0.0) {
            report(Message::tout_too_close, {}, {tout, t});
            return false;
        }
        const int itol = *c.itol;
        double tol = c.rtol[0];
        if (itol > 2) {
            for (int i = 0; i < n; ++i) tol = std::max(tol, c.rtol[i]);
        }
        if (!(tol > 0.0)) {
            // Pure absolute tolerances: the largest relative size they imply.
            double atoli = c.atol[0];
            for (int i = 0; i < n; ++i) {
                if (itol == 2 || itol == 4) atoli = c.atol[i];
                const double ayi = std::fabs(c.y[i]);
                if (ayi != 0.0) tol = std::max(tol, atoli / ayi);
            }
        }
        tol = std::max(tol, 100.0 * s.uround);
        tol = std::min(tol, 0.001);
        double sum = weighted_max_norm(n, f0, w.ewt);
        sum = 1.0 / (tol * w0 * w0) + tol * sum * sum;
        h0 = 1.0 / std::sqrt(sum);
        h0 = std::min(h0, tdist);
        if (tout - t < 0.0) h0 = -h0;
    }
    const double rh = std::fabs(h0) * s.hmxi;
    if (rh > 1.0) h0 = h0 / rh;
    s.h = h0;
    for (int i = 0; i < n; ++i) f0[i] = h0 * f0[i];
    return true;
}

enum class Resume { step, returned };

// A continuation call: the output may already be at hand; otherwise the step size may be cut so as
// not to pass TCRIT.
// Output at TOUT by interpolation from the history array, or the interpolator's refusal.
Resume return_at_tout(SolverState& s, const Call& c, int itask, double tout, const WorkArrays& w) {
    if (interpolate(s, tout, 0, w.yh, c.y) != InterpolationResult::ok) {
        report(Message::interpolation_trouble, {itask}, {tout});
        return_illegal(c);
        return Resume::returned;
    }
    *c.t = tout;
    return_success(s, c);
    return Resume::returned;
}

Resume resume_problem(SolverState& s, const Call& c, double& tcrit) {
    s.nslast = s.nst;
    const int itask = *c.itask;
    const double tout = *c.tout;
    const WorkArrays w = c.arrays(s);
    switch (itask) {
        case 1:
            if ((s.tn - tout) * s.h < 0.0) return Resume::step;
            return return_at_tout(s, c, itask, tout, w);
        case 2:
            return Resume::step;
        case 3: {
            const double tp = s.tn - s.hu * (1.0 + 100.0 * s.uround);
            if ((tp - tout) * s.h > 0.0) {
                report(Message::tout_behind_last_step, {itask}, {tout, tp});
                return_illegal(c);
                return Resume::returned;
            }
            if ((s.tn - tout) * s.h < 0.0) return Resume::step;
            return_at_tn(s, c, false, tcrit);
            return Resume::returned;
        }
        default:
            break;
    }
    tcrit = c.rwork_in(1);
    if ((s.tn - tcrit) * s.h > 0.0) {
        report(Message::tcrit_behind_tcur, {}, {tcrit, s.tn});
        return_illegal(c);
        return Resume::returned;
    }
    if (itask == 4) {
        if ((tcrit - tout) * s.h < 0.0) {
            report(Message::tcrit_behind_tout, {}, {tcrit, tout});
            return_illegal(c);
            return Resume::returned;
        }
        if (!((s.tn - tout) * s.h < 0.0)) {
            return return_at_tout(s, c, itask, tout, w);
        }
    }
    const double hmx = std::fabs(s.tn) + std::fabs(s.h);
    if (std::fabs(s.tn - tcrit) <= 100.0 * s.uround * hmx) {
        return_at_tn(s, c, true, tcrit);
        return Resume::returned;
    }
    const double tnext = s.tn + s.h * (1.0 + 4.0 * s.uround);
    if ((tnext - tcrit) * s.h <= 0.0) return Resume::step;
    s.h = (tcrit - s.tn) * (1.0 - 4.0 * s.uround);
    if (*c.istate == 2 && (s.jstart == StepStart::first || s.jstart == StepStart::continuing)) {
        s.jstart = StepStart::step_changed;
    }
    return Resume::step;
}

// Output at TOUT interpolated after a step. When the interpolator refuses TOUT (message 52, then
// message 27), the call fails as an illegal input, with Y and T those of the last step reached.
void return_interpolated(SolverState& s, const Call& c, int itask, double tout, const WorkArrays& w) {
    if (interpolate(s, tout, 0, w.yh, c.y) != InterpolationResult::ok) {
        report(Message::interpolation_trouble, {itask}, {tout});
        return return_failure(s, c, istate_illegal_input);
    }
    *c.t = tout;
    return_success(s, c);
}

// After a successful step that switched the method.
void complete_switch(SolverState& s, const Call& c) {
    s.tsw = s.tn;
    s.maxord = s.meth == Method::bdf ? s.mxords : s.mxordn;
    if (s.meth == Method::bdf && s.lwm < *c.lrw) c.rwork[s.lwm] = s.srur;
    s.insufr = std::min(s.insufr, 1);
    s.insufi = std::min(s.insufi, 1);
    s.jstart = StepStart::inputs_changed;
    if (s.ixpr == 0) return;
    report(s.meth == Method::bdf ? Message::switched_to_bdf : Message::switched_to_adams);
    report(Message::switch_point, {s.nst}, {s.tn, s.h});
}

// Steps until the task of the call is done or a failure ends it. first_step: the step that follows
// the start at once, without the checks that precede every later step.
void step_until_done(SolverState& s, const Call& c, double tcrit, bool first_step) {
    const WorkArrays w = c.arrays(s);
    const Problem p = c.problem();
    const int itask = *c.itask;
    const double tout = *c.tout;
    bool checks = !first_step;
    for (;;) {
        if (checks) {
            if (s.meth != s.mused) {
                if (s.insufr == 1) {
                    report(Message::rwork_short_to_continue, {}, {s.tn});
                    return return_failure(s, c, istate_work_too_short);
                }
                if (s.insufi == 1) {
                    report(Message::iwork_short_to_continue, {}, {s.tn});
                    return return_failure(s, c, istate_work_too_short);
                }
            }
            if (s.nst - s.nslast >= s.mxstep) {
                report(Message::mxstep_reached, {s.mxstep}, {s.tn});
                return return_failure(s, c, istate_mxstep);
            }
            if (const int i = load_weights(s, c, w); i != 0) {
                report(Message::ewt_became_not_positive, {i}, {s.tn, w.ewt[i - 1]});
                return return_failure(s, c, istate_zero_weight);
            }
        }
        checks = true;
        double tolsf = s.uround * weighted_max_norm(s.n, w.yh, w.ewt);
        if (!(tolsf <= 1.0)) {
            tolsf = tolsf * 2.0;
            c.rwork_out(14, tolsf);
            if (s.nst == 0) {
                report(Message::too_much_accuracy_at_start, {}, {tolsf});
                return return_illegal(c);
            }
            report(Message::too_much_accuracy, {}, {s.tn, tolsf});
            return return_failure(s, c, istate_too_much_accuracy);
        }
        if (s.tn + s.h == s.tn) {
            ++s.nhnil;
            if (s.nhnil <= s.mxhnil) {
                report(Message::t_plus_h_equals_t, {}, {s.tn, s.h});
                if (s.nhnil == s.mxhnil) report(Message::t_plus_h_warning_limit, {s.mxhnil});
            }
        }

        const StepResult result = advance_one_step(s, p, c.y, w);
        if (result == StepResult::error_test_failed) {
            report(Message::error_test_failed, {}, {s.tn, s.h});
            return return_step_failure(s, c, istate_error_test);
        }
        if (result == StepResult::convergence_failed) {
            report(Message::convergence_failed, {}, {s.tn, s.h});
            return return_step_failure(s, c, istate_convergence);
        }
        s.init = true;
        if (s.meth != s.mused) complete_switch(s, c);

        switch (itask) {
            case 1:
                if ((s.tn - tout) * s.h < 0.0) continue;
                return return_interpolated(s, c, itask, tout, w);
            case 2:
                return return_at_tn(s, c, false, tcrit);
            case 3:
                if ((s.tn - tout) * s.h >= 0.0) return return_at_tn(s, c, false, tcrit);
                continue;
            case 4: {
                if (!((s.tn - tout) * s.h < 0.0)) return return_interpolated(s, c, itask, tout, w);
                const double hmx = std::fabs(s.tn) + std::fabs(s.h);
                if (std::fabs(s.tn - tcrit) <= 100.0 * s.uround * hmx) return return_at_tn(s, c, true, tcrit);
                const double tnext = s.tn + s.h * (1.0 + 4.0 * s.uround);
                if ((tnext - tcrit) * s.h <= 0.0) continue;
                s.h = (tcrit - s.tn) * (1.0 - 4.0 * s.uround);
                if (s.jstart == StepStart::first || s.jstart == StepStart::continuing) {
                    s.jstart = StepStart::step_changed;
                }
                continue;
            }
            default: {
                const double hmx = std::fabs(s.tn) + std::fabs(s.h);
                const bool hit = std::fabs(s.tn - tcrit) <= 100.0 * s.uround * hmx;
                return return_at_tn(s, c, hit, tcrit);
            }
        }
    }
}

}  // namespace
}  // namespace numerics::lsoda

namespace numerics {

void dlsoda(LsodaRhs f, int* neq, double* y, double* t, const double* tout, const int* itol,
            const double* rtol, const double* atol, const int* itask, int* istate, const int* iopt,
            double* rwork, const int* lrw, int* iwork, const int* liw, LsodaJac jac, const int* jt) {
    using namespace lsoda;
    SolverState& s = solver_state();
    const Call c{f, neq, y, t, tout, itol, rtol, atol, itask, istate, iopt, rwork, lrw, iwork, liw, jac, jt};

    const int state_in = *istate;
    if (state_in < 1 || state_in > 3) {
        report(Message::istate_illegal, {state_in});
        // A caller passing back a failure code is looping on it: end the run.
        if (state_in < 0) report(Message::run_aborted);
        return return_illegal(c);
    }
    if (*itask < 1 || *itask > 5) {
        report(Message::itask_illegal, {*itask});
        return return_illegal(c);
    }
    if (state_in == 1) {
        s.init = false;
    } else if (!s.init) {
        report(Message::not_initialized);
        return return_illegal(c);
    }

    double h0 = 0.0;
    if (state_in != 2) {
        switch (accept_inputs(s, c, h0)) {
            case InputCheck::illegal:
                return return_illegal(c);
            case InputCheck::too_short_to_go:
                return return_failure(s, c, istate_work_too_short);
            case InputCheck::accepted:
                break;
        }
    }
    double tcrit = 0.0;
    if (state_in == 1) {
        if (!start_problem(s, c, h0, tcrit)) return return_illegal(c);
        return step_until_done(s, c, tcrit, true);
    }
    if (resume_problem(s, c, tcrit) == Resume::returned) return;
    step_until_done(s, c, tcrit, false);
}

}  // namespace numerics
