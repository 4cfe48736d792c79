#include "numerics/qag.hpp"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_machine.h>

#include <algorithm>
#include <string>

#include "common/allocation.hpp"
#include "common/failure.hpp"

namespace numerics {

QagWorkspace::QagWorkspace(std::size_t limit)
    : workspace_(gsl_integration_workspace_alloc(std::max<std::size_t>(limit, 1))) {
    if (!workspace_) {
        throw common::AllocationFailure(std::string(common::kAllocationTooLarge),
                                        common::SourceLocation::current());
    }
}

void QagWorkspace::Free::operator()(gsl_integration_workspace* workspace) const noexcept {
    gsl_integration_workspace_free(workspace);
}

namespace qag_detail {

// The finest relative tolerance that GSL's QAG accepts when the absolute tolerance is not positive.
constexpr double finest_relative_tolerance = 50.0 * GSL_DBL_EPSILON;

std::optional<Settings> settings_for(double errabs, double errrel, std::int32_t irule) {
    if (errabs < 0.0 && errrel < 0.0) return std::nullopt;
    Settings settings{errabs, errrel, std::clamp<int>(irule, GSL_INTEG_GAUSS15, GSL_INTEG_GAUSS61)};
    if (errabs <= 0.0 && errrel < finest_relative_tolerance) {
        settings.epsabs = 0.0;
        settings.epsrel = finest_relative_tolerance;
    }
    return settings;
}

int ier_from_gsl_status(int status) {
    switch (status) {
        case GSL_SUCCESS:
            return ier::success;
        // "maximum number of subdivisions reached" (also "a maximum of one iteration was
        // insufficient" when LIMIT is 1).
        case GSL_EMAXITER:
            return ier::subdivision_limit;
        // "roundoff error prevents tolerance from being achieved", on the first attempt or later.
        // GSL gives this code precedence over the subdivision limit and over bad behaviour
        // reached on the same bisection; its status decides.
        case GSL_EROUND:
            return ier::roundoff;
        // "bad integrand behavior found in the integration interval": a subinterval too small to
        // bisect further.
        case GSL_ESING:
            return ier::bad_integrand;
        // "could not integrate function": GSL's only other way out of the bisection loop, taken
        // when the error estimate or the tolerance is not a number (an integrand that yields NaN).
        case GSL_EFAILED:
            return ier::bad_integrand;
        // Rejected tolerances or workspace: not reached, since the drivers adjust the tolerances
        // and size the workspace beforehand; reported as invalid input if it ever is.
        case GSL_EBADTOL:
        case GSL_EINVAL:
            return ier::invalid_input;
        default:
            return ier::bad_integrand;
    }
}

}  // namespace qag_detail
}  // namespace numerics
