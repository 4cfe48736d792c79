#include "tools/gml_estimation.hpp"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>

#include "numerics/gsl_error_handler.hpp"
#include "numerics/gsl_handles.hpp"
#include "tools/estimation_controls.hpp"
#include "tools/model_runs.hpp"

namespace tools {
namespace {

using Matrix = numerics::GslMatrix;
using Vector = numerics::GslVector;
using numerics::gsl_zero_matrix;
using numerics::gsl_zero_vector;

// An adjustable parameter as the estimation moves it: the variable b is its value, or the base-10
// logarithm of its value when it is log-transformed.
struct Adjustable {
    std::size_t index = 0;  // in the control file's parameters
    bool log = false;
    bool relative_limit = false;  // its change per iteration is limited relatively, else by a factor
    double lower = 0.0;           // bounds of b
    double upper = 0.0;
    DerivativeGroup group;

    double value(double b) const { return log ? std::pow(10.0, b) : b; }
    double variable(double value) const { return log ? std::log10(value) : value; }
};

// Everything a model run and an upgrade need; `runs` counts the model runs made.
struct Problem {
    std::string folder;
    ModelInterface model;
    EstimationControls controls;
    std::vector<Adjustable> adjustable;
    std::map<std::string, std::size_t> observation_index;
    int runs = 0;
};

using Variables = std::vector<double>;
using Residuals = std::vector<double>;  // weight × (observed - modelled), per observation

const ControlParameter& parameter_named(const ModelInterface& model, const std::string& name) {
    const auto found = std::find_if(model.parameters.begin(), model.parameters.end(),
                                    [&](const ControlParameter& p) { return p.name == name; });
    if (found == model.parameters.end()) throw std::runtime_error("no parameter named " + name);
    return *found;
}

Problem make_problem(const std::string& folder, const std::string& control_name) {
    const std::string path = folder + "/" + control_name;
    Problem problem{folder, read_model_interface(path), read_estimation_controls(path), {}, {}, 0};
    for (std::size_t k = 0; k < problem.model.parameters.size(); ++k) {
        const ControlParameter& p = problem.model.parameters[k];
        if (p.transformation == "tied") {
            if (p.parent.empty() || parameter_named(problem.model, p.parent).value == 0.0)
                throw std::runtime_error(path + ": " + p.name + " is tied to no parameter with a value");
        }
        if (p.transformation != "none" && p.transformation != "log") continue;
        const auto group = std::find_if(problem.controls.groups.begin(), problem.controls.groups.end(),
                                        [&](const DerivativeGroup& g) { return g.name == p.group; });
        if (group == problem.controls.groups.end())
            throw std::runtime_error(path + ": parameter " + p.name + " has no parameter group");
        Adjustable a{k, p.transformation == "log", p.change_limit == "relative", 0.0, 0.0, *group};
        if (a.log && (p.lower <= 0.0 || p.value <= 0.0))
            throw std::runtime_error(path + ": log-transformed parameter " + p.name + " is not positive");
        a.lower = a.variable(p.lower);
        a.upper = a.variable(p.upper);
        problem.adjustable.push_back(a);
    }
    if (problem.adjustable.empty()) throw std::runtime_error(path + ": no adjustable parameter");
    for (std::size_t i = 0; i < problem.controls.observations.size(); ++i)
        problem.observation_index[problem.controls.observations[i].name] = i;
    return problem;
}

ParameterValues parameter_values(const Problem& problem, const Variables& b) {
    ParameterValues values;
    for (const ControlParameter& p : problem.model.parameters) values[p.name] = p.value;
    for (std::size_t j = 0; j < b.size(); ++j) {
        const Adjustable& a = problem.adjustable[j];
        values[problem.model.parameters[a.index].name] = a.value(b[j]);
    }
    for (const ControlParameter& p : problem.model.parameters) {
        if (p.transformation != "tied") continue;
        const ControlParameter& parent = parameter_named(problem.model, p.parent);
        values[p.name] = p.value * values.at(parent.name) / parent.value;
    }
    return values;
}

Residuals residuals(Problem& problem, const Variables& b) {
    const std::vector<Observation> read =
        run_model(problem.folder, problem.model, parameter_values(problem, b));
    ++problem.runs;
    const std::vector<ControlObservation>& observed = problem.controls.observations;
    Residuals r(observed.size(), std::numeric_limits<double>::quiet_NaN());
    for (const Observation& o : read) {
        const auto found = problem.observation_index.find(o.name);
        if (found == problem.observation_index.end())
            throw std::runtime_error("the model output holds observation " + o.name +
                                     ", not in the control file");
        const ControlObservation& c = observed[found->second];
        r[found->second] = c.weight * (c.value - o.value);
    }
    for (std::size_t i = 0; i < r.size(); ++i) {
        if (std::isnan(r[i]))
            throw std::runtime_error("the model output lacks observation " + observed[i].name);
    }
    return r;
}

double phi_of(const Residuals& r) {
    double phi = 0.0;
    for (const double x : r) phi += x * x;
    return phi;
}

// The derivative increment of adjustable j at variable b_j, in the parameter's units.
double increment(const Problem& problem, std::size_t j, double b) {
    const Adjustable& a = problem.adjustable[j];
    const double value = a.value(b);
    const double step = std::max(a.group.relative ? a.group.increment * std::fabs(value) : a.group.increment,
                                 a.group.lower_bound);
    if (!(step > 0.0)) {
        throw std::runtime_error("parameter " + problem.model.parameters[a.index].name +
                                 " gets a derivative increment of 0");
    }
    return step;
}

// The derivatives of weight × modelled value by the variables (rows: observations), forward
// differences (away from an upper bound) or, when `central`, central ones where both sides lie
// within the bounds.
Matrix jacobian(Problem& problem, const Variables& b, const Residuals& r0, bool central) {
    const std::size_t n = r0.size();
    Matrix J = gsl_zero_matrix(n, b.size());
    for (std::size_t j = 0; j < b.size(); ++j) {
        const Adjustable& a = problem.adjustable[j];
        const double value = a.value(b[j]);
        const double step = increment(problem, j, b[j]);
        const double up_value = value + step, down_value = value - step;
        const bool up = a.variable(up_value) <= a.upper;
        const bool down = (!a.log || down_value > 0.0) && a.variable(down_value) >= a.lower;
        Variables b_plus = b, b_minus = b;
        Residuals r_plus = r0, r_minus = r0;
        if (up) {
            b_plus[j] = a.variable(up_value);
            r_plus = residuals(problem, b_plus);
        }
        if (!up || (central && down)) {
            b_minus[j] = a.variable(down_value);
            r_minus = residuals(problem, b_minus);
        }
        const double db = b_plus[j] - b_minus[j];
        for (std::size_t i = 0; i < n; ++i) gsl_matrix_set(J.get(), i, j, -(r_plus[i] - r_minus[i]) / db);
    }
    return J;
}

// J^T J scaled to a unit diagonal: the scaled matrix and the scales (0 for a variable that no
// observation sees).
struct ScaledNormal {
    Matrix matrix;
    std::vector<double> scale;
};

ScaledNormal scaled_normal_matrix(const gsl_matrix* J) {
    const std::size_t p = J->size2;
    ScaledNormal s{gsl_zero_matrix(p, p), std::vector<double>(p)};
    gsl_blas_dsyrk(CblasLower, CblasTrans, 1.0, J, 0.0, s.matrix.get());
    for (std::size_t j = 0; j < p; ++j) {
        const double d = gsl_matrix_get(s.matrix.get(), j, j);
        s.scale[j] = d > 0.0 ? 1.0 / std::sqrt(d) : 0.0;
    }
    for (std::size_t j = 0; j < p; ++j) {
        for (std::size_t k = 0; k <= j; ++k) {
            const double v = gsl_matrix_get(s.matrix.get(), j, k) * s.scale[j] * s.scale[k];
            gsl_matrix_set(s.matrix.get(), j, k, v);
            gsl_matrix_set(s.matrix.get(), k, j, v);
        }
    }
    return s;
}

// The Marquardt upgrade of the variables for `lambda`: (S J^T J S + lambda I) y = S J^T r, u = S y,
// with the `frozen` variables left out (u = 0 for them); nothing when that matrix is not positive
// definite.
std::optional<std::vector<double>> upgrade(const ScaledNormal& normal, const gsl_vector* gradient,
                                           double lambda, const std::vector<bool>& frozen) {
    const std::size_t p = normal.scale.size();
    Matrix A = gsl_zero_matrix(p, p);
    gsl_matrix_memcpy(A.get(), normal.matrix.get());
    Vector y = gsl_zero_vector(p);
    for (std::size_t j = 0; j < p; ++j) {
        gsl_matrix_set(A.get(), j, j, gsl_matrix_get(A.get(), j, j) + lambda);
        gsl_vector_set(y.get(), j, normal.scale[j] * gsl_vector_get(gradient, j));
    }
    for (std::size_t j = 0; j < p; ++j) {
        if (!frozen[j]) continue;
        for (std::size_t k = 0; k < p; ++k) {
            gsl_matrix_set(A.get(), j, k, j == k ? 1.0 : 0.0);
            gsl_matrix_set(A.get(), k, j, j == k ? 1.0 : 0.0);
        }
        gsl_vector_set(y.get(), j, 0.0);
    }
    if (gsl_linalg_cholesky_decomp1(A.get()) != GSL_SUCCESS) return std::nullopt;
    if (gsl_linalg_cholesky_svx(A.get(), y.get()) != GSL_SUCCESS) return std::nullopt;
    std::vector<double> u(p);
    for (std::size_t j = 0; j < p; ++j) u[j] = normal.scale[j] * gsl_vector_get(y.get(), j);
    return u;
}

// The variables after the upgrade `u`, shortened as a whole so that no parameter changes by more
// than its limit, then each kept within its bounds.
Variables apply_upgrade(const Problem& problem, const Variables& b, const std::vector<double>& u) {
    const EstimationControls& c = problem.controls;
    double fraction = 1.0;
    for (std::size_t j = 0; j < b.size(); ++j) {
        const Adjustable& a = problem.adjustable[j];
        if (u[j] == 0.0) continue;
        const double value = a.value(b[j]);
        if (a.relative_limit) {
            const double change = std::fabs(a.value(b[j] + u[j]) - value);
            if (value != 0.0)
                fraction = std::min(fraction, c.relative_change_max * std::fabs(value) / change);
        } else if (a.log) {
            fraction = std::min(fraction, std::log10(c.factor_change_max) / std::fabs(u[j]));
        } else if (value != 0.0) {
            // Within value / factor and value × factor: towards 0 by (1 - 1/factor) of |value|.
            const bool away_from_zero = (u[j] > 0.0) == (value > 0.0);
            const double room = std::fabs(value) * (away_from_zero ? c.factor_change_max - 1.0
                                                                   : 1.0 - 1.0 / c.factor_change_max);
            fraction = std::min(fraction, room / std::fabs(u[j]));
        }
    }
    Variables next(b.size());
    for (std::size_t j = 0; j < b.size(); ++j) {
        const Adjustable& a = problem.adjustable[j];
        next[j] = std::clamp(b[j] + fraction * u[j], a.lower, a.upper);
    }
    return next;
}

struct Trial {
    double lambda = 0.0;
    Variables b;
    Residuals r;
    double phi = std::numeric_limits<double>::infinity();
};

// One iteration's lambda search from the variables `b` with residuals `r`: lambda, then smaller
// ones while phi keeps falling enough, or larger ones until phi falls; the best trial.
Trial lambda_search(Problem& problem, const Variables& b, const Residuals& r, double phi, double lambda) {
    const EstimationControls& c = problem.controls;
    const Matrix J = jacobian(problem, b, r, false);
    const ScaledNormal normal = scaled_normal_matrix(J.get());
    Vector gradient = gsl_zero_vector(b.size());
    const gsl_vector_const_view r_view = gsl_vector_const_view_array(r.data(), r.size());
    gsl_blas_dgemv(CblasTrans, 1.0, J.get(), &r_view.vector, 0.0, gradient.get());

    int tried = 0;
    const auto attempt = [&](double l) {
        ++tried;
        Trial t{l, b, r, std::numeric_limits<double>::infinity()};
        // A parameter at a bound that the upgrade would push beyond it stays there, and the others'
        // upgrade is found without it.
        std::vector<bool> frozen(b.size(), false);
        std::optional<std::vector<double>> u;
        for (bool again = true; again;) {
            u = upgrade(normal, gradient.get(), l, frozen);
            if (!u) return t;
            again = false;
            for (std::size_t j = 0; j < b.size(); ++j) {
                const Adjustable& a = problem.adjustable[j];
                if (!frozen[j] && ((b[j] <= a.lower && (*u)[j] < 0.0) || (b[j] >= a.upper && (*u)[j] > 0.0)))
                    frozen[j] = again = true;
            }
        }
        t.b = apply_upgrade(problem, b, *u);
        t.r = residuals(problem, t.b);
        t.phi = phi_of(t.r);
        return t;
    };
    Trial best = attempt(lambda);
    if (best.phi < phi) {
        while (tried < c.lambdas && best.phi > c.phi_ratio_sufficient * phi) {
            const Trial smaller = attempt(best.lambda / c.lambda_factor);
            if (!(smaller.phi < best.phi)) break;
            const double reduction = (best.phi - smaller.phi) / best.phi;
            best = smaller;
            if (reduction < c.phi_reduction_lambda) break;
        }
    } else {
        for (double l = lambda; tried < c.lambdas;) {
            l *= c.lambda_factor;
            const Trial larger = attempt(l);
            if (larger.phi < best.phi) best = larger;
            if (best.phi < phi) break;
        }
    }
    return best;
}

// The largest relative change of a parameter's value from `before` to `after`.
double largest_relative_change(const Problem& problem, const Variables& before, const Variables& after) {
    double largest = 0.0;
    for (std::size_t j = 0; j < before.size(); ++j) {
        const Adjustable& a = problem.adjustable[j];
        const double v0 = a.value(before[j]), v1 = a.value(after[j]);
        largest = std::max(largest, v0 != 0.0 ? std::fabs(v1 - v0) / std::fabs(v0) : std::fabs(v1));
    }
    return largest;
}

// s^2 (J^T W J)^-1 at `b` from central differences, as standard errors in the parameters' units.
std::vector<double> standard_errors(Problem& problem, const Variables& b, const Residuals& r, double phi) {
    const std::size_t p = b.size();
    std::vector<double> se(p, std::numeric_limits<double>::quiet_NaN());
    const Matrix J = jacobian(problem, b, r, true);
    const auto weighted =
        std::count_if(problem.controls.observations.begin(), problem.controls.observations.end(),
                      [](const ControlObservation& o) { return o.weight != 0.0; });
    if (weighted <= static_cast<long>(p)) return se;
    const double s2 = phi / static_cast<double>(weighted - static_cast<long>(p));
    ScaledNormal normal = scaled_normal_matrix(J.get());
    if (std::find(normal.scale.begin(), normal.scale.end(), 0.0) != normal.scale.end()) return se;
    if (gsl_linalg_cholesky_decomp1(normal.matrix.get()) != GSL_SUCCESS) return se;
    if (gsl_linalg_cholesky_invert(normal.matrix.get()) != GSL_SUCCESS) return se;
    for (std::size_t j = 0; j < p; ++j) {
        const double variance =
            s2 * gsl_matrix_get(normal.matrix.get(), j, j) * normal.scale[j] * normal.scale[j];
        const Adjustable& a = problem.adjustable[j];
        se[j] = std::sqrt(variance) * (a.log ? a.value(b[j]) * std::log(10.0) : 1.0);
    }
    return se;
}

}  // namespace

EstimationResult estimate_parameters(const std::string& folder, const std::string& control_name,
                                     int iterations_max) {
    numerics::use_gsl_status_codes();
    Problem problem = make_problem(folder, control_name);
    const EstimationControls& c = problem.controls;
    if (iterations_max <= 0) iterations_max = c.iterations_max;

    Variables b;
    for (const Adjustable& a : problem.adjustable) {
        b.push_back(std::clamp(a.variable(problem.model.parameters[a.index].value), a.lower, a.upper));
    }
    Residuals r = residuals(problem, b);
    double phi = phi_of(r);
    EstimationResult result;
    result.initial_phi = phi;
    double lambda = c.lambda;
    std::vector<double> history;  // phi after each iteration
    int without_reduction = 0, small_changes = 0;
    while (true) {
        if (phi == 0.0) {
            result.termination = "phi is zero";
            break;
        }
        if (result.iterations >= iterations_max) {
            result.termination = "iteration limit";
            break;
        }
        ++result.iterations;
        const Trial best = lambda_search(problem, b, r, phi, lambda);
        lambda = best.lambda;
        const double change = best.phi < phi ? largest_relative_change(problem, b, best.b) : 0.0;
        if (best.phi < phi) {
            b = best.b, r = best.r, phi = best.phi;
            without_reduction = 0;
        } else {
            ++without_reduction;
        }
        history.push_back(phi);
        small_changes = change <= c.parameter_change_stop ? small_changes + 1 : 0;
        if (without_reduction >= c.no_reduction_iterations) {
            result.termination = "no lower phi in " + std::to_string(without_reduction) + " iterations";
            break;
        }
        if (small_changes >= c.parameter_stop_iterations) {
            result.termination =
                "parameter changes small in " + std::to_string(small_changes) + " iterations";
            break;
        }
        const auto stop = static_cast<std::size_t>(std::max(c.phi_stop_iterations, 1));
        if (history.size() >= stop &&
            std::all_of(history.end() - static_cast<long>(stop), history.end(),
                        [&](double h) { return (h - phi) / h <= c.phi_reduction_stop; })) {
            result.termination = "relative phi reduction small in " + std::to_string(stop) + " iterations";
            break;
        }
    }
    const std::vector<double> se = standard_errors(problem, b, r, phi);
    result.values = parameter_values(problem, b);
    for (std::size_t j = 0; j < b.size(); ++j) {
        const std::string& name = problem.model.parameters[problem.adjustable[j].index].name;
        result.estimated.push_back({name, result.values.at(name), se[j]});
    }
    result.phi = phi;
    result.model_runs = problem.runs;
    return result;
}

}  // namespace tools
