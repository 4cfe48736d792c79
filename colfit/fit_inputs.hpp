#pragma once
// The three inputs of a fit in RUN_DIR/SystemFiles, read with the generator's readers and rules:
// ParsToFit.txt (the twelve parameters: initial value, fit flag, bounds, label), TimeAndCoords.txt
// (time and position, or time and solute concentration in the sorption modes, per observation) and
// ExpData.txt (measured value and weight per observation).
//
// A missing file, a record that cannot be read, a number that is not finite, or observation files
// of different lengths end the run with common::IoFailure naming the file and the line.

#include <string>

#include "common/run_directory.hpp"
#include "pestprep/generator_data.hpp"

namespace colfit {

struct InputPaths {
    std::string pars_to_fit;
    std::string time_coords;
    std::string exp_data;
};

struct FitInputs {
    InputPaths paths;
    pestprep::ParsToFit pars;
    pestprep::Observations observations;
};

InputPaths input_paths(const common::RunDirectory& run);
FitInputs read_fit_inputs(const InputPaths& paths);

}  // namespace colfit
