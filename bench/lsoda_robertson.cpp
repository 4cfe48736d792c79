// Times the integrator on the Robertson demonstration problem: three stiff chemical kinetics
// equations from t = 0 to 4e10 with outputs at 0.4, 4, ..., 4e10 (ITOL 2, RTOL 1e-4, ATOL 1e-6,
// 1e-10, 1e-6, JT 2), solved many times over; prints the counts of one solve and the CPU time
// per solve.

#include <string_view>

#include "common/console.hpp"
#include "common/cpu_time.hpp"
#include "common/format.hpp"
#include "common/program_main.hpp"
#include "numerics/lsoda.hpp"

namespace {

void robertson(const int*, const double*, const double* y, double* ydot) {
    ydot[0] = -.04 * y[0] + 1.e4 * y[1] * y[2];
    ydot[2] = 3.e7 * y[1] * y[1];
    ydot[1] = -ydot[0] - ydot[2];
}

void robertson_jacobian(const int*, const double*, const double* y, const int*, const int*, double* pd,
                        const int* nrowpd) {
    const int nr = *nrowpd;
    pd[0] = -.04;
    pd[1] = .04;
    pd[nr] = 1.e4 * y[2];
    pd[nr + 2] = 6.e7 * y[1];
    pd[nr + 1] = -pd[nr] - pd[nr + 2];
    pd[2 * nr] = 1.e4 * y[1];
    pd[2 * nr + 1] = -pd[2 * nr];
}

struct Counts {
    int nst = 0;
    int nfe = 0;
    int nje = 0;
    int istate = 0;
};

Counts solve(int jt) {
    int neq = 3;
    double y[3] = {1.0, 0.0, 0.0};
    double t = 0.0;
    double tout = 0.4;
    const int itol = 2;
    const double rtol = 1e-4;
    const double atol[3] = {1e-6, 1e-10, 1e-6};
    const int itask = 1;
    int istate = 1;
    const int iopt = 0;
    const int lrw = 70;
    const int liw = 23;
    double rwork[70] = {};
    int iwork[23] = {};
    for (int i = 0; i < 12; ++i) {
        numerics::dlsoda(robertson, &neq, y, &t, &tout, &itol, &rtol, atol, &itask, &istate, &iopt, rwork,
                         &lrw, iwork, &liw, robertson_jacobian, &jt);
        if (istate < 0) break;
        tout *= 10.0;
    }
    return {iwork[10], iwork[11], iwork[12], istate};
}

void time_solves(int jt, std::string_view what) {
    const Counts counts = solve(jt);
    common::console_record(common::format_record("(A,A,I2)", {what, ", JT =", jt}));
    common::console_record(common::format_record(
        "(A,I6,A,I6,A,I6,A,I3)", {"  steps", counts.nst, "  f evaluations", counts.nfe, "  Jacobians",
                                  counts.nje, "  ISTATE", counts.istate}));
    // Repeat for at least two seconds of CPU time.
    int solves = 0;
    const double start = common::process_cpu_time();
    double elapsed = 0.0;
    while (elapsed < 2.0) {
        for (int i = 0; i < 100; ++i) solve(jt);
        solves += 100;
        elapsed = common::process_cpu_time() - start;
    }
    common::console_record(
        common::format_record("(A,I8,A,F8.3,A,F10.2,A,F8.3,A)",
                              {"  solves", solves, "  CPU s", elapsed, "  per solve", 1e6 * elapsed / solves,
                               " us  per step", 1e6 * elapsed / solves / counts.nst, " us"}));
}

}  // namespace

int main() {
    return common::run_program("lsoda_robertson", [] {
        time_solves(2, "Robertson demonstration, Jacobian by differences");
        time_solves(1, "Robertson demonstration, Jacobian from JAC");
        return common::ExitStatus::success;
    });
}
