// From the twelve parameter values to the model's own parameters, line by line of input.txt.
#include "colfit/model_input.hpp"

#include "coltrans/entry.hpp"

namespace colfit {
namespace {

// Lines 2 to 11 of input.txt in the colloid modes.
struct ColloidLines {
    double d, kc, kr, lamda, u, line7, theta, lamdas, line10, rh0;
};

ColloidLines colloid_lines(const ParameterValues& values) {
    const std::array<double, 14> line = input_line_values(values);
    return {line[2], line[3], line[4], line[5], line[6], line[7], line[8], line[9], line[10], line[11]};
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

models::InstantaneousParameters instantaneous_parameters(const ParameterValues& values) {
    const ColloidLines l = colloid_lines(values);
    return {.d = l.d,
            .kc = l.kc,
            .kr = l.kr,
            .lamda = l.lamda,
            .u = l.u,
            .a0 = l.line7,
            .theta = l.theta,
            .lamdas = l.lamdas,
            .mi = l.line10,
            .rh0 = l.rh0};
}

models::BroadPulseParameters broad_pulse_parameters(const ParameterValues& values) {
    const ColloidLines l = colloid_lines(values);
    return {.d = l.d,
            .kc = l.kc,
            .kr = l.kr,
            .lamda = l.lamda,
            .u = l.u,
            .tp = l.line7,
            .theta = l.theta,
            .lamdas = l.lamdas,
            .conc0 = l.line10,
            .rh0 = l.rh0};
}

std::array<double, 9> sorption_parameters(const ParameterValues& values) {
    const std::array<double, 14> line = input_line_values(values);
    std::array<double, 9> par{};
    for (std::size_t k = 0; k < par.size(); ++k) par[k] = line[k + 2];
    return par;
}

}  // namespace colfit
