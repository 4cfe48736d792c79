// The trust-region Levenberg-Marquardt fit of one start through gsl_multifit_nlinear.
#include "colfit/least_squares.hpp"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "colfit/jacobian.hpp"

namespace colfit {
namespace {

// The residual given to the solver where the model cannot be evaluated: large enough that the
// solver rejects the step, small enough that phi stays finite.
constexpr double kFailedResidual = 1e100;

struct Session {
    Residuals& residuals;
    const SolverSettings& settings;
    // The residuals at the last point evaluated, which the Jacobian at that point reuses.
    std::vector<double> theta;
    std::optional<std::vector<double>> r;
};

std::vector<double> copy_of(const gsl_vector* v) {
    std::vector<double> out(v->size);
    for (std::size_t k = 0; k < v->size; ++k) out[k] = gsl_vector_get(v, k);
    return out;
}

const std::optional<std::vector<double>>& residuals_at(Session& session, const std::vector<double>& theta) {
    if (theta != session.theta || session.theta.empty()) {
        session.theta = theta;
        session.r = session.residuals.at(session.residuals.space().s_of_theta(theta));
    }
    return session.r;
}

int residual_function(const gsl_vector* x, void* params, gsl_vector* f) {
    Session& session = *static_cast<Session*>(params);
    const std::optional<std::vector<double>>& r = residuals_at(session, copy_of(x));
    for (std::size_t i = 0; i < f->size; ++i) gsl_vector_set(f, i, r ? (*r)[i] : kFailedResidual);
    return GSL_SUCCESS;
}

int jacobian_function(const gsl_vector* x, void* params, gsl_matrix* jac) {
    Session& session = *static_cast<Session*>(params);
    const std::vector<double> theta = copy_of(x);
    const std::optional<std::vector<double>> r = residuals_at(session, theta);
    if (!r) return GSL_EBADFUNC;
    const ParameterSpace& space = session.residuals.space();
    const std::vector<double> s = space.s_of_theta(theta);
    const std::optional<Matrix> j_s =
        jacobian(session.residuals, s, *r, Differences::forward, session.settings.difference_step);
    if (!j_s) return GSL_EBADFUNC;
    const std::vector<double> ds = space.derivatives(theta);
    for (std::size_t i = 0; i < jac->size1; ++i) {
        for (std::size_t j = 0; j < jac->size2; ++j) gsl_matrix_set(jac, i, j, (*j_s)(i, j) * ds[j]);
    }
    return GSL_SUCCESS;
}

struct WorkspaceFree {
    void operator()(gsl_multifit_nlinear_workspace* w) const noexcept { gsl_multifit_nlinear_free(w); }
};

bool small_step(const ParameterSpace& space, const std::vector<double>& before,
                const std::vector<double>& after, double tolerance) {
    for (std::size_t j = 0; j < before.size(); ++j) {
        if (std::fabs(after[j] - before[j]) > tolerance * space.typical(j, after[j])) return false;
    }
    return true;
}

}  // namespace

bool is_converged(Termination termination) {
    return termination == Termination::small_step || termination == Termination::small_gradient ||
           termination == Termination::settled || termination == Termination::no_progress;
}

std::string_view termination_text(Termination termination) {
    switch (termination) {
        case Termination::small_step:
            return "the last step changed no parameter by more than the step tolerance";
        case Termination::small_gradient:
            return "the gradient of phi vanished within its tolerance";
        case Termination::settled:
            return "phi fell by less than a hundredth of the residual variance over the last iterations";
        case Termination::no_progress:
            return "no step reduced phi any further within the model's accuracy";
        case Termination::iteration_limit:
            return "the iteration limit was reached";
        case Termination::evaluation_failure:
            break;
    }
    return "the model could not be evaluated near the current parameters";
}

Solution solve(Residuals& residuals, const std::vector<double>& s_start, const SolverSettings& settings) {
    const ParameterSpace& space = residuals.space();
    const std::size_t n = residuals.size();
    const std::size_t p = space.size();
    Session session{residuals, settings, {}, std::nullopt};

    gsl_multifit_nlinear_parameters parameters = gsl_multifit_nlinear_default_parameters();
    parameters.trs =
        settings.geodesic_acceleration ? gsl_multifit_nlinear_trs_lmaccel : gsl_multifit_nlinear_trs_lm;
    // The free variables all range over [-pi/2, pi/2] for the whole range of their parameter: the trust
    // region is measured in them directly (Levenberg's scaling). Moré's scaling, by the Jacobian's
    // columns, let the first steps leap across the ranges, onto plateaus where the curve vanishes.
    parameters.scale = gsl_multifit_nlinear_scale_levenberg;
    parameters.solver = gsl_multifit_nlinear_solver_qr;
    const std::unique_ptr<gsl_multifit_nlinear_workspace, WorkspaceFree> workspace(
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &parameters, n, p));
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = residual_function;
    fdf.df = jacobian_function;
    fdf.fvv = nullptr;  // the solver forms the second directional derivative by differences
    fdf.n = n;
    fdf.p = p;
    fdf.params = &session;

    const std::vector<double> theta_start = space.theta_of_s(s_start);
    gsl_vector_const_view x0 = gsl_vector_const_view_array(theta_start.data(), p);
    Solution solution;
    solution.termination = Termination::iteration_limit;
    if (gsl_multifit_nlinear_init(&x0.vector, &fdf, workspace.get()) != GSL_SUCCESS) {
        solution.termination = Termination::evaluation_failure;
    }
    std::vector<double> s = s_start;
    std::vector<double> phi_history{sum_of_squares(copy_of(gsl_multifit_nlinear_residual(workspace.get())))};
    while (solution.termination == Termination::iteration_limit &&
           solution.iterations < settings.max_iterations) {
        const int status = gsl_multifit_nlinear_iterate(workspace.get());
        if (status == GSL_ENOPROG) {
            solution.termination = Termination::no_progress;
            break;
        }
        if (status != GSL_SUCCESS) {
            solution.termination = Termination::evaluation_failure;
            break;
        }
        ++solution.iterations;
        const std::vector<double> next =
            space.s_of_theta(copy_of(gsl_multifit_nlinear_position(workspace.get())));
        const bool stepped_little = small_step(space, s, next, settings.step_tolerance);
        s = next;
        phi_history.push_back(sum_of_squares(copy_of(gsl_multifit_nlinear_residual(workspace.get()))));
        const std::size_t k = phi_history.size() - 1;
        const double variance = phi_history.back() / static_cast<double>(settings.degrees_of_freedom);
        int info = 0;
        if (stepped_little) {
            solution.termination = Termination::small_step;
        } else if (k >= settings.settle_iterations &&
                   phi_history[k - settings.settle_iterations] - phi_history[k] <
                       settings.settle_tolerance * variance) {
            solution.termination = Termination::settled;
        } else if (gsl_multifit_nlinear_test(0.0, settings.gradient_tolerance, 0.0, &info, workspace.get()) ==
                       GSL_SUCCESS &&
                   info == 2) {
            solution.termination = Termination::small_gradient;
        }
    }
    solution.s = space.s_of_theta(copy_of(gsl_multifit_nlinear_position(workspace.get())));
    solution.residuals = copy_of(gsl_multifit_nlinear_residual(workspace.get()));
    solution.phi = sum_of_squares(solution.residuals);
    return solution;
}

}  // namespace colfit
