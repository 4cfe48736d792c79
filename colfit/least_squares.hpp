#pragma once
// One weighted least-squares fit from one start, with GSL's nonlinear least-squares solver: trust
// region, Levenberg-Marquardt (geodesic acceleration on request: on the benchmark's fits it took
// more evaluations for the same optimum), Levenberg scaling, QR. The solver moves the free
// variables theta of the estimated parameters (see parameter_space.hpp); its Jacobian is the
// forward-difference Jacobian in the statistical variables s, carried to theta by ds/dtheta.

#include <cstddef>
#include <string_view>
#include <vector>

#include "colfit/residuals.hpp"

namespace colfit {

struct SolverSettings {
    std::size_t max_iterations = 100;
    // Converged when an accepted step changes no s_j by more than this, relative to its scale
    // (1 on the log scale: a relative change of the value), or when the gradient test of the solver
    // passes with this tolerance.
    double step_tolerance = 1e-7;
    double gradient_tolerance = 1e-9;
    // Converged when phi fell by less than this fraction of the residual variance phi / (n - p) over
    // the last `settle_iterations` iterations: further steps would move the parameters by about a
    // tenth of a standard error or less (a valley along which the data hardly constrain them).
    double settle_tolerance = 1e-2;
    std::size_t settle_iterations = 3;
    std::size_t degrees_of_freedom = 1;
    double difference_step = 1e-4;  // forward-difference step in s, relative to its scale
    bool geodesic_acceleration = false;
};

enum class Termination {
    small_step,          // converged: the last step was below the step tolerance
    small_gradient,      // converged: the scaled gradient is below its tolerance
    settled,             // converged: phi hardly falls any more
    no_progress,         // converged: no step reduces phi any more, within the model's accuracy
    iteration_limit,     // not converged
    evaluation_failure,  // not converged: the derivatives could not be formed at the current point
};

bool is_converged(Termination termination);
std::string_view termination_text(Termination termination);

struct Solution {
    std::vector<double> s;          // the statistical variables at the end
    std::vector<double> residuals;  // the weighted residuals there
    double phi = 0.0;
    std::size_t iterations = 0;
    Termination termination = Termination::iteration_limit;
};

// The fit from s_start (within the bounds); the residuals there must be computable.
Solution solve(Residuals& residuals, const std::vector<double>& s_start, const SolverSettings& settings);

}  // namespace colfit
