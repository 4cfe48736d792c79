#include "pestprep/control_records.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "common/edit_descriptors.hpp"
#include "common/format.hpp"
#include "pestprep/observation_names.hpp"

namespace pestprep::creating_files {
namespace {

constexpr int kNumberWidth = 15;

// Position (from 1) of the first occurrence of the letter, 0 when there is none.
std::size_t first_position(std::string_view line, char letter) {
    const std::size_t found = line.find(letter);
    return found == std::string_view::npos ? 0 : found + 1;
}

// A field read from the file, blank-padded (or cut) to `width` characters.
std::string padded(std::string_view field, std::size_t width) {
    std::string text(field.substr(0, std::min(field.size(), width)));
    text.resize(width, ' ');
    return text;
}

// A section heading of the control file: its first non-blank character is "*".
bool is_section_heading(std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '*';
}

bool letters_side_by_side(std::string_view line, char first, char second, char third) {
    const std::size_t a = first_position(line, first);
    const std::size_t b = first_position(line, second);
    const std::size_t c = first_position(line, third);
    return b == a + 1 && c == b + 1;
}

}  // namespace

std::string line_buffer(std::string_view record) {
    std::string line(record.substr(0, std::min(record.size(), kLineBufferWidth)));
    line.resize(kLineBufferWidth, ' ');
    return line;
}

std::string getrelatorfactor(double lower, double upper) {
    const bool opposite_signs = (lower < 0.0 && upper > 0.0) || (lower > 0.0 && upper < 0.0);
    std::string limit(opposite_signs ? "relative" : "factor");
    limit.resize(kParameterFieldWidth, ' ');
    return limit;
}

std::string control_number(double value) {
    std::string field = common::edit_es(value, kNumberWidth, 7);
    // ES15.7 writes a three-digit exponent without its letter ("1.0000000+100"); keep the letter
    // and give up the last mantissa digit instead.
    if (std::isfinite(value) && field.find('E') == std::string::npos) {
        field = common::edit_es(value, kNumberWidth, 6, 3);
    }
    return field;
}

std::string control_weight(double value) {
    std::string field = common::edit_f(value, kNumberWidth, 7);
    if (field.front() == '*') field = control_number(value);
    return field;
}

std::string counts_line(const std::array<std::int32_t, 5>& old_counts, std::int32_t n) {
    return common::format_record("(I6,I6,I6,I6,I6)",
                                 {old_counts[0], n, old_counts[2], old_counts[3], old_counts[4]});
}

std::string parameter_line(const ParameterFields& old_fields, std::string_view transformation,
                           std::string_view change_limit, double value, double lower, double upper) {
    std::string line;
    common::put_a(line, padded(old_fields[0], kParameterFieldWidth), 10);
    common::put_a(line, transformation, 10);
    common::put_a(line, padded(change_limit, kParameterFieldWidth), 20);
    common::put_x(line, 3);
    line.append(control_number(value));
    common::put_x(line, 4);
    line.append(control_number(lower));
    common::put_x(line, 4);
    line.append(control_number(upper));
    common::put_x(line, 4);
    for (std::size_t k = 6; k < old_fields.size(); ++k) {
        const std::string field = padded(old_fields[k], kParameterFieldWidth);
        common::put_a(line, field, kParameterFieldWidth);
        const bool fills_its_columns = field.back() != ' ';
        if (fills_its_columns && k + 1 < old_fields.size()) common::put_x(line, 1);
    }
    return line;
}

std::string observation_line(std::int32_t i, double observed, double weight, std::string_view group_name) {
    std::string line;
    common::put_a(line, observation_name(i), 33);
    common::put_x(line, 3);
    line.append(control_number(observed));
    common::put_x(line, 3);
    line.append(control_weight(weight));
    common::put_x(line, 5);
    common::put_a(line, padded(group_name, kGroupNameWidth), kGroupNameWidth);
    return line;
}

bool is_log_transformation(std::string_view field) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    const std::string_view word = field.substr(first, field.find_last_not_of(' ') - first + 1);
    return word.size() == 3 && std::tolower(static_cast<unsigned char>(word[0])) == 'l' &&
           std::tolower(static_cast<unsigned char>(word[1])) == 'o' &&
           std::tolower(static_cast<unsigned char>(word[2])) == 'g';
}

bool is_observation_groups_heading(std::string_view line) {
    return is_section_heading(line) && letters_side_by_side(line, 'o', 'b', 's');
}

bool is_command_line_heading(std::string_view line) {
    return is_section_heading(line) && letters_side_by_side(line, 'm', 'o', 'd');
}

}  // namespace pestprep::creating_files
