#pragma once
// What a calibration engine does between model runs, for the demo and the tests: fill the template
// with parameter values in the markers' widths to write the model input, and read the observations
// out of the model output by following the instruction file.

#include <map>
#include <string>
#include <vector>

namespace tools {

// Parameter values by parameter name in lower case.
using ParameterValues = std::map<std::string, double>;

// The records of a text file, without their line ends. Throws std::runtime_error when the file
// cannot be read.
std::vector<std::string> read_records(const std::string& path);

// Writes `records` as the text records of the file `path`, replacing it. Throws
// std::runtime_error when it cannot be written.
void write_records(const std::string& path, const std::vector<std::string>& records);

// The initial values (PARVAL1) of the parameter data section of a control file. Throws
// std::runtime_error when the file cannot be read as a control file.
ParameterValues control_file_initial_values(const std::string& control_path);

// The values of a parameter value file (the ".par" file that a calibration engine writes with the
// best values it found): a heading "single point" or "double point", then one line per parameter
// with its name, value, scale and offset; each value as the engine writes it to a model input,
// times the scale plus the offset. Throws std::runtime_error when the file cannot be read as one.
ParameterValues parameter_file_values(const std::string& path);

// The values for a model input from a control file (its starting values) or a parameter value
// file, whichever `path` holds.
ParameterValues model_input_values(const std::string& path);

// The text a parameter value gets in a marker of `width` columns: scientific notation,
// right-justified in exactly `width` columns with as many significant digits as fit, the exponent
// with two digits, or three when the value needs them. Throws std::runtime_error when the marker
// is too narrow for two significant digits or the value is not finite.
std::string marker_value_text(double value, int width);

// The model input records of a template: the heading "ptf <marker character>" is dropped and every
// marker (the marker character, the parameter's name with blanks around it, the marker character)
// is replaced by marker_value_text of its parameter in the marker's whole width, so every other
// column keeps its place. Names are compared without regard to case. Throws std::runtime_error for
// a missing heading, an unclosed or empty marker, or a parameter without a value.
std::vector<std::string> fill_template(const std::vector<std::string>& template_records,
                                       const ParameterValues& values);

// fill_template from a file to a file (the model input is written as text records, replacing it).
void write_model_input(const std::string& template_path, const ParameterValues& values,
                       const std::string& input_path);

// One value read from the model output.
struct Observation {
    std::string name;  // lower case
    std::string text;  // the characters read, as they stand in the output
    double value = 0.0;
};

// Follows the instructions ("pif <marker character>" heading, then instruction lines) over the
// model output records, in the engine's instruction language: "l<n>" moves n lines down; a marker
// "<c>text<c>" first on an instruction line (or right after its line advance) searches the
// following lines (or that line on) for the text, elsewhere searches the rest of the current line;
// "w" moves past the next run of blanks and tabs; "t<n>" moves to column n; "!name!" reads the
// next blank- or tab-delimited number; "[name]a:b" reads the number in columns a to b; "&" first
// on a line continues the previous instruction line. Observations named "dum" are read and
// dropped. Returns the observations in the order read. Throws std::runtime_error, naming the
// instruction line, when an instruction cannot be followed (an output that ends too early, a
// marker not found, a value that is not a number, an observation read twice, an unknown item).
std::vector<Observation> follow_instructions(const std::vector<std::string>& instruction_records,
                                             const std::vector<std::string>& output_records);

// follow_instructions on two files.
std::vector<Observation> read_observations(const std::string& instruction_path,
                                           const std::string& output_path);

}  // namespace tools
