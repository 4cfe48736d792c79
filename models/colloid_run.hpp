#pragma once
// The run of a colloid model, the same for both: read the settings, count the points, compute
// and write one result per point with the progress marks, report the CPU time, append the run to
// the archive.

#include "coltrans/colloid_settings.hpp"
#include "common/run_directory.hpp"
#include "models/model_procedures.hpp"

namespace models {

RunOutcome run_colloid_model(const common::RunDirectory& dirtrans, coltrans::ColloidFamily family);

}  // namespace models
