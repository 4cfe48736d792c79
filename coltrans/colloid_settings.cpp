#include "coltrans/colloid_settings.hpp"

namespace coltrans {

models::InstantaneousParameters instantaneous_parameters(const ColloidSettings& s) {
    return {.d = s.d,
            .kc = s.kc,
            .kr = s.kr,
            .lamda = s.lamda,
            .u = s.u,
            .a0 = s.line7,
            .theta = s.theta,
            .lamdas = s.lamdas,
            .mi = s.line10,
            .rh0 = s.rh0};
}

models::BroadPulseParameters broad_pulse_parameters(const ColloidSettings& s) {
    return {.d = s.d,
            .kc = s.kc,
            .kr = s.kr,
            .lamda = s.lamda,
            .u = s.u,
            .tp = s.line7,
            .theta = s.theta,
            .lamdas = s.lamdas,
            .conc0 = s.line10,
            .rh0 = s.rh0};
}

models::ColloidModel colloid_model(ColloidFamily family, const ColloidSettings& settings) {
    const models::QuadratureTolerances tolerances{.errabs = settings.errabs, .errrel = settings.errrel};
    if (family == ColloidFamily::instantaneous) return {instantaneous_parameters(settings), tolerances};
    return {broad_pulse_parameters(settings), tolerances};
}

}  // namespace coltrans
