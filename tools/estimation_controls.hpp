#pragma once
// What a control file says about the estimation itself, beyond its model: the Marquardt lambda and
// its search, the limits on a parameter's change per iteration, when to stop, the derivative
// increments of the parameter groups, and the observations with their weights.

#include <string>
#include <vector>

namespace tools {

// A parameter group: how its parameters' derivatives are taken.
struct DerivativeGroup {
    std::string name;      // lower case
    bool relative = true;  // the increment is `increment` times |value| (else `increment` itself)
    double increment = 0.01;
    double lower_bound = 0.0;  // the smallest increment, in the parameter's units
};

// An observation: its name (lower case), measured value and weight (phi adds the squares of
// weight × residual).
struct ControlObservation {
    std::string name;
    double value = 0.0;
    double weight = 1.0;
};

struct EstimationControls {
    // The Marquardt lambda: its first value, the factor between tried values, the new phi over the
    // iteration's starting phi that is good enough to stop trying, the relative change of phi
    // between two tried values below which the search stops, and the most values tried per
    // iteration.
    double lambda = 5.0;
    double lambda_factor = 2.0;
    double phi_ratio_sufficient = 0.3;
    double phi_reduction_lambda = 0.01;
    int lambdas = 10;
    // The largest change of a parameter per iteration: relative (|change| / |value|) for the
    // parameters with a relative limit, a factor for those with a factor limit.
    double relative_change_max = 5.0;
    double factor_change_max = 5.0;
    // Stop after `iterations_max` iterations; when the last `phi_stop_iterations` phis lie within a
    // relative `phi_reduction_stop` of the lowest; after `no_reduction_iterations` iterations that
    // do not lower phi; when `parameter_stop_iterations` iterations in a row change no parameter by
    // more than a relative `parameter_change_stop`.
    int iterations_max = 30;
    double phi_reduction_stop = 0.005;
    int phi_stop_iterations = 4;
    int no_reduction_iterations = 4;
    double parameter_change_stop = 0.005;
    int parameter_stop_iterations = 4;

    std::vector<DerivativeGroup> groups;
    std::vector<ControlObservation> observations;
};

// Reads the control data (its lines 4 to 7, by position: lambda, change limits, stop settings),
// the parameter groups and the observation data of a control file. Throws std::runtime_error,
// naming the file and line, for a section that is missing or a line that cannot be read.
EstimationControls read_estimation_controls(const std::string& control_path);

}  // namespace tools
