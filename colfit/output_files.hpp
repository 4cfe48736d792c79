#pragma once
// The files a fit writes into the run directory: fit_parameters.par, fit_summary.json,
// fit_report.txt, fit_curve.txt, fit_input.txt, and the picture's script fit.gp. Each file is
// written beside its target and put in its place once complete, so that a failure never leaves a
// half-written file; a file that cannot be written ends the run (common::IoFailure).

#include <string>
#include <vector>

#include "colfit/dense_curve.hpp"
#include "colfit/fit_report.hpp"

namespace colfit {

void write_outputs(const common::RunDirectory& run, const FitReport& report,
                   const std::vector<DenseCurve>& curves);

// Replaces the file at `path` with the records.
void write_records(const std::string& path, const std::vector<std::string>& records);

}  // namespace colfit
