#include "models/colloid_run.hpp"
#include "models/model_procedures.hpp"

namespace models {

RunOutcome colloidcfbroadpusle(const common::RunDirectory& dirtrans) {
    return run_colloid_model(dirtrans, coltrans::ColloidFamily::broad_pulse);
}

}  // namespace models
