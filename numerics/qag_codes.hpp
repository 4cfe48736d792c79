#pragma once

namespace numerics::ier {

// The codes of QAG that the quadrature drivers report (QuadratureResult::ier).
enum Code : int {
    success = 0,
    subdivision_limit = 1,  // LIMIT subintervals in use and the tolerance not reached
    roundoff = 2,           // roundoff error prevents the requested tolerance from being achieved
    bad_integrand = 3,      // extremely bad integrand behaviour at some points of the interval
    invalid_input = 6,      // ERRABS < 0 and ERRREL < 0: nothing integrated, result 0
};

}  // namespace numerics::ier
