#pragma once
// Inputs of a fit held in memory: the calibration example's twelve parameter records and a few
// observations, for the tests of the pieces that pose the fit.

#include "colfit/fit_inputs.hpp"

namespace colfit_test {

// Dcx R1 R2 Kirr U tp th l2 C0 M0 A0 SimMode, as in the calibration example, with every flag 0.
inline colfit::FitInputs example_inputs() {
    colfit::FitInputs inputs;
    inputs.paths = {"ParsToFit.txt", "TimeAndCoords.txt", "ExpData.txt"};
    inputs.pars.parvalue = {1.5, 0.05, 0.002, 0.03, 4.0, 4.0, 0.38, 0.015, 1e-3, 2e-3, 19.63, 1.0};
    inputs.pars.parboundarymin = {0.01, 1e-5, 1e-6, 1e-5, 0.1, 0.1, 0.1, 1e-6, 1e-6, 1e-6, 1.0, 0.0};
    inputs.pars.parboundarymax = {50.0, 5.0, 1.0, 1.0, 100.0, 48.0, 0.7, 1.0, 1.0, 1.0, 1000.0, 11.0};
    for (int k = 0; k < 8; ++k) {
        inputs.observations.tvector.push_back(4.0 + 2.0 * k);
        inputs.observations.xvector.push_back(30.0);
        inputs.observations.cexpvector.push_back(1e-4 * k);
        inputs.observations.weightvector.push_back(1e4);
    }
    return inputs;
}

}  // namespace colfit_test
