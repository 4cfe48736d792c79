#include "common/console.hpp"
#include "models/model_procedures.hpp"

namespace models {

// Not built yet: says so and ends the run as a failure.
models::RunOutcome colloidcfinstant(const common::RunDirectory&) {
    common::error_record("coltrans: the instantaneous-injection model is not built yet");
    return models::RunOutcome::handled_failure;
}

}  // namespace models
