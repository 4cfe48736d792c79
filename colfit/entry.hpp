#pragma once
// colfit's run: read the generator's inputs in RUN_DIR/SystemFiles, fit, write the results into
// RUN_DIR, draw the picture, and say on the console how it went.

#include "common/failure.hpp"

namespace colfit {

// The whole program after --help and --version; returns its exit status: success for a fit that
// converged, handled_failure for one that did not (its files are written all the same), for
// arguments that cannot be used and for a model that cannot be evaluated at the initial values
// (nothing written). Inputs that cannot pose a fit end it with common::IoFailure.
common::ExitStatus run(int argc, char** argv);

}  // namespace colfit
