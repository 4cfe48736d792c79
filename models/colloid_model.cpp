#include "models/colloid_model.hpp"

namespace models {
namespace {

InstantaneousParameters instantaneous_parameters(const coltrans::ColloidSettings& s) {
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

BroadPulseParameters broad_pulse_parameters(const coltrans::ColloidSettings& s) {
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

}  // namespace

ColloidModel::ColloidModel(coltrans::ColloidFamily family, const coltrans::ColloidSettings& settings)
    : model_(family == coltrans::ColloidFamily::instantaneous
                 ? Model(std::in_place_type<InstantaneousInjection>, instantaneous_parameters(settings))
                 : Model(std::in_place_type<BroadPulse>, broad_pulse_parameters(settings))),
      tolerances_{.errabs = settings.errabs, .errrel = settings.errrel} {}

}  // namespace models
