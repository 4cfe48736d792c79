#pragma once
// fit_summary.json: the fit for programs. phi, the numbers of observations and estimated parameters,
// model evaluations, CPU and wall time, convergence; per parameter its value, standard error and
// 95 % interval (null where there is none) and whether it was estimated, fixed or tied; the
// correlation matrix of the estimated parameters; RMSE and R^2; the warnings; the multi-start
// summary when there was more than one start.

#include <string>
#include <vector>

#include "colfit/fit_report.hpp"

namespace colfit {

std::vector<std::string> summary_records(const FitReport& report);

}  // namespace colfit
