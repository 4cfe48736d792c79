#pragma once
// The arguments of one call of dlsoda, with guarded access to the optional inputs and outputs in
// the caller's work arrays.

#include "numerics/lsoda.hpp"
#include "numerics/lsoda/state.hpp"

namespace numerics::lsoda {

struct Call {
    LsodaRhs f;
    int* neq;
    double* y;
    double* t;
    const double* tout;
    const int* itol;
    const double* rtol;
    const double* atol;
    const int* itask;
    int* istate;
    const int* iopt;
    double* rwork;
    const int* lrw;
    int* iwork;
    const int* liw;
    LsodaJac jac;
    const int* jt;

    // RWORK(k) and IWORK(k) (k counted from 1); entries beyond the array's length read as 0 and
    // are not written.
    double rwork_in(int k) const { return k <= *lrw ? rwork[k - 1] : 0.0; }
    int iwork_in(int k) const { return k <= *liw ? iwork[k - 1] : 0; }
    void rwork_out(int k, double value) const {
        if (k <= *lrw) rwork[k - 1] = value;
    }
    void iwork_out(int k, int value) const {
        if (k <= *liw) iwork[k - 1] = value;
    }

    Problem problem() const { return {f, jac, neq}; }

    // Views of the work arrays as the state's layout places them.
    WorkArrays arrays(const SolverState& s) const {
        WorkArrays w;
        w.yh = rwork + s.lyh;
        w.ewt = rwork + s.lewt;
        w.savf = rwork + s.lsavf;
        w.acor = rwork + s.lacor;
        w.wm = s.lwm < *lrw ? rwork + s.lwm : nullptr;  // only used while the BDF runs
        w.iwm = iwork;
        return w;
    }
};

// What the checks of a call's inputs found.
enum class InputCheck {
    accepted,
    illegal,          // reported; the call returns ISTATE = -3
    too_short_to_go,  // reported (ISTATE = 3 only); the call returns ISTATE = -7
};

// Checks the inputs of a call with ISTATE 1 or 3, takes the optional inputs into the state, lays
// out the work arrays and checks their lengths (with the warnings 103 and 104), and checks the
// tolerances. h0 receives the optional initial step size (ISTATE 1).
InputCheck accept_inputs(SolverState& s, const Call& c, double& h0);

}  // namespace numerics::lsoda
