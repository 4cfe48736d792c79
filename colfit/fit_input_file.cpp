// The simulator's input with the fitted values.
#include "colfit/fit_input_file.hpp"

#include <algorithm>
#include <array>
#include <limits>

#include "common/edit_descriptors.hpp"
#include "common/format.hpp"

namespace colfit {
namespace {

// What input.txt lines 1 to 13 hold in the colloid modes, by family where they differ.
constexpr std::array<std::string_view, 14> kColloidLines = {
    "",
    "the model: 0-10 even instantaneous injection, 1-11 odd broad pulse, anything else sorption",
    "D: hydrodynamic dispersion coefficient [cm^2/hr]",
    "kc: clogging rate constant [1/hr]",
    "kr: declogging rate constant [1/hr]",
    "lamda: inactivation constant of suspended particles [1/hr]",
    "U: average interstitial velocity [cm/hr]",
    "",
    "Theta: porosity [-]",
    "lamdas: inactivation constant of attached particles [1/hr]",
    "",
    "rh0: bulk density of the solid matrix [g/cm^3], fixed by the template",
    "not read",
    "not read"};

std::string line_text(Family family, std::size_t line) {
    if (line == 7)
        return family == Family::broad_pulse ? "tp: pulse time [hr]" : "A0: cross-section area [cm^2]";
    if (line == 10)
        return family == Family::broad_pulse ? "Conc0: source concentration [g/cm^3]"
                                             : "mi: injected mass [g]";
    if (family == Family::sorption && line >= 2 && line <= 10) return "Parameter " + std::to_string(line - 1);
    if (family == Family::sorption && line == 11) return "not used";
    return std::string(kColloidLines[line]);
}

// The name of the parameter whose marker stands on `line`, if any.
std::string_view marker_on(std::size_t line) {
    for (std::size_t r = 0; r < kParameterCount; ++r) {
        if (static_cast<std::size_t>(template_layout().input_line[r]) == line) return kParameterNames[r];
    }
    return {};
}

}  // namespace

std::vector<std::string> fit_input_records(const FitProblem& problem, const ParameterValues& values,
                                           const EvaluationAccuracy& accuracy) {
    const std::array<double, 14> line_values = input_line_values(values);
    const common::Format value_line("(ES24.16E3,3X,A)");
    std::vector<std::string> records;
    for (std::size_t line = 1; line <= 13; ++line) {
        std::string comment = "! ";
        const std::string_view name = marker_on(line);
        if (!name.empty()) comment.append(name).append(": ");
        comment.append(line_text(problem.family, line));
        records.push_back(value_line.apply({line_values[line], std::string_view(comment)}));
    }
    records.push_back("fitted_by_colfit   ! title (one word, not used)");
    if (problem.family == Family::sorption) {
        records.push_back(common::format_record("(ES10.2E2,ES10.2E2,A)",
                                                {accuracy.ode_relative, accuracy.ode_absolute,
                                                 "  0   ! relative and absolute tolerance of the integrator "
                                                 "(as colfit ran it), an unused integer"}));
        records.push_back("t[hr]_C   ! the measured series follows: time and solute concentration");
    } else {
        records.push_back(common::format_record(
            "(ES10.2E2,ES25.16E3,I6,A)",
            {accuracy.relative, accuracy.absolute, accuracy.limit,
             "   ! ERRREL, ERRABS, limit of subdivisions: the accuracy colfit evaluated the model at"}));
        records.push_back("t[hr]_x[cm]   ! the points follow: time and position");
    }
    const common::Format point_line("(ES15.7,3X,ES15.7)");
    for (const Observation& o : problem.observations) records.push_back(point_line.apply({o.t, o.x}));
    return records;
}

}  // namespace colfit
