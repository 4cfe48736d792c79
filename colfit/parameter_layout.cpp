// The parameters' places in input.txt, read off the generator's template lines.
#include "colfit/parameter_layout.hpp"

#include <stdexcept>
#include <string>

#include "common/list_input.hpp"
#include "pestprep/template_files.hpp"

namespace colfit {
namespace {

constexpr int kBulkDensityLine = 11;

TemplateLayout read_template_layout() {
    const auto& lines = pestprep::creating_files::kTemplateSettingsLines;
    TemplateLayout layout;
    for (std::size_t r = 0; r < kParameterCount; ++r) {
        std::string marker(1, '#');
        marker.append(kParameterNames[r]).push_back(' ');
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (lines[k].starts_with(marker)) layout.input_line[r] = static_cast<int>(k + 1);
        }
        if (layout.input_line[r] == 0)
            throw std::logic_error("the template has no marker for " + std::string(kParameterNames[r]));
    }
    const std::string_view rh0_line = lines[kBulkDensityLine - 1];
    if (!common::parse_real(rh0_line.substr(0, rh0_line.find_first_of(" \t")), layout.bulk_density))
        throw std::logic_error("the template's line 11 holds no bulk density");
    return layout;
}

}  // namespace

const TemplateLayout& template_layout() {
    static const TemplateLayout layout = read_template_layout();
    return layout;
}

std::array<double, 14> input_line_values(const ParameterValues& values) {
    const TemplateLayout& layout = template_layout();
    std::array<double, 14> lines{};
    for (std::size_t r = 0; r < kParameterCount; ++r)
        lines[static_cast<std::size_t>(layout.input_line[r])] = values[r];
    lines[kBulkDensityLine] = layout.bulk_density;
    return lines;
}

}  // namespace colfit
