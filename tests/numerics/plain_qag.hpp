#pragma once
// A plain call of GSL's QAG with a fresh workspace, the reference the drivers are compared with.

#include <gsl/gsl_errno.h>
#include <gsl/gsl_integration.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace numerics::testing_support {

struct PlainQag {
    double result = 0.0;
    double abserr = 0.0;
    int status = 0;
};

inline PlainQag plain_qag(const std::function<double(double)>& f, double a, double b, double epsabs,
                          double epsrel, std::size_t limit, int key) {
    gsl_set_error_handler_off();
    const gsl_function function{[](double x, void* params) {
                                    return (*static_cast<const std::function<double(double)>*>(params))(x);
                                },
                                const_cast<std::function<double(double)>*>(&f)};
    gsl_integration_workspace* workspace = gsl_integration_workspace_alloc(limit);
    PlainQag plain;
    plain.status = gsl_integration_qag(&function, a, b, epsabs, epsrel, limit, key, workspace, &plain.result,
                                       &plain.abserr);
    gsl_integration_workspace_free(workspace);
    return plain;
}

inline std::uint64_t bits(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

}  // namespace numerics::testing_support
