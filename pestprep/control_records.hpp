#pragma once
// The records of the PEST control file tracer_fit.pst that the generator reads or writes, and the
// tests by which it finds its way through the file.
//
// Column layouts (columns from 1):
//   counts line        (I6,I6,I6,I6,I6): NPAR, NOBS, NPARGP, NPRIOR, NOBSGP
//   parameter line     1-10 name, 11-20 transformation, 21-40 change limit, 41-43 blanks,
//                      44-58 initial value, 59-62 blanks, 63-77 lower bound, 78-81 blanks,
//                      82-96 upper bound, 97-100 blanks, 101-180 group, scale, offset and the
//                      last field, 20 columns each (a field that fills its 20 columns is followed
//                      by one blank before the next field, so that the fields read back apart)
//   tied line          "l2 Kirr"
//   observation line   1-33 name right-justified, 34-36 blanks, 37-51 observed value,
//                      52-54 blanks, 55-69 weight, 70-74 blanks, 75-104 observation group
// Numbers are written ES15.7 (weights F15.7), with the exponent letter kept in every value that
// PEST-compatible engines read back.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pestprep::creating_files {

// Width of the line buffer through which every copied line passes.
inline constexpr std::size_t kLineBufferWidth = 500;
// Width of each field of a parameter line as read back from the file.
inline constexpr std::size_t kParameterFieldWidth = 20;
// Width of the observation group name.
inline constexpr std::size_t kGroupNameWidth = 30;

// The fields of one parameter line: name, transformation, change limit, initial value, lower and
// upper bound, group, scale, offset, and the last field; each blank-padded to 20 characters.
using ParameterFields = std::array<std::string, 10>;

// Transformations written in columns 11 to 20.
inline constexpr std::string_view kTransformNone = "   none   ";
inline constexpr std::string_view kTransformLog = "   log    ";
inline constexpr std::string_view kTransformFixed = "  fixed   ";
inline constexpr std::string_view kTransformTied = "   tied   ";

inline constexpr std::string_view kTiedLine = "l2 Kirr";
inline constexpr std::string_view kCommandLineHeading = " * model command line";

// A line as the line buffer holds it: its first 500 characters, blank-padded to 500.
std::string line_buffer(std::string_view record);

// The change limit for a parameter's bounds: "relative" (blank-padded to 20) when one bound is
// negative and the other positive, otherwise "factor" (blank-padded to 20).
std::string getrelatorfactor(double lower, double upper);

// A number of the control file in 15 columns: ES15.7, or, where ES15.7 would drop the exponent
// letter of a three-digit exponent, one mantissa digit fewer with the letter kept.
std::string control_number(double value);
// A weight in 15 columns: F15.7, or the form of control_number when F15.7 has no room for it.
std::string control_weight(double value);

// The counts line with n observations, from the five integers of the old one.
std::string counts_line(const std::array<std::int32_t, 5>& old_counts, std::int32_t n);

// One parameter line from the old line's fields and the new values.
std::string parameter_line(const ParameterFields& old_fields, std::string_view transformation,
                           std::string_view change_limit, double value, double lower, double upper);

// The line of observation i.
std::string observation_line(std::int32_t i, double observed, double weight, std::string_view group_name);

// Whether a parameter line's transformation field (old field 2) asks for the logarithm, in any case.
bool is_log_transformation(std::string_view field);

// The headings that the rewrite looks for are section headings: the first non-blank character of
// the line is "*", so that no data line (an observation of a group named "model", say) is ever
// taken for one.
// The observation-groups heading: a section heading whose first "o", "b" and "s" stand side by side.
bool is_observation_groups_heading(std::string_view line);
// The model-command-line heading: a section heading whose first "m", "o" and "d" stand side by side.
bool is_command_line_heading(std::string_view line);

}  // namespace pestprep::creating_files
