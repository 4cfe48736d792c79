#pragma once
// The twelve calibration parameters: their names, in the order of the records of ParsToFit.txt and of
// the control file's parameter lines, and where the generator's template puts each of them in
// input.txt, so that a value feeds the model exactly as in a calibration by the outside engine.

#include <array>
#include <cstddef>
#include <string_view>

#include "pestprep/generator_data.hpp"

namespace colfit {

inline constexpr std::size_t kParameterCount = pestprep::kParameterCount;
inline constexpr std::array<std::string_view, kParameterCount> kParameterNames = {
    "Dcx", "R1", "R2", "Kirr", "U", "tp", "th", "l2", "C0", "M0", "A0", "SimMode"};
inline constexpr std::size_t kSimModeIndex = 11;

// The twelve values, in record order.
using ParameterValues = std::array<double, kParameterCount>;

struct TemplateLayout {
    std::array<int, kParameterCount> input_line{};  // the input.txt line (1 to 16) of each record's marker
    double bulk_density = 0.0;                      // rh0 [g/cm^3], the template's fixed value on line 11
};

// The layout as the generator's template lines give it (markers "#<name> ..."). Throws
// std::logic_error when a parameter has no marker there.
const TemplateLayout& template_layout();

// The values of input.txt lines 1 to 13 (index 0 unused) that the template carries for `values`:
// the parameters on their marker lines, the bulk density on line 11.
std::array<double, 14> input_line_values(const ParameterValues& values);

}  // namespace colfit
