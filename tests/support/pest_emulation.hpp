#pragma once
// What a calibration engine does between model runs, for the demo and the tests: fill the template
// with parameter values in the markers' widths to write input.txt, and read the observations out of
// print.txt by following the instruction file.

#include <map>
#include <string>

namespace test_support {

// The initial values (PARVAL1) of the parameter data section of a control file, by parameter name
// in lower case. Throws std::runtime_error when the file cannot be read as a control file.
std::map<std::string, double> control_file_initial_values(const std::string& control_path);

// Writes the model input file from a template: the heading "ptf <marker>" is dropped and every
// marker is replaced by its parameter's value, right-justified in the marker's whole width with as
// many digits as fit. Throws std::runtime_error for an unknown parameter or a bad template.
void write_model_input(const std::string& template_path, const std::map<std::string, double>& values,
                       const std::string& input_path);

// The value text of every observation that the instruction file reads from the output file, by
// observation name. Throws std::runtime_error when an instruction cannot be followed.
std::map<std::string, std::string> read_observations(const std::string& instruction_path,
                                                     const std::string& output_path);

// The text a parameter value gets in a marker of `width` columns.
std::string marker_value_text(double value, int width);

}  // namespace test_support
