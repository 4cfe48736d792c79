#pragma once
// The ODE integrator dlsoda: dy/dt = f(t, y) for NEQ equations, switching by itself between the
// Adams methods (orders 1 to 12, non-stiff) and the backward differentiation formulas (orders 1 to
// 5, stiff), with the published calling sequence. Every argument is passed by address.
//
// RWORK(k) and IWORK(k) of the published description are rwork[k-1] and iwork[k-1]. Optional
// inputs (IOPT = 1): RWORK(1) TCRIT, (5) H0, (6) HMAX, (7) HMIN; IWORK(1) ML, (2) MU, (5) IXPR,
// (6) MXSTEP, (7) MXHNIL, (8) MXORDN, (9) MXORDS. Optional outputs: RWORK(11) HU, (12) HCUR,
// (13) TCUR, (14) TOLSF, (15) TSW; IWORK(11) NST, (12) NFE, (13) NJE, (14) NQU, (15) NQCUR,
// (16) IMXER, (17) LENRW, (18) LENIW, (19) MUSED, (20) MCUR.
//
// The integrator keeps the state of one problem per thread between calls: problems cannot be
// interleaved on one thread.
// Diagnostics go to the console; a call that passes back a negative ISTATE stops the program.

namespace numerics {

// clang-format off
using LsodaRhs = void (*)(const int* neq, const double* t, const double* y, double* ydot);
using LsodaJac = void (*)(const int* neq, const double* t, const double* y, const int* ml,
                          const int* mu, double* pd, const int* nrowpd);
void dlsoda(LsodaRhs f, int* neq, double* y, double* t, const double* tout, const int* itol,
            const double* rtol, const double* atol, const int* itask, int* istate, const int* iopt,
            double* rwork, const int* lrw, int* iwork, const int* liw, LsodaJac jac, const int* jt);
// clang-format on

}  // namespace numerics
