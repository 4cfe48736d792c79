#pragma once
// The generator's entry, shared by pestprep and pestprep_keeplim: finds the run directory, opens
// its files, reads and cross-checks the inputs in SystemFiles, and calls the writers of the
// instruction file, the template and the control file.

#include "common/failure.hpp"
#include "pestprep/generator_data.hpp"

namespace pestprep {

// The whole program; returns its exit status.
common::ExitStatus run(int argc, char** argv, ChangeLimit change_limit);

}  // namespace pestprep
