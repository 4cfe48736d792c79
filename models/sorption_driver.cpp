#include "common/console.hpp"
#include "models/model_procedures.hpp"

namespace adsorption {

// Not built yet: says so and ends the run as a failure.
models::RunOutcome adsorptionsolver(const common::RunDirectory&) {
    common::error_record("coltrans: the sorption model is not built yet");
    return models::RunOutcome::handled_failure;
}

}  // namespace adsorption
