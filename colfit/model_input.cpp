// From the twelve parameter values to the model's own parameters, line by line of input.txt.
#include "colfit/model_input.hpp"

#include "coltrans/colloid_settings.hpp"
#include "coltrans/entry.hpp"

namespace colfit {
namespace {

// Lines 2 to 11 of input.txt in the colloid modes, as the simulator's settings, with the accuracy of
// line 15.
coltrans::ColloidSettings colloid_settings(const ParameterValues& values,
                                           models::QuadratureTolerances tolerances) {
    const std::array<double, 14> line = input_line_values(values);
    return {.d = line[2],
            .kc = line[3],
            .kr = line[4],
            .lamda = line[5],
            .u = line[6],
            .line7 = line[7],
            .theta = line[8],
            .lamdas = line[9],
            .line10 = line[10],
            .rh0 = line[11],
            .errrel = tolerances.errrel,
            .errabs = tolerances.errabs};
}

}  // namespace

float sim_mode_of(const ParameterValues& values) {
    return static_cast<float>(input_line_values(values)[1]);
}

Family family_of(float sim_mode) {
    switch (coltrans::select_model(sim_mode)) {
        case coltrans::ModelKind::instantaneous:
            return Family::instantaneous;
        case coltrans::ModelKind::broad_pulse:
            return Family::broad_pulse;
        case coltrans::ModelKind::sorption:
            break;
    }
    return Family::sorption;
}

std::string_view family_name(Family family) {
    switch (family) {
        case Family::instantaneous:
            return "instantaneous injection";
        case Family::broad_pulse:
            return "broad pulse";
        case Family::sorption:
            break;
    }
    return "batch sorption";
}

models::ColloidModel colloid_model(Family family, const ParameterValues& values,
                                   models::QuadratureTolerances tolerances) {
    const coltrans::ColloidFamily colloid_family = family == Family::instantaneous
                                                       ? coltrans::ColloidFamily::instantaneous
                                                       : coltrans::ColloidFamily::broad_pulse;
    return coltrans::colloid_model(colloid_family, colloid_settings(values, tolerances));
}

std::array<double, 9> sorption_parameters(const ParameterValues& values) {
    const std::array<double, 14> line = input_line_values(values);
    std::array<double, 9> par{};
    for (std::size_t k = 0; k < par.size(); ++k) par[k] = line[k + 2];
    return par;
}

}  // namespace colfit
