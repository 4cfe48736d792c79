#pragma once
// The template input.tpl, from which PEST writes the simulator's input.txt before every model run,
// and the instruction file print.ins, by which PEST reads the simulated concentrations from
// print.txt. Both are written from their first line into files that are open and positioned at
// their start; a record that cannot be written ends the program (common::IoFailure). Each file is
// put out in full before its writer returns, so that such a failure ends the program before the
// control file is rewritten.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "common/record_file.hpp"

namespace pestprep::creating_files {

// The sixteen settings lines of the template (records 2 to 17): input.txt lines 1 to 16 with the
// parameter markers in place of the values.
extern const std::array<std::string_view, 16> kTemplateSettingsLines;

// Writes input.tpl: the heading "ptf #", the sixteen settings lines, and one line per observation
// point with its time and position.
void input_tpl_file(common::RecordFile& tpl, std::span<const double> tvector,
                    std::span<const double> xvector);

// Writes print.ins: the heading "pif #" and one instruction line per observation (at least one),
// reading observation cn<i> from data line i of print.txt.
void print_ins_file(common::RecordFile& ins, std::int32_t cNum);

}  // namespace pestprep::creating_files
