#include "tools/estimation_controls.hpp"

#include <stdexcept>

#include "common/list_input.hpp"
#include "tools/model_runs.hpp"
#include "tools/words.hpp"

namespace tools {
namespace {

// The words of a line that holds at least `count` of them.
std::vector<std::string> fields(const std::string& line, std::size_t count, const std::string& control_path) {
    std::vector<std::string> w = words(line);
    if (w.size() < count)
        throw std::runtime_error(control_path + ": too few items on the line '" + line + "'");
    return w;
}

double real(const std::string& word, const std::string& line, const std::string& control_path) {
    double value = 0.0;
    if (!common::parse_real(word, value))
        throw std::runtime_error(control_path + ": not a number, '" + word + "' on the line '" + line + "'");
    return value;
}

int integer(const std::string& word, const std::string& line, const std::string& control_path) {
    std::int32_t value = 0;
    if (!common::parse_integer(word, value))
        throw std::runtime_error(control_path + ": not an integer, '" + word + "' on the line '" + line +
                                 "'");
    return value;
}

}  // namespace

EstimationControls read_estimation_controls(const std::string& control_path) {
    const ControlSections all = read_control_sections(control_path);
    EstimationControls c;
    const std::vector<std::string>& data = control_section(all, "control data", control_path);
    if (data.size() < 7) throw std::runtime_error(control_path + ": the control data section is too short");
    const auto number = [&](const std::vector<std::string>& w, std::size_t k, const std::string& line) {
        return real(w[k], line, control_path);
    };
    const auto count = [&](const std::vector<std::string>& w, std::size_t k, const std::string& line) {
        return integer(w[k], line, control_path);
    };
    const std::vector<std::string> lambda = fields(data[3], 5, control_path);
    c.lambda = number(lambda, 0, data[3]);
    c.lambda_factor = number(lambda, 1, data[3]);
    c.phi_ratio_sufficient = number(lambda, 2, data[3]);
    c.phi_reduction_lambda = number(lambda, 3, data[3]);
    c.lambdas = count(lambda, 4, data[3]);
    const std::vector<std::string> limits = fields(data[4], 2, control_path);
    c.relative_change_max = number(limits, 0, data[4]);
    c.factor_change_max = number(limits, 1, data[4]);
    const std::vector<std::string> stop = fields(data[6], 6, control_path);
    c.iterations_max = count(stop, 0, data[6]);
    c.phi_reduction_stop = number(stop, 1, data[6]);
    c.phi_stop_iterations = count(stop, 2, data[6]);
    c.no_reduction_iterations = count(stop, 3, data[6]);
    c.parameter_change_stop = number(stop, 4, data[6]);
    c.parameter_stop_iterations = count(stop, 5, data[6]);

    for (const std::string& line : control_section(all, "parameter groups", control_path)) {
        const std::vector<std::string> w = fields(line, 4, control_path);
        c.groups.push_back({lower(w[0]), lower(w[1]) != "absolute", real(w[2], line, control_path),
                            real(w[3], line, control_path)});
    }
    for (const std::string& line : control_section(all, "observation data", control_path)) {
        const std::vector<std::string> w = fields(line, 3, control_path);
        c.observations.push_back(
            {lower(w[0]), real(w[1], line, control_path), real(w[2], line, control_path)});
    }
    return c;
}

}  // namespace tools
