#pragma once
// One call of GSL's adaptive Gauss-Kronrod integrator QAG as the quadrature drivers make it: the
// tolerances and key as the drivers accept them, GSL's status as the drivers' code, an integrand of
// any callable type reached through one function pointer, and the guarantee that the integrand is
// never evaluated at an end of the interval.

#include <gsl/gsl_integration.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <memory>
#include <optional>

#include "numerics/qag_codes.hpp"

namespace numerics {

// The work storage of QAG for at most `limit` subintervals (at least 1). Reusable from one call to
// the next: every call starts by resetting it.
class QagWorkspace {
  public:
    // Throws common::AllocationFailure when the storage cannot be allocated.
    explicit QagWorkspace(std::size_t limit);

    std::size_t limit() const noexcept { return workspace_->limit; }
    gsl_integration_workspace* get() const noexcept { return workspace_.get(); }

  private:
    struct Free {
        void operator()(gsl_integration_workspace* workspace) const noexcept;
    };
    std::unique_ptr<gsl_integration_workspace, Free> workspace_;
};

struct QagOutcome {
    double result = 0.0;
    double errest = 0.0;
    int ier = ier::success;
    std::int64_t evaluations = 0;  // calls of the integrand
};

namespace qag_detail {

// The tolerances and key handed to GSL.
struct Settings {
    double epsabs;
    double epsrel;
    int key;
};

// The settings for the drivers' ERRABS, ERRREL and IRULE, or nothing when both tolerances are
// negative (code 6).
std::optional<Settings> settings_for(double errabs, double errrel, std::int32_t irule);

// The drivers' code for a status returned by gsl_integration_qag.
int ier_from_gsl_status(int status);

// The integrand as GSL calls it. Only nodes strictly inside the interval reach the callable: GSL's
// rules place their nodes inside, but next to an end where the subintervals have been bisected down
// to the resolution of doubles, a node can round onto the end itself; such a node counts as 0 and
// the integrand is not evaluated there. (A node that is not a number, from a limit that is not a
// number, is passed on.) An exception thrown by the callable must not cross GSL's C frames: it is
// kept, every later node yields NaN so that QAG ends at once, and qag() rethrows it.
template <typename F>
struct GuardedIntegrand {
    F& f;
    double lower;  // the ends of the interval, lower <= upper
    double upper;
    std::int64_t evaluations = 0;
    std::exception_ptr failure;

    static double evaluate(double x, void* self) noexcept {
        auto& integrand = *static_cast<GuardedIntegrand*>(self);
        if (!(integrand.lower < x && x < integrand.upper)) [[unlikely]] {
            if (!std::isnan(x)) return 0.0;  // on (or rounded beyond) an end
        }
        if (integrand.failure) [[unlikely]]
            return std::numeric_limits<double>::quiet_NaN();
        ++integrand.evaluations;
        try {
            return integrand.f(x);
        } catch (...) {
            integrand.failure = std::current_exception();
            return std::numeric_limits<double>::quiet_NaN();
        }
    }
};

}  // namespace qag_detail

// The integral of f over [a, b] with the Gauss-Kronrod pair of key irule (1 to 6; below 1 taken as
// 1, above 6 as 6), to max(errabs, errrel * |result|), using the workspace's limit:
// - errabs < 0 and errrel < 0: code 6, result and estimate 0, f not evaluated;
// - a == b: result and estimate 0, code 0, f not evaluated;
// - a pair that GSL would reject although it is valid here (errabs <= 0 and errrel below 50 machine
//   epsilons, such as 0 and 0, or -1 and 0) is integrated with errabs 0 and errrel 50 machine
//   epsilons, the finest relative tolerance QAG accepts;
// - otherwise exactly GSL's QAG; b < a gives the negative of the integral over [b, a].
// An exception from f is rethrown after GSL has returned.
template <typename F>
QagOutcome qag(F& f, double a, double b, double errabs, double errrel, std::int32_t irule,
               QagWorkspace& workspace) {
    QagOutcome outcome;
    const std::optional<qag_detail::Settings> settings = qag_detail::settings_for(errabs, errrel, irule);
    if (!settings) {
        outcome.ier = ier::invalid_input;
        return outcome;
    }
    if (a == b) return outcome;
    qag_detail::GuardedIntegrand<F> integrand{f, a < b ? a : b, a < b ? b : a, 0, nullptr};
    const gsl_function function{&qag_detail::GuardedIntegrand<F>::evaluate, &integrand};
    const int status =
        gsl_integration_qag(&function, a, b, settings->epsabs, settings->epsrel, workspace.limit(),
                            settings->key, workspace.get(), &outcome.result, &outcome.errest);
    if (integrand.failure) std::rethrow_exception(integrand.failure);
    outcome.ier = qag_detail::ier_from_gsl_status(status);
    outcome.evaluations = integrand.evaluations;
    return outcome;
}

}  // namespace numerics
