#pragma once
// fit_parameters.par: a parameter value file as the calibration engines write their best values, so
// that their tools (template filling among them) read it: "single point", then one line per
// parameter with its name, its value to 17 significant digits, scale 1.0 and offset 0.0, all
// twelve parameters in the order of the control file.

#include <string>
#include <vector>

#include "colfit/parameter_layout.hpp"

namespace colfit {

std::vector<std::string> parameter_file_records(const ParameterValues& values);

}  // namespace colfit
