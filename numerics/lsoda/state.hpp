#pragma once
// The state that the integrator keeps between calls for the one problem it is working on, and the
// views of the caller's arrays that its pieces work on during a call.

#include <array>

#include "numerics/lsoda.hpp"

namespace numerics::lsoda {

inline constexpr int max_adams_order = 12;
inline constexpr int max_bdf_order = 5;
inline constexpr int max_history_columns = max_adams_order + 1;

// The method in use; the numbers are those of METH, MUSED and MCUR.
enum class Method : int { none = 0, adams = 1, bdf = 2 };

// How the corrector iterates, numbered as the Jacobian type JT: functional iteration for the Adams
// methods, a chord Newton iteration with a full or banded matrix for the BDF.
enum class Iteration : int {
    functional = 0,
    full_jacobian = 1,       // full matrix from the user's JAC
    full_differences = 2,    // full matrix by difference quotients
    banded_jacobian = 4,     // banded matrix from the user's JAC
    banded_differences = 5,  // banded matrix by difference quotients
};

// How the next step starts (JSTART).
enum class StepStart : int {
    first = 0,            // the first step of a problem
    continuing = 1,       // the step after a successful one
    inputs_changed = -1,  // the caller changed inputs, or the method was just switched
    step_changed = -2,    // only the step size was changed (to reach a critical time)
};

// The result of one call of the stepper (KFLAG on return).
enum class StepResult : int {
    success = 0,
    error_test_failed = -1,   // repeatedly, or with |H| = HMIN
    convergence_failed = -2,  // repeatedly, or with |H| = HMIN
};

struct SolverState {
    // Coefficients of the method in use, by order q (index q - 1): the Nordsieck corrector vector
    // l_0 ... l_q and the error test constants for orders q - 1, q and q + 1.
    std::array<std::array<double, max_history_columns>, max_adams_order> elco{};
    std::array<std::array<double, 3>, max_adams_order> tesco{};
    std::array<double, max_history_columns> el{};  // the vector of the current order
    std::array<double, max_adams_order> cm1{};     // Adams error constants, orders 1..12
    std::array<double, max_bdf_order> cm2{};       // BDF error constants, orders 1..5

    // Step and order control.
    double tn = 0.0;    // the time reached by the last step
    double h = 0.0;     // the step size to try next
    double hold = 0.0;  // the step size the Nordsieck array is scaled to
    double hu = 0.0;    // the last successful step size
    double hmin = 0.0;
    double hmxi = 0.0;    // 1 / HMAX, 0 for no bound
    double rmax = 0.0;    // bound on the next step-size ratio
    double rc = 0.0;      // h * l_0 now, relative to its value when the matrix was formed
    double el0 = 0.0;     // l_0 of the current order
    double conit = 0.0;   // the order's factor in the convergence test
    double crate = 0.0;   // estimated convergence rate of the corrector
    double ccmax = 0.0;   // relative change of h * l_0 that forces a new matrix
    double uround = 0.0;  // unit roundoff
    double srur = 0.0;    // its square root, the relative increment of difference quotients
    int n = 0;            // number of equations
    int nyh = 0;          // rows of the Nordsieck array (NEQ at the first call)
    int nq = 0;           // current order
    int l = 0;            // nq + 1
    int lmax = 0;         // maxord + 1
    int maxord = 0;       // maximum order of the method in use
    int nqnyh = 0;        // nq * nyh
    int nqu = 0;          // order of the last successful step
    int ialth = 0;        // steps left before the next order and step check
    int kflag = 0;        // 0, or minus the number of error test failures in this step
    int icf = 0;          // 0, 1 after a convergence failure mended by a new matrix, 2 after one that cut h
    int maxcor = 0;       // corrector iterations at most per attempt
    int msbp = 0;         // steps at most between two matrix evaluations
    int mxncf = 0;        // convergence failures at most per step
    int nslp = 0;         // the step at which the matrix was last formed
    bool ipup = false;    // a new iteration matrix is due
    bool jcur = false;    // the matrix was formed at the current step
    bool ierpj = false;   // the last matrix formed was singular
    StepStart jstart = StepStart::first;
    Method meth = Method::none;   // method of the next step
    Method mused = Method::none;  // method of the last successful step
    Iteration miter = Iteration::functional;
    Iteration jtyp = Iteration::full_differences;  // the caller's JT, used while the BDF runs

    // Method switching.
    double tsw = 0.0;     // time of the last switch
    double pdest = 0.0;   // Lipschitz estimate of the current step
    double pdlast = 0.0;  // last nonzero Lipschitz estimate (0 after a switch)
    double pdnorm = 0.0;  // norm of the Jacobian when the matrix was formed
    double ratio = 0.0;   // the step-size advantage a switch needs
    int icount = 0;       // steps left before switching is considered
    bool irflag = false;  // the last step size was bound by the Adams stability region
    int mxordn = 0;
    int mxords = 0;

    // Counters and limits of the driver.
    int nst = 0;
    int nfe = 0;
    int nje = 0;
    int nslast = 0;  // nst at the start of the current call
    int mxstep = 0;
    int mxhnil = 0;
    int nhnil = 0;      // T + H = T warnings so far
    int ixpr = 0;       // 1: report method switches
    bool init = false;  // a first step has succeeded
    int insufr = 0;     // 0: RWORK long enough; 2: long enough for now; 1: a switch needs more
    int insufi = 0;     // the same for IWORK

    // Layout of RWORK and IWORK (0-based offsets).
    int lyh = 20;
    int lwm = 0;
    int lewt = 0;
    int lsavf = 0;
    int lacor = 0;
};

// The problem of the current call: the caller's routines and NEQ as passed.
struct Problem {
    LsodaRhs f = nullptr;
    LsodaJac jac = nullptr;
    const int* neq = nullptr;
};

// Views of the caller's work arrays during a call.
struct WorkArrays {
    double* yh = nullptr;    // Nordsieck array: column j (h^j/j! times the j-th derivative) at yh + j * nyh
    double* ewt = nullptr;   // reciprocal error weights
    double* savf = nullptr;  // f values
    double* acor = nullptr;  // accumulated corrections
    double* wm = nullptr;    // iteration matrix area: wm[0] holds sqrt(uround), the matrix starts at wm[2]
    int* iwm = nullptr;      // iwm[0], iwm[1]: ML and MU; the pivots start at iwm[20]
};

inline double* column(const SolverState& s, double* yh, int j) {
    return yh + static_cast<long>(j) * s.nyh;
}
inline const double* column(const SolverState& s, const double* yh, int j) {
    return yh + static_cast<long>(j) * s.nyh;
}

// The state of the problem the integrator is working on.
SolverState& solver_state();

}  // namespace numerics::lsoda
