#include "tests/support/pest_emulation.hpp"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "common/edit_descriptors.hpp"
#include "common/list_input.hpp"
#include "common/record_file.hpp"

namespace test_support {
namespace {

std::vector<std::string> read_records(const std::string& path) {
    common::RecordFile file;
    if (!file.open(path, common::OpenMode::existing)) throw std::runtime_error("cannot open " + path);
    std::vector<std::string> records;
    std::string record;
    while (file.read_record(record)) records.push_back(record);
    return records;
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::string word;
    for (const char c : line) {
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!word.empty()) out.push_back(std::move(word));
            word.clear();
        } else {
            word.push_back(c);
        }
    }
    if (!word.empty()) out.push_back(std::move(word));
    return out;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::map<std::string, double> control_file_initial_values(const std::string& control_path) {
    const std::vector<std::string> records = read_records(control_path);
    if (records.size() < 4) throw std::runtime_error(control_path + " is too short for a control file");
    const std::vector<std::string> counts = words(records[3]);
    std::int32_t npar = 0;
    if (counts.empty() || !common::parse_integer(counts[0], npar)) {
        throw std::runtime_error(control_path + ": no parameter count on line 4");
    }
    const auto section = std::find_if(records.begin(), records.end(),
                                      [](const std::string& r) { return lower(r).find("* parameter data") != std::string::npos; });
    if (section == records.end() || records.end() - section <= npar) {
        throw std::runtime_error(control_path + ": no parameter data section of " + std::to_string(npar) + " lines");
    }
    std::map<std::string, double> values;
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

std::string marker_value_text(double value, int width) {
    // As many significant digits as the field holds: sign, digit, point, digits, E, sign, 3 digits.
    const int digits = std::max(width - 8, 0);
    std::string text;
    common::put_es(text, value, width, digits, 3);
    return text;
}

void write_model_input(const std::string& template_path, const std::map<std::string, double>& values,
                       const std::string& input_path) {
    const std::vector<std::string> records = read_records(template_path);
    if (records.empty() || records[0].size() < 5 || lower(records[0].substr(0, 3)) != "ptf") {
        throw std::runtime_error(template_path + " does not begin with 'ptf <marker>'");
    }
    const char marker = records[0][4];
    common::RecordFile out;
    if (!out.open(input_path, common::OpenMode::any)) throw std::runtime_error("cannot write " + input_path);
    for (std::size_t k = 1; k < records.size(); ++k) {
        std::string line = records[k];
        for (std::size_t start = line.find(marker); start != std::string::npos; start = line.find(marker, start)) {
            const std::size_t end = line.find(marker, start + 1);
            if (end == std::string::npos) throw std::runtime_error(template_path + ": unclosed marker");
            const std::vector<std::string> name = words(line.substr(start + 1, end - start - 1));
            if (name.size() != 1) throw std::runtime_error(template_path + ": bad marker");
            const auto value = values.find(lower(name[0]));
            if (value == values.end()) throw std::runtime_error(template_path + ": unknown parameter " + name[0]);
            const int width = static_cast<int>(end - start + 1);
            const std::string text = marker_value_text(value->second, width);
            line.replace(start, static_cast<std::size_t>(width), text);
            start += text.size();
        }
        if (!out.write_record(line)) throw std::runtime_error("cannot write " + input_path);
    }
    if (!out.close()) throw std::runtime_error("cannot write " + input_path);
}

std::map<std::string, std::string> read_observations(const std::string& instruction_path,
                                                     const std::string& output_path) {
    const std::vector<std::string> instructions = read_records(instruction_path);
    const std::vector<std::string> output = read_records(output_path);
    if (instructions.empty() || lower(instructions[0].substr(0, 3)) != "pif" || instructions[0].size() < 5) {
        throw std::runtime_error(instruction_path + " does not begin with 'pif <marker>'");
    }
    const char marker = instructions[0][4];
    std::map<std::string, std::string> observations;
    std::size_t line = 0;       // 1-based index of the current output line; 0 before the first
    std::size_t column = 0;     // position after the last value read on it
    for (std::size_t k = 1; k < instructions.size(); ++k) {
        for (const std::string& item : words(instructions[k])) {
            if (item.size() > 1 && (item[0] == 'l' || item[0] == 'L')) {
                std::int32_t advance = 0;
                if (!common::parse_integer(item.substr(1), advance) || advance < 1) {
                    throw std::runtime_error(instruction_path + ": bad instruction " + item);
                }
                line += static_cast<std::size_t>(advance);
                column = 0;
                if (line > output.size()) throw std::runtime_error(output_path + " ends before line " + std::to_string(line));
                continue;
            }
            if (item.size() > 2 && item.front() == marker && item.back() == marker) {
                if (line == 0) throw std::runtime_error(instruction_path + ": a value before any line instruction");
                const std::string& text = output[line - 1];
                const std::size_t begin = text.find_first_not_of(" \t,", column);
                if (begin == std::string::npos) throw std::runtime_error(output_path + ": no value left on line " + std::to_string(line));
                const std::size_t end = std::min(text.find_first_of(" \t,", begin), text.size());
                const std::string value = text.substr(begin, end - begin);
                double parsed = 0.0;
                if (!common::parse_real(value, parsed)) throw std::runtime_error(output_path + ": '" + value + "' is not a number");
                const std::string name = lower(item.substr(1, item.size() - 2));
                if (name != "dum") observations[name] = value;
                column = end;
                continue;
            }
            throw std::runtime_error(instruction_path + ": unsupported instruction " + item);
        }
    }
    return observations;
}

}  // namespace test_support
