// Posing the fit from the generator's inputs, with the checks a calibration needs.
#include "colfit/fit_problem.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/edit_descriptors.hpp"
#include "common/failure.hpp"
#include "common/list_input.hpp"

namespace colfit {
namespace {

constexpr int kFirstRecordLine = 2;  // after the heading line

[[noreturn]] void bad_line(const std::string& path, std::size_t record, const std::string& cause,
                           common::SourceLocation where = common::SourceLocation::current()) {
    throw common::IoFailure(path, "cannot fit with", cause, record + kFirstRecordLine, where);
}

std::string number(double value) {
    return common::edit_shortest(value);
}

void check_estimated(const ParameterInput& p, std::size_t r, const std::string& path) {
    const std::string name(p.name);
    const int input_line = template_layout().input_line[r];
    if (r == kSimModeIndex)
        bad_line(path, r, "SimMode selects the model and cannot be estimated: give it a fit flag of 0");
    if (input_line > 11) {
        bad_line(path, r,
                 name + " feeds line " + std::to_string(input_line) +
                     " of input.txt, which no model reads: give it a fit flag of 0");
    }
    if (!(p.lower < p.upper)) {
        bad_line(path, r,
                 "the bounds " + number(p.lower) + " to " + number(p.upper) + " leave no room to estimate " +
                     name + ": the lower bound must be below the upper one");
    }
    if (!(p.lower <= p.initial && p.initial <= p.upper)) {
        bad_line(path, r,
                 "the initial value " + number(p.initial) + " of " + name + " lies outside its bounds " +
                     number(p.lower) + " to " + number(p.upper));
    }
}

std::array<ParameterInput, kParameterCount> parameter_inputs(const pestprep::ParsToFit& given,
                                                             const std::string& path) {
    pestprep::ParsToFit pars = given;
    pestprep::untie_l2_unless_kirr_estimated(pars);
    std::array<ParameterInput, kParameterCount> inputs_of_records{};
    for (std::size_t r = 0; r < kParameterCount; ++r) {
        ParameterInput& p = inputs_of_records[r];
        p.name = kParameterNames[r];
        p.initial = pars.parvalue[r];
        p.lower = pars.parboundarymin[r];
        p.upper = pars.parboundarymax[r];
        p.line = static_cast<int>(r) + kFirstRecordLine;
        if (pars.parfitflag[r] != pestprep::kEstimated) continue;
        if (r == pestprep::kL2Index) {
            p.role = Role::tied;
            continue;
        }
        check_estimated(p, r, path);
        p.role = Role::estimated;
        p.scale = scale_for_bounds(p.lower, p.upper);
    }
    return inputs_of_records;
}

}  // namespace

double as_template_writes(double value) {
    double written = value;
    const std::string field = common::edit_es(value, 15, 7);
    if (!common::parse_real(field.substr(field.find_first_not_of(' ')), written)) return value;
    return written;
}

ParameterValues FitProblem::initial_values() const {
    ParameterValues values{};
    for (std::size_t r = 0; r < kParameterCount; ++r) values[r] = parameters[r].initial;
    return values;
}

FitProblem make_fit_problem(const FitInputs& inputs) {
    FitProblem problem;
    problem.paths = inputs.paths;
    problem.parameters = parameter_inputs(inputs.pars, inputs.paths.pars_to_fit);
    for (std::size_t r = 0; r < kParameterCount; ++r) {
        if (problem.parameters[r].role == Role::estimated) problem.estimated.push_back(r);
    }
    if (problem.estimated.empty()) {
        throw common::IoFailure(inputs.paths.pars_to_fit, "cannot fit with",
                                "no parameter is estimated: give at least one a fit flag of 1");
    }
    const ParameterInput& kirr = problem.parameters[pestprep::kKirrIndex];
    const ParameterInput& l2 = problem.parameters[pestprep::kL2Index];
    if (l2.role == Role::tied) {
        if (kirr.initial == 0.0) {
            bad_line(inputs.paths.pars_to_fit, pestprep::kL2Index,
                     "l2 is tied to Kirr at the ratio of their initial values, but Kirr starts at 0");
        }
        problem.tie_ratio = l2.initial / kirr.initial;
    }
    problem.sim_mode = sim_mode_of(problem.initial_values());
    problem.family = family_of(problem.sim_mode);

    const pestprep::Observations& o = inputs.observations;
    for (std::size_t i = 0; i < o.cexpvector.size(); ++i) {
        if (o.weightvector[i] < 0.0)
            bad_line(inputs.paths.exp_data, i, "the weight " + number(o.weightvector[i]) + " is negative");
        problem.observations.push_back({as_template_writes(o.tvector[i]), as_template_writes(o.xvector[i]),
                                        o.cexpvector[i], o.weightvector[i]});
        if (o.weightvector[i] != 0.0) {
            ++problem.weighted_observations;
            problem.data_scale = std::max(problem.data_scale, std::fabs(o.cexpvector[i]));
        }
    }
    const std::size_t p = problem.estimated.size();
    if (problem.weighted_observations <= p) {
        throw common::IoFailure(inputs.paths.exp_data, "cannot fit with",
                                std::to_string(problem.weighted_observations) +
                                    " observations with a weight other than 0: estimating " +
                                    std::to_string(p) + " parameters needs at least " +
                                    std::to_string(p + 1));
    }
    const bool series = problem.family == Family::sorption;
    for (std::size_t i = 1; series && i < problem.observations.size(); ++i) {
        if (!(problem.observations[i].t > problem.observations[i - 1].t)) {
            bad_line(inputs.paths.time_coords, i,
                     "the time " + number(problem.observations[i].t) +
                         " is not greater than the one before it: the sorption model takes the times in "
                         "increasing order");
        }
    }
    return problem;
}

}  // namespace colfit
