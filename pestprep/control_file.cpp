#include "pestprep/control_file.hpp"

#include <array>
#include <cstdint>
#include <filesystem>
#include <system_error>
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

// The transformation of parameter r (from 0) for its fit flag, the transformation field of its old
// line and its new bounds.
std::string_view transformation(std::size_t r, std::int32_t flag, std::string_view old_transformation,
                                double lower, double upper) {
    if (flag != pestprep::kEstimated) return kTransformFixed;
    if (r == pestprep::kL2Index) return kTransformTied;
    if (is_log_transformation(old_transformation) && lower > 0.0 && upper > 0.0) return kTransformLog;
    return kTransformNone;
}

// A field or a number of the control file without the blanks that pad it.
std::string without_blanks(std::string_view field) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(field.substr(first, field.find_last_not_of(' ') - first + 1));
}

// The warning for parameter r (from 0), named `name`, whose starting value lies outside its bounds.
std::string outside_bounds_warning(std::size_t r, std::string_view name, const pestprep::ParsToFit& pars) {
    return "Warning: the starting value " + without_blanks(control_number(pars.parvalue[r])) +
           " of parameter " + std::string(name) + " (record " + std::to_string(r + 1) +
           " of ParsToFit.txt) lies outside its bounds " +
           without_blanks(control_number(pars.parboundarymin[r])) + " to " +
           without_blanks(control_number(pars.parboundarymax[r])) +
           "; the calibration engine will refuse the control file until it lies within them";
}

// The file that `path` names once symbolic links are followed, in the folder where it lies.
std::string linked_file(const std::string& path) {
    namespace fs = std::filesystem;
    constexpr int kMostLinks = 40;  // as the system follows them before it gives up
    fs::path current(path);
    for (int links = 0; links < kMostLinks; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)) || error) break;
        const fs::path target = fs::read_symlink(current, error);
        if (error) break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return current.string();
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

std::vector<std::string> rewrite_control_records(ControlRewrite& rewrite, std::span<const double> cexpvector,
                                                 std::span<const double> weightvector,
                                                 pestprep::ParsToFit& pars,
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
    pestprep::untie_l2_unless_kirr_estimated(pars);

    std::vector<std::string> warnings;

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
        const double lower = pars.parboundarymin[r];
        const double upper = pars.parboundarymax[r];
        const std::string change =
            change_limit == pestprep::ChangeLimit::from_bounds ? getrelatorfactor(lower, upper) : fields[2];
        const std::string line =
            parameter_line(fields, transformation(r, pars.parfitflag[r], fields[1], lower, upper), change,
                           pars.parvalue[r], lower, upper);
        write_handled(rewrite, line, ControlFailure::writing_parameter);
        if (!(lower <= pars.parvalue[r] && pars.parvalue[r] <= upper)) {
            warnings.push_back(outside_bounds_warning(r, without_blanks(line.substr(0, 10)), pars));
        }
    }
    if (pestprep::l2_tied_to_kirr(pars)) write_unhandled(rewrite, kTiedLine);

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
    return warnings;
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
    common::require(replacement.begin(linked_file(control.path()), head), control.path(), "cannot write");
    ControlRewrite rewrite{
        backup, backup.path(),
        [&replacement](std::string_view text) { return replacement.records().write_record(text); },
        control.path()};
    const std::vector<std::string> warnings =
        rewrite_control_records(rewrite, cexpvector, weightvector, pars, change_limit);
    if (!replacement.commit()) end_with(ControlFailure::writing);
    for (const std::string& warning : warnings) common::error_record(warning);
}

}  // namespace pestprep::creating_files
