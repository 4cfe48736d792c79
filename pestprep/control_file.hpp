#pragma once
// The rewrite of the PEST control file tracer_fit.pst. The user (or an earlier run) provides a
// complete control file; the rewrite keeps everything the user chose and replaces what comes from
// the generator's inputs: the number of observations, each parameter's transformation, change
// limit, initial value and bounds, the tied parameter, and the observations with their measured
// values and weights.
//
// The whole previous file is first copied to the back-up tracer_fit_pst_temp.txt, each line as
// 500 columns; the new file is built from the back-up, written completely beside the control file
// and only then put in its place, so that a run that fails anywhere leaves the control file with
// exactly its previous bytes. Lines 1 to 3 keep their exact bytes.
//
// Shape of the control file, by line counts: lines 1 to 3 kept; line 4 the counts; lines 5 to 24
// copied; lines 25 to 36 the twelve parameter lines; then lines dropped up to the
// observation-groups heading, which is copied; the group name line; the observation-data heading;
// old observations dropped up to the model-command-line heading, which is rewritten; the rest
// copied.
//
// An estimated parameter whose line asks for the logarithm keeps "log" while both of its bounds are
// positive (the logarithm of a bound must exist). A control file that is a symbolic link is
// rewritten where the link points, so that the link keeps naming the new file; the back-up stays
// in the run directory.
//
// A starting value outside its bounds, which the calibration engine would refuse, is named in a
// warning on the error stream once the control file is written; the file is written all the same.
//
// A failure with a handler writes its message, "The  system will now close" and "Press any key to
// exit" to the console and ends the program (common::ProgramEnd); one without a handler ends it
// with common::IoFailure.

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/io_result.hpp"
#include "common/record_file.hpp"
#include "common/record_source.hpp"
#include "pestprep/generator_data.hpp"

namespace pestprep::creating_files {

// The handled failures of the rewrite.
enum class ControlFailure {
    reading_control_file,  // the control file, or the back-up where lines are copied
    writing,               // the back-up, or the control file where lines are copied
    reading_parameter,     // a parameter line of the back-up
    writing_parameter,     // a parameter line of the control file
    reading_to_heading,    // the back-up while looking for a heading
    no_heading,            // the back-up ended while looking for a heading
};

// The console text of a handled failure.
std::string_view control_failure_text(ControlFailure failure);

// Writes one record of the new control file.
using RecordWriter = std::function<common::IoResult(std::string_view record)>;

// The streams of a rewrite: the back-up, read from its fourth line on, and the records of the
// new control file after its third line.
struct ControlRewrite {
    common::RecordSource& backup;
    std::string backup_path;  // names the back-up in diagnostics
    RecordWriter write;
    std::string control_path;  // names the control file in diagnostics
};

// Rewrites tracer_fit.pst (open as `control`) through the back-up (open as `backup`); both files
// are positioned at their start. May untie l2 in pars.parfitflag: l2 is tied only while Kirr is
// estimated.
void tracer_fit_pst_file(common::RecordFile& control, common::RecordFile& backup,
                         std::span<const double> cexpvector, std::span<const double> weightvector,
                         pestprep::ParsToFit& pars, pestprep::ChangeLimit change_limit);

// Everything after line 3: from the back-up standing at line 4, writes the counts line, the copied
// control lines, the parameter lines, the tied line, the observation sections and the rest.
// Returns a warning text for every starting value outside its bounds.
std::vector<std::string> rewrite_control_records(ControlRewrite& rewrite, std::span<const double> cexpvector,
                                                 std::span<const double> weightvector,
                                                 pestprep::ParsToFit& pars,
                                                 pestprep::ChangeLimit change_limit);

// With the back-up just after the observation-groups heading: copies the group name line (its
// first 30 columns) and the observation-data heading, then writes one line per observation.
void add_exp_pst_file(ControlRewrite& rewrite, std::span<const double> cexpvector,
                      std::span<const double> weightvector);

}  // namespace pestprep::creating_files
