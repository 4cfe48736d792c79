#pragma once
// fit_curve.txt: one line per observation, in file order: time, position (the solute concentration
// in the sorption modes), measured value, fitted value, weight and residual (measured - fitted),
// after a heading line that begins with '#' (so that plotting programs pass over it).

#include <span>
#include <string>
#include <vector>

#include "colfit/fit_problem.hpp"

namespace colfit {

std::vector<std::string> curve_records(const FitProblem& problem, std::span<const double> fitted);

}  // namespace colfit
