#include "common/console.hpp"
#include "models/model_procedures.hpp"

namespace models {

// Not built yet: says so and ends the run as a failure.
models::RunOutcome colloidcfbroadpusle(const common::RunDirectory&) {
    common::error_record("coltrans: the broad-pulse model is not built yet");
    return models::RunOutcome::handled_failure;
}

}  // namespace models
