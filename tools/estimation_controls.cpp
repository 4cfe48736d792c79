#include "tools/estimation_controls.hpp"

#include <initializer_list>
#include <stdexcept>
#include <variant>

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

// The first items of a line, each read as the kind of number its target holds.
using Item = std::variant<double*, int*>;
void read_items(const std::string& line, std::initializer_list<Item> items, const std::string& control_path) {
    const std::vector<std::string> w = fields(line, items.size(), control_path);
    std::size_t k = 0;
    for (const Item& item : items) {
        const std::string& word = w[k++];
        if (double* const* real_target = std::get_if<double*>(&item)) {
            **real_target = real(word, line, control_path);
        } else {
            *std::get<int*>(item) = integer(word, line, control_path);
        }
    }
}

}  // namespace

EstimationControls read_estimation_controls(const std::string& control_path) {
    const ControlSections all = read_control_sections(control_path);
    EstimationControls c;
    const std::vector<std::string>& data = control_section(all, "control data", control_path);
    if (data.size() < 7) throw std::runtime_error(control_path + ": the control data section is too short");
    read_items(data[3],
               {&c.lambda, &c.lambda_factor, &c.phi_ratio_sufficient, &c.phi_reduction_lambda, &c.lambdas},
               control_path);
    read_items(data[4], {&c.relative_change_max, &c.factor_change_max}, control_path);
    read_items(data[6],
               {&c.iterations_max, &c.phi_reduction_stop, &c.phi_stop_iterations, &c.no_reduction_iterations,
                &c.parameter_change_stop, &c.parameter_stop_iterations},
               control_path);

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
