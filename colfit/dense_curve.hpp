#pragma once
// The fitted model as a dense curve for the picture: in the colloid modes, for each position of the
// observations, the concentration at 300 times from 0 to the last observation time there; in the
// sorption modes C* over the measured series with 300 times added between its first and last time,
// where the solute concentration is the series' own straight line between its points (so that the
// model is driven exactly as over the series itself).

#include <string>
#include <vector>

#include "colfit/curve_evaluator.hpp"
#include "colfit/fit_problem.hpp"

namespace colfit {

struct DenseCurve {
    double x = 0.0;  // the position (colloid modes)
    std::vector<double> t;
    std::vector<double> value;
};

// Empty when the model cannot be evaluated there.
std::vector<DenseCurve> dense_curves(const FitProblem& problem, const ParameterValues& values,
                                     CurveEvaluator& evaluator);

}  // namespace colfit
