#pragma once
// fit_report.txt: the fit for a person. What was fitted and how the fit ended, the goodness of fit,
// a table of the parameters (value, standard error, 95 % interval, bounds, role), the correlations
// of the estimated parameters, the warnings, and a few lines on how to read the statistics.

#include <string>
#include <vector>

#include "colfit/fit_report.hpp"

namespace colfit {

std::vector<std::string> report_records(const FitReport& report);

}  // namespace colfit
