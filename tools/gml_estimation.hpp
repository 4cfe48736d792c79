#pragma once
// A Gauss-Marquardt-Levenberg estimation as a calibration engine makes it, driven only by its
// control file and model runs through files: the adjustable parameters (log-transformed ones as
// their base-10 logarithm) moved by Marquardt-damped Gauss-Newton upgrades from forward-difference
// derivatives, within their change limits and bounds, tied parameters following their parents,
// until phi stops falling; then the posterior statistics at the optimum from central differences.

#include <string>
#include <vector>

#include "tools/pest_emulation.hpp"

namespace tools {

struct EstimatedParameter {
    std::string name;  // lower case
    double value = 0.0;
    // s^2 (J^T W J)^-1 at the optimum, s^2 = phi / (n - p), carried to the parameter's own units;
    // NaN when J^T W J cannot be inverted.
    double standard_error = 0.0;
};

struct EstimationResult {
    ParameterValues values;                     // every parameter of the control file at the optimum
    std::vector<EstimatedParameter> estimated;  // the adjustable ones, in the control file's order
    double phi = 0.0;                           // sum of (weight × (observed - modelled))^2
    double initial_phi = 0.0;
    int iterations = 0;
    int model_runs = 0;  // those of the statistics included
    std::string termination;
};

// Estimates the parameters of the control file `control_name` in `folder` (the model runs there,
// as tools::run_model makes them). `iterations_max` > 0 overrides the control file's. Throws
// std::runtime_error when the control file cannot be read, a model run fails, or the model's
// observations are not those of the control file.
EstimationResult estimate_parameters(const std::string& folder, const std::string& control_name,
                                     int iterations_max = 0);

}  // namespace tools
