#include "models/colloid_run.hpp"
#include "models/model_procedures.hpp"

namespace models {

RunOutcome colloidcfinstant(const common::RunDirectory& dirtrans) {
    return run_colloid_model(dirtrans, coltrans::ColloidFamily::instantaneous);
}

}  // namespace models
