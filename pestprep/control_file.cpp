#include "pestprep/control_file.hpp"

#include <array>
#include <cstdint>
#include <utility>

#include "common/console.hpp"
#include "common/file_replacement.hpp"
#include "common/list_input.hpp"
#include "pestprep/control_records.hpp"

namespace pestprep::creating_files {
namespace {

constexpr std::array<std::pair<ControlFailure, std::string_view>, 6> kFailureTexts{{
    {ControlFailure::reading_control_file,
     "Error during reading the pest control file Tracer_fit.pst file 76"},
    {ControlFailure::writing, "Error writing the back up file of the Tracer_fit_pst file"},
    {ControlFailure::reading_parameter, "Error reading the back up file of the Tracer_fit_pst file 72"},
    {ControlFailure::writing_parameter, "Error  writting in the  Tracer_fit_pst file the status of the 73 "},
    {ControlFailure::reading_to_heading,
     "Error reading the back up file of the Tracer_fit_pst file 71, try to get the  * model command line "
     "line"},
    {ControlFailure::no_heading,
     "Eond of file while reading the back up file of the Tracer_fit_pst file 71, try to get the  * model "
     "command line line"},
}};

// Lines 5 to 24 of the control file, copied unchanged.
constexpr int kCopiedControlLines = 20;
constexpr std::size_t kLeadingLinesKept = 3;

// Reports a handled failure and ends the program.
[[noreturn]] void end_with(ControlFailure failure) {
    common::console_list({control_failure_text(failure)});
    common::console_list({"The  system will now close"});
    common::console_list({"Press any key to exit"});
    common::stop();
}

// Writes a record whose failure has no handler.
void write_unhandled(ControlRewrite& rewrite, std::string_view record) {
    common::require(rewrite.write(record), rewrite.control_path, "cannot write");
}

// Writes a record whose failure is reported as `failure`.
void write_handled(ControlRewrite& rewrite, std::string_view record, ControlFailure failure) {
    if (!rewrite.write(record)) end_with(failure);
}

// Reads back-up lines until one passes `is_heading`, dropping the others; returns that line.
template <typename HeadingTest>
std::string skip_to_heading(ControlRewrite& rewrite, HeadingTest is_heading) {
    std::string record;
    while (true) {
        const common::IoResult result = rewrite.backup.read_record(record);
        if (result.is_end()) end_with(ControlFailure::no_heading);
        if (!result) end_with(ControlFailure::reading_to_heading);
        std::string line = line_buffer(record);
        if (is_heading(line)) return line;
    }
}

// The transformation of parameter r (from 0) for its fit flag.
std::string_view transformation(std::size_t r, std::int32_t flag) {
    if (flag != pestprep::kEstimated) return kTransformFixed;
    return r == pestprep::kL2Index ? kTransformTied : kTransformNone;
}

// Copies the whole control file to the back-up, each line through the line buffer.
void write_backup(common::RecordFile& control, common::RecordFile& backup) {
    std::string record;
    while (true) {
        const common::IoResult result = control.read_record(record);
        if (result.is_end()) break;
        if (!result) end_with(ControlFailure::reading_control_file);
        if (!backup.write_record(line_buffer(record))) end_with(ControlFailure::writing);
    }
}

}  // namespace

std::string_view control_failure_text(ControlFailure failure) {
    for (const auto& [code, text] : kFailureTexts) {
        if (code == failure) return text;
    }
    return {};
}

void add_exp_pst_file(ControlRewrite& rewrite, std::span<const double> cexpvector,
                      std::span<const double> weightvector) {
    std::string group_name;
    common::require(common::read_fixed_text(rewrite.backup, group_name, kGroupNameWidth), rewrite.backup_path,
                    "cannot read the observation group of");
    write_unhandled(rewrite, group_name);
    std::string heading;
    common::require(rewrite.backup.read_record(heading), rewrite.backup_path,
                    "cannot read the observation data heading of");
    write_unhandled(rewrite, line_buffer(heading));
    for (std::size_t i = 0; i < cexpvector.size(); ++i) {
        write_unhandled(rewrite, observation_line(static_cast<std::int32_t>(i + 1), cexpvector[i],
                                                  weightvector[i], group_name));
    }
}

void rewrite_control_records(ControlRewrite& rewrite, std::span<const double> cexpvector,
                             std::span<const double> weightvector, pestprep::ParsToFit& pars,
                             pestprep::ChangeLimit change_limit) {
    // Line 4: the counts, with the new number of observations.
    std::array<std::int32_t, 5> counts{};
    common::require(
        common::read_list(rewrite.backup, {&counts[0], &counts[1], &counts[2], &counts[3], &counts[4]}),
        rewrite.backup_path, "cannot read the five counts of line 4 of");
    write_unhandled(rewrite, counts_line(counts, static_cast<std::int32_t>(cexpvector.size())));

    // Lines 5 to 24: the rest of the control data, the parameter groups and the parameter-data heading.
    std::string record;
    for (int line = 0; line < kCopiedControlLines; ++line) {
        if (!rewrite.backup.read_record(record)) end_with(ControlFailure::reading_control_file);
        write_handled(rewrite, line_buffer(record), ControlFailure::writing);
    }

    // l2 is tied to Kirr, which PEST allows only while Kirr itself is estimated.
    if (pars.parfitflag[pestprep::kKirrIndex] != pestprep::kEstimated)
        pars.parfitflag[pestprep::kL2Index] = 0;

    // The twelve parameter lines. Fields that a line does not supply keep the previous line's.
    ParameterFields fields;
    fields.fill(std::string(kParameterFieldWidth, ' '));
    for (std::size_t r = 0; r < pestprep::kParameterCount; ++r) {
        std::array<common::InItem, 10> items;
        for (std::size_t k = 0; k < fields.size(); ++k)
            items[k] = common::TextItem{&fields[k], kParameterFieldWidth};
        const common::IoResult result = common::read_list(rewrite.backup, items);
        if (result.is_end()) {
            common::require(result, rewrite.backup_path,
                            "cannot read parameter line " + std::to_string(r + 1) + " of");
        }
        if (!result) end_with(ControlFailure::reading_parameter);
        const std::string change = change_limit == pestprep::ChangeLimit::from_bounds
                                       ? getrelatorfactor(pars.parboundarymin[r], pars.parboundarymax[r])
                                       : fields[2];
        write_handled(rewrite,
                      parameter_line(fields, transformation(r, pars.parfitflag[r]), change, pars.parvalue[r],
                                     pars.parboundarymin[r], pars.parboundarymax[r]),
                      ControlFailure::writing_parameter);
    }
    if (pars.parfitflag[pestprep::kL2Index] == pestprep::kEstimated) write_unhandled(rewrite, kTiedLine);

    // Whatever stood between the parameter lines and the observation groups (an old tied line) is dropped.
    write_handled(rewrite, skip_to_heading(rewrite, is_observation_groups_heading), ControlFailure::writing);
    add_exp_pst_file(rewrite, cexpvector, weightvector);

    // The old observations are dropped up to the model command line heading.
    (void)skip_to_heading(rewrite, is_command_line_heading);
    write_unhandled(rewrite, kCommandLineHeading);

    // The command line, the model input/output section and anything after it.
    while (true) {
        const common::IoResult result = rewrite.backup.read_record(record);
        if (result.is_end()) break;
        if (!result) end_with(ControlFailure::reading_control_file);
        write_handled(rewrite, line_buffer(record), ControlFailure::writing);
    }
}

void tracer_fit_pst_file(common::RecordFile& control, common::RecordFile& backup,
                         std::span<const double> cexpvector, std::span<const double> weightvector,
                         pestprep::ParsToFit& pars, pestprep::ChangeLimit change_limit) {
    write_backup(control, backup);
    common::require(control.rewind(), control.path(), "cannot rewind");
    if (!backup.rewind()) end_with(ControlFailure::writing);

    // Lines 1 to 3 stay as they are.
    for (std::size_t line = 0; line < kLeadingLinesKept; ++line) {
        common::require(common::skip_record(control), control.path(), "cannot read the first three lines of");
        common::require(common::skip_record(backup), backup.path(), "cannot read the first three lines of");
    }
    std::string head;
    common::require(common::read_leading_lines(control.path(), kLeadingLinesKept, head), control.path(),
                    "cannot read the first three lines of");

    common::ReplacementFile replacement;
    common::require(replacement.begin(control.path(), head), control.path(), "cannot write");
    ControlRewrite rewrite{
        backup, backup.path(),
        [&replacement](std::string_view text) { return replacement.records().write_record(text); },
        control.path()};
    rewrite_control_records(rewrite, cexpvector, weightvector, pars, change_limit);
    if (!replacement.commit()) end_with(ControlFailure::writing);
}

}  // namespace pestprep::creating_files
