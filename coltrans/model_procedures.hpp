#pragma once
// The model procedures that the simulator's entry dispatches to. Each reads input.txt in the run
// directory itself, writes print.txt and the run archive, and returns to the entry.

#include "common/run_directory.hpp"

namespace coltrans {

// How a model run ended when it returns to the entry.
enum class RunOutcome {
    completed,        // all results written
    handled_failure,  // a failure was reported (and a pause, where there is one, was resumed)
};

// Instantaneous injection (modes 0, 2, 4, 6, 8, 10).
RunOutcome colloidcfinstant(const common::RunDirectory& dirtrans);
// Pulse of finite duration (modes 1, 3, 5, 7, 9, 11).
RunOutcome colloidcfbroadpusle(const common::RunDirectory& dirtrans);

}  // namespace coltrans

namespace coltrans::adsorption {

// Batch sorption kinetics (every other mode).
RunOutcome adsorptionsolver(const common::RunDirectory& dirtrans);

}  // namespace coltrans::adsorption
