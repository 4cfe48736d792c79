#pragma once
// Quadrature drivers over GSL's adaptive Gauss-Kronrod integrator QAG: dqdag for a single integral
// and dtwodq for a double integral whose inner limits are functions of the outer variable. Failure
// codes of QAG are reported to the run's message file; only invalid tolerances pause.

#include <cstdint>
#include <cstdio>

#include "common/message_file.hpp"
#include "numerics/function_ref.hpp"
#include "numerics/qag_codes.hpp"

namespace numerics {

using Integrand = FunctionRef<double(double)>;           // f(x)
using Integrand2 = FunctionRef<double(double, double)>;  // f(outer, inner)
using InnerLimit = FunctionRef<double(double)>;          // g(outer) or h(outer)

struct QuadratureResult {
    double result = 0.0;  // RESULT
    double errest = 0.0;  // ERREST: QAG's absolute error estimate (of the outer integral for dtwodq)
    int ier = 0;          // the code QAG reported: 0, 1, 2, 3 or 6 (numerics::ier)
};

// The drivers of one run: the subdivision limit LIMIT that every QAG call uses, the message file,
// and the work storage of the outer and inner levels, allocated once here (more levels are added if
// an integrand itself integrates). A LIMIT below 1 is taken as 1: each integration applies its rule
// once and reports code 1 when that is not accurate enough. Throws common::AllocationFailure when
// the work storage cannot be allocated.
//
// The integrand is never evaluated at an end of an interval (a = b integrates to 0 without any
// evaluation). Code 1, 2 and 3 texts go to the message file, code 2 only from inner integrals;
// code 6 (ERRABS < 0 and ERRREL < 0) writes its record, pauses, and writes "Press any key to
// continue" after the pause. Tolerance pairs that QAG cannot honour but that are valid here (ERRABS
// <= 0 with ERRREL below 50 machine epsilons) are integrated at ERRABS 0 and ERRREL 50 machine
// epsilons. An exception from an integrand or inner limit propagates to the caller.
class Quadrature {
    struct State;

  public:
    Quadrature(std::int32_t limit, common::MessageFile& messages);
    ~Quadrature();
    Quadrature(const Quadrature&) = delete;
    Quadrature& operator=(const Quadrature&) = delete;

    // Integral of f over [a, b] with the Gauss-Kronrod pair of key irule (clamped to 1..6).
    QuadratureResult dqdag(Integrand f, double a, double b, double errabs, double errrel, std::int32_t irule);

    // The same integral as one of the inner integrals of a double integral whose outer integrand, in
    // a dqdag of its own, computes it: its codes are reported as dtwodq reports those of its inner
    // integrals (f3integrated), roundoff included. For double integrals whose inner limits,
    // tolerances or integrand depend on the outer abscissa in ways dtwodq does not express.
    QuadratureResult inner_dqdag(Integrand f, double a, double b, double errabs, double errrel,
                                 std::int32_t irule);

    // Integral over x from a to b of the integral over y from g(x) to h(x) of f(x, y).
    QuadratureResult dtwodq(Integrand2 f, double a, double b, InnerLimit g, InnerLimit h, double errabs,
                            double errrel, std::int32_t irule);

    // Integrand evaluations made since construction (for benchmarks): calls of the integrands of
    // dqdag and of the two-argument integrands of dtwodq (not of the inner limits).
    std::int64_t evaluations() const noexcept;
    // Whether code 6 (invalid tolerances) was reported, and its pause resumed, during the run.
    bool invalid_input_reported() const noexcept;

    // Where the pause of code 6 reads its answer: standard input unless set.
    void set_pause_answers(std::FILE* answers) noexcept;

    // Keeps back what the integrations made during its lifetime report (records, pauses), for an
    // evaluation that may be abandoned and made again in another form: release() reports it all in
    // its order, and whatever has not been released when the hold ends is dropped. A hold made
    // while another is in place leaves everything to the outer one.
    class HeldReports {
      public:
        explicit HeldReports(Quadrature& quadrature);
        ~HeldReports();
        HeldReports(const HeldReports&) = delete;
        HeldReports& operator=(const HeldReports&) = delete;
        void release();

      private:
        State& state_;
        bool outermost_;
    };

  private:
    State* state_;
};

}  // namespace numerics
