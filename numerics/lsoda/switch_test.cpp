#include "numerics/lsoda/switch_test.hpp"

#include <algorithm>
#include <cmath>

#include "numerics/lsoda/method_coefficients.hpp"
#include "numerics/lsoda/weights_and_norms.hpp"

namespace numerics::lsoda {
namespace {

// The step-size ratio that keeps the error of order q at the tolerance: 1/(1.2 d^(1/(q+1)) + 1.2e-6),
// exponent given as 1/(q+1).
double same_order_ratio(double d, double exponent) {
    return 1.0 / (1.2 * std::pow(d, exponent) + 0.0000012);
}

// The Adams ratio rh1 further bound by the stability region of order q for the Lipschitz estimate
// pd; when |h| pd rh1 is negligible only doubling is allowed.
double stability_bound(double rh1, double pdh, int q) {
    double rh1it = 2.0 * rh1;
    if (pdh * rh1 > 0.00001) rh1it = adams_stability_bound[q - 1] / pdh;
    return std::min(rh1, rh1it);
}

std::optional<MethodSwitch> from_adams(const SolverState& s, double dsm, double pnorm, const double* yh,
                                       const double* ewt) {
    // Above order 5 the problem is taken to be non-stiff.
    if (s.nq > max_bdf_order) return std::nullopt;
    if (!(dsm > 100.0 * pnorm * s.uround && s.pdest != 0.0)) {
        // The estimates are polluted by roundoff: switch, doubling the step, only when the step
        // size was held by the stability region.
        if (!s.irflag) return std::nullopt;
        return MethodSwitch{Method::bdf, std::min(s.nq, s.mxords), 2.0};
    }
    const double exsm = 1.0 / s.l;
    double rh1 = same_order_ratio(dsm, exsm);
    rh1 = stability_bound(rh1, s.pdlast * std::fabs(s.h), s.nq);
    double rh2 = 0.0;
    int nqm2 = s.nq;
    if (s.nq <= s.mxords) {
        const double dm2 = dsm * (s.cm1[s.nq - 1] / s.cm2[s.nq - 1]);
        rh2 = same_order_ratio(dm2, exsm);
    } else {
        nqm2 = s.mxords;
        const int lm2 = s.mxords + 1;
        const double dm2 = weighted_max_norm(s.n, column(s, yh, lm2), ewt) / s.cm2[s.mxords - 1];
        rh2 = same_order_ratio(dm2, 1.0 / lm2);
    }
    if (rh2 < s.ratio * rh1) return std::nullopt;
    return MethodSwitch{Method::bdf, nqm2, rh2};
}

std::optional<MethodSwitch> from_bdf(const SolverState& s, double dsm, double pnorm, const double* yh,
                                     const double* ewt) {
    const double exsm = 1.0 / s.l;
    int nqm1 = s.nq;
    double exm1 = exsm;
    double dm1 = 0.0;
    double rh1 = 0.0;
    if (s.mxordn >= s.nq) {
        dm1 = dsm * (s.cm2[s.nq - 1] / s.cm1[s.nq - 1]);
        rh1 = same_order_ratio(dm1, exsm);
    } else {
        nqm1 = s.mxordn;
        const int lm1 = s.mxordn + 1;
        exm1 = 1.0 / lm1;
        dm1 = weighted_max_norm(s.n, column(s, yh, lm1), ewt) / s.cm1[s.mxordn - 1];
        rh1 = same_order_ratio(dm1, exm1);
    }
    rh1 = stability_bound(rh1, s.pdnorm * std::fabs(s.h), nqm1);
    const double rh2 = same_order_ratio(dsm, exsm);
    if (rh1 * s.ratio < 5.0 * rh2) return std::nullopt;
    // The Adams error at the new step size must not be at the level of roundoff.
    const double alpha = std::max(0.001, rh1);
    dm1 = std::pow(alpha, exm1) * dm1;
    if (dm1 <= 1000.0 * s.uround * pnorm) return std::nullopt;
    return MethodSwitch{Method::adams, nqm1, rh1};
}

}  // namespace

std::optional<MethodSwitch> test_method_switch(const SolverState& s, double dsm, double pnorm,
                                               const double* yh, const double* ewt) {
    if (s.meth == Method::adams) return from_adams(s, dsm, pnorm, yh, ewt);
    return from_bdf(s, dsm, pnorm, yh, ewt);
}

}  // namespace numerics::lsoda
