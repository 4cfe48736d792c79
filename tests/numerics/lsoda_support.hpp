#pragma once
// Helpers for the integrator's tests: one problem's arguments and work arrays, the optional
// outputs by name, and reference solutions from GSL's own ODE drivers.

#include <gsl/gsl_errno.h>
#include <gsl/gsl_odeiv2.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "numerics/lsoda.hpp"

namespace lsoda_test {

inline void no_jacobian(const int*, const double*, const double*, const int*, const int*, double*,
                        const int*) {}

// The arguments of one problem, kept between calls as a caller keeps them.
struct Integration {
    numerics::LsodaRhs f = nullptr;
    numerics::LsodaJac jac = no_jacobian;
    int neq = 0;
    std::vector<double> y;
    double t = 0.0;
    int itol = 1;
    std::vector<double> rtol{1e-6};
    std::vector<double> atol{1e-6};
    int itask = 1;
    int istate = 1;
    int iopt = 0;
    int jt = 2;
    std::vector<double> rwork;
    std::vector<int> iwork;
    int lrw = 0;
    int liw = 0;

    Integration(numerics::LsodaRhs rhs, std::vector<double> y0, double t0, int work_real = 0,
                int work_int = 0)
        : f(rhs), neq(static_cast<int>(y0.size())), y(std::move(y0)), t(t0) {
        // Long enough for every Jacobian type with full matrices.
        lrw = work_real > 0 ? work_real : 22 + neq * 16 + neq * neq;
        liw = work_int > 0 ? work_int : 20 + neq;
        rwork.assign(static_cast<std::size_t>(lrw), 0.0);
        iwork.assign(static_cast<std::size_t>(liw), 0);
    }

    int call(double tout) {
        numerics::dlsoda(f, &neq, y.data(), &t, &tout, &itol, rtol.data(), atol.data(), &itask, &istate,
                         &iopt, rwork.data(), &lrw, iwork.data(), &liw, jac, &jt);
        return istate;
    }

    double hu() const { return rwork[10]; }
    double hcur() const { return rwork[11]; }
    double tcur() const { return rwork[12]; }
    double tolsf() const { return rwork[13]; }
    double tsw() const { return rwork[14]; }
    int nst() const { return iwork[10]; }
    int nfe() const { return iwork[11]; }
    int nje() const { return iwork[12]; }
    int nqu() const { return iwork[13]; }
    int nqcur() const { return iwork[14]; }
    int imxer() const { return iwork[15]; }
    int lenrw() const { return iwork[16]; }
    int leniw() const { return iwork[17]; }
    int mused() const { return iwork[18]; }
    int mcur() const { return iwork[19]; }
};

// A reference solution by GSL: the multistep BDF driver (which needs the Jacobian, given here in
// the integrator's full column-major form) or, without a Jacobian, the eighth-order Runge-Kutta pair.
class Reference {
  public:
    Reference(numerics::LsodaRhs f, numerics::LsodaJac jac, std::vector<double> y0, double t0,
              double tolerance)
        : f_(f), jac_(jac), n_(static_cast<int>(y0.size())), y_(std::move(y0)), t_(t0) {
        system_ = {rhs, jac != nullptr ? jacobian : nullptr, static_cast<std::size_t>(n_), this};
        driver_ = gsl_odeiv2_driver_alloc_y_new(
            &system_, jac != nullptr ? gsl_odeiv2_step_msbdf : gsl_odeiv2_step_rk8pd, 1e-8, tolerance,
            tolerance);
        gsl_odeiv2_driver_set_nmax(driver_, 0);
    }
    ~Reference() { gsl_odeiv2_driver_free(driver_); }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;

    const std::vector<double>& at(double t) {
        if (gsl_odeiv2_driver_apply(driver_, &t_, t, y_.data()) != GSL_SUCCESS) {
            throw std::runtime_error("reference integration failed at t = " + std::to_string(t_));
        }
        return y_;
    }

  private:
    static int rhs(double t, const double y[], double dydt[], void* params) {
        const auto* self = static_cast<const Reference*>(params);
        self->f_(&self->n_, &t, y, dydt);
        return GSL_SUCCESS;
    }
    static int jacobian(double t, const double y[], double* dfdy, double dfdt[], void* params) {
        const auto* self = static_cast<const Reference*>(params);
        const int n = self->n_;
        std::vector<double> pd(static_cast<std::size_t>(n) * n, 0.0);
        const int zero = 0;
        self->jac_(&n, &t, y, &zero, &zero, pd.data(), &n);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) dfdy[i * n + j] = pd[i + static_cast<std::size_t>(j) * n];
            dfdt[i] = 0.0;  // the test problems are autonomous
        }
        return GSL_SUCCESS;
    }

    numerics::LsodaRhs f_;
    numerics::LsodaJac jac_;
    int n_;
    std::vector<double> y_;
    double t_;
    gsl_odeiv2_system system_{};
    gsl_odeiv2_driver* driver_ = nullptr;
};

// The records a message prints: its texts blank-padded to 60 columns, each line ended by CR LF.
inline std::string text_record(std::string text, std::size_t width = 60) {
    if (text.size() < width) text.resize(width, ' ');
    return " " + text + "\r\n";
}

}  // namespace lsoda_test
