#include "coltrans/colloid_settings.hpp"

namespace coltrans {

models::ColloidModel colloid_model(ColloidFamily family, const ColloidSettings& s) {
    const models::QuadratureTolerances tolerances{.errabs = s.errabs, .errrel = s.errrel};
    if (family == ColloidFamily::instantaneous) {
        return {models::InstantaneousParameters{.d = s.d,
                                                .kc = s.kc,
                                                .kr = s.kr,
                                                .lamda = s.lamda,
                                                .u = s.u,
                                                .a0 = s.line7,
                                                .theta = s.theta,
                                                .lamdas = s.lamdas,
                                                .mi = s.line10,
                                                .rh0 = s.rh0},
                tolerances};
    }
    return {models::BroadPulseParameters{.d = s.d,
                                         .kc = s.kc,
                                         .kr = s.kr,
                                         .lamda = s.lamda,
                                         .u = s.u,
                                         .tp = s.line7,
                                         .theta = s.theta,
                                         .lamdas = s.lamdas,
                                         .conc0 = s.line10,
                                         .rh0 = s.rh0},
            tolerances};
}

}  // namespace coltrans
