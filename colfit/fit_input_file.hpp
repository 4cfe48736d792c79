#pragma once
// fit_input.txt: an input.txt that the simulator runs as it is, laid out as the generator's template
// lays it out, with the fitted values (17 significant digits) in place of the markers, the
// template's bulk density, the accuracy the fit evaluated the model at on line 15, and the
// observation points as the template writes them. Each settings line says what it holds.

#include <string>
#include <vector>

#include "colfit/evaluation_accuracy.hpp"
#include "colfit/fit_problem.hpp"

namespace colfit {

std::vector<std::string> fit_input_records(const FitProblem& problem, const ParameterValues& values,
                                           const EvaluationAccuracy& accuracy);

}  // namespace colfit
