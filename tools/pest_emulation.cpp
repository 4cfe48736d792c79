#include "tools/pest_emulation.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <stdexcept>

#include "common/edit_descriptors.hpp"
#include "common/list_input.hpp"
#include "common/record_file.hpp"
#include "tools/words.hpp"

namespace tools {
namespace {

// The field of ESw.dEe, or nothing when the value does not fit it.
std::string es_field(double value, int width, int digits, int exponent_digits) {
    if (digits < 1) return {};
    std::string text;
    common::put_es(text, value, width, digits, exponent_digits);
    return text.find('*') == std::string::npos ? text : std::string();
}

}  // namespace

std::vector<std::string> read_records(const std::string& path) {
    common::RecordFile file;
    if (!file.open(path, common::OpenMode::existing)) throw std::runtime_error("cannot open " + path);
    std::vector<std::string> records;
    std::string record;
    while (file.read_record(record)) records.push_back(record);
    return records;
}

void write_records(const std::string& path, const std::vector<std::string>& records) {
    common::RecordFile out;
    if (!out.open(path, common::OpenMode::any)) throw std::runtime_error("cannot write " + path);
    for (const std::string& record : records) {
        if (!out.write_record(record)) throw std::runtime_error("cannot write " + path);
    }
    if (!out.close()) throw std::runtime_error("cannot write " + path);
}

ParameterValues control_file_initial_values(const std::string& control_path) {
    const std::vector<std::string> records = read_records(control_path);
    if (records.size() < 4) throw std::runtime_error(control_path + " is too short for a control file");
    const std::vector<std::string> counts = words(records[3]);
    std::int32_t npar = 0;
    if (counts.empty() || !common::parse_integer(counts[0], npar) || npar < 1) {
        throw std::runtime_error(control_path + ": no parameter count on line 4");
    }
    const auto section = std::find_if(records.begin(), records.end(), [](const std::string& r) {
        return lower(r).find("* parameter data") != std::string::npos;
    });
    if (section == records.end() || records.end() - section <= npar) {
        throw std::runtime_error(control_path + ": no parameter data section of " + std::to_string(npar) +
                                 " lines");
    }
    ParameterValues values;
    for (auto line = section + 1; line != section + 1 + npar; ++line) {
        const std::vector<std::string> fields = words(*line);
        double value = 0.0;
        if (fields.size() < 4 || !common::parse_real(fields[3], value)) {
            throw std::runtime_error(control_path + ": bad parameter line '" + *line + "'");
        }
        values[lower(fields[0])] = value;
    }
    return values;
}

ParameterValues parameter_file_values(const std::string& path) {
    const std::vector<std::string> records = read_records(path);
    const std::vector<std::string> heading = records.empty() ? std::vector<std::string>() : words(records[0]);
    if (heading.size() < 2 || (lower(heading[0]) != "single" && lower(heading[0]) != "double") ||
        lower(heading[1]) != "point") {
        throw std::runtime_error(path + " does not begin with 'single point' or 'double point'");
    }
    ParameterValues values;
    for (std::size_t k = 1; k < records.size(); ++k) {
        const std::vector<std::string> fields = words(records[k]);
        if (fields.empty()) continue;
        double value = 0.0, scale = 1.0, offset = 0.0;
        if (fields.size() < 4 || !common::parse_real(fields[1], value) ||
            !common::parse_real(fields[2], scale) || !common::parse_real(fields[3], offset)) {
            throw std::runtime_error(path + ": bad parameter line '" + records[k] + "'");
        }
        values[lower(fields[0])] = value * scale + offset;
    }
    return values;
}

ParameterValues model_input_values(const std::string& path) {
    const std::vector<std::string> records = read_records(path);
    const std::vector<std::string> first = records.empty() ? std::vector<std::string>() : words(records[0]);
    if (!first.empty() && lower(first[0]) == "pcf") return control_file_initial_values(path);
    return parameter_file_values(path);
}

std::string marker_value_text(double value, int width) {
    if (!std::isfinite(value))
        throw std::runtime_error("a parameter value that is not finite cannot be written");
    // Columns besides the digits after the point: sign, leading digit, point, "E", exponent sign
    // and the exponent's digits.
    std::string text = es_field(value, width, width - 7, 2);
    if (text.empty()) text = es_field(value, width, width - 8, 3);
    if (text.empty()) {
        std::string shown = common::edit_es(value, 24, 15, 3);
        shown.erase(0, shown.find_first_not_of(' '));
        throw std::runtime_error("a marker of " + std::to_string(width) +
                                 " columns is too narrow for the value " + shown);
    }
    return text;
}

std::vector<std::string> fill_template(const std::vector<std::string>& template_records,
                                       const ParameterValues& values) {
    if (template_records.empty() || template_records[0].size() != 5 ||
        lower(template_records[0].substr(0, 4)) != "ptf ") {
        throw std::runtime_error("a template begins with 'ptf <marker character>'");
    }
    const char marker = template_records[0][4];
    std::vector<std::string> input;
    for (std::size_t k = 1; k < template_records.size(); ++k) {
        std::string line = template_records[k];
        const std::string where = "template line " + std::to_string(k + 1) + ": ";
        for (std::size_t start = line.find(marker); start != std::string::npos;
             start = line.find(marker, start)) {
            const std::size_t end = line.find(marker, start + 1);
            if (end == std::string::npos) throw std::runtime_error(where + "unclosed marker");
            const std::vector<std::string> name = words(line.substr(start + 1, end - start - 1));
            if (name.size() != 1) throw std::runtime_error(where + "a marker holds one parameter name");
            const auto value = values.find(lower(name[0]));
            if (value == values.end()) throw std::runtime_error(where + "no value for parameter " + name[0]);
            const int width = static_cast<int>(end - start + 1);
            line.replace(start, end - start + 1, marker_value_text(value->second, width));
            start = end + 1;
        }
        input.push_back(std::move(line));
    }
    return input;
}

void write_model_input(const std::string& template_path, const ParameterValues& values,
                       const std::string& input_path) {
    write_records(input_path, fill_template(read_records(template_path), values));
}

}  // namespace tools
