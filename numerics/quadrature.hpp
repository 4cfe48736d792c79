#pragma once
// Quadrature drivers over GSL's adaptive Gauss-Kronrod integrator QAG: dqdag for a single integral
// and dtwodq for a double integral whose inner limits are functions of the outer variable. Failure
// codes of QAG are reported to the run's message file; only invalid tolerances pause.

#include <cstdint>

#include "common/message_file.hpp"
#include "numerics/function_ref.hpp"

namespace numerics {

using Integrand = FunctionRef<double(double)>;             // f(x)
using Integrand2 = FunctionRef<double(double, double)>;    // f(outer, inner)
using InnerLimit = FunctionRef<double(double)>;            // g(outer) or h(outer)

struct QuadratureResult {
    double result = 0.0;  // RESULT
    double errest = 0.0;  // ERREST: QAG's absolute error estimate (of the outer integral for dtwodq)
    int ier = 0;          // the code QAG reported: 0, 1, 2, 3 or 6
};

// The drivers of one run: the subdivision limit LIMIT that every QAG call uses, the message file,
// and the work storage of the outer and inner levels.
class Quadrature {
public:
    Quadrature(std::int32_t limit, common::MessageFile& messages);
    ~Quadrature();
    Quadrature(const Quadrature&) = delete;
    Quadrature& operator=(const Quadrature&) = delete;

    // Integral of f over [a, b] with the Gauss-Kronrod pair of key irule (clamped to 1..6).
    QuadratureResult dqdag(Integrand f, double a, double b, double errabs, double errrel, std::int32_t irule);

    // Integral over x from a to b of the integral over y from g(x) to h(x) of f(x, y).
    QuadratureResult dtwodq(Integrand2 f, double a, double b, InnerLimit g, InnerLimit h, double errabs,
                            double errrel, std::int32_t irule);

    // Integrand evaluations made since construction (for benchmarks).
    std::int64_t evaluations() const noexcept;
    // Whether code 6 (invalid tolerances) was reported, and its pause resumed, during the run.
    bool invalid_input_reported() const noexcept;

private:
    struct State;
    State* state_;
};

}  // namespace numerics
