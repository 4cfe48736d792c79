// The sorption mode from end to end: read the measured series, solve for the sorbed
// concentration, write print.txt and the archive block.
#include <array>
#include <string>

#include "coltrans/completion_console.hpp"
#include "coltrans/progress.hpp"
#include "coltrans/result_file.hpp"
#include "coltrans/run_archive.hpp"
#include "common/allocation.hpp"
#include "common/console.hpp"
#include "common/cpu_time.hpp"
#include "common/format.hpp"
#include "common/record_file.hpp"
#include "models/model_procedures.hpp"
#include "models/sorption_input.hpp"
#include "models/sorption_solve.hpp"

namespace adsorption {
namespace {

constexpr std::string_view kSolveFailure =
    "Error found during the numerical solution of the  Andsorption type asked";
constexpr std::string_view kPrintFailure = "Error found when writing the print.txt";
constexpr std::string_view kArchiveFailure = "Error found when writing the total runs file";
constexpr std::string_view kClosing = "Everything finished with success. Lines found: ";
constexpr std::array<std::string_view, 9> kParameterLabels = {"Parameter 1", "Parameter 2", "Parameter 3",
                                                              "Parameter 4", "Parameter 5", "Parameter 6",
                                                              "Parameter 7", "Parameter 8", "Parameter 9"};

// The three columns of a sorption run.
struct SorptionResults {
    const globalvars::SorptionRun& run;
    const std::vector<double>& cavector;

    std::string record(std::size_t k) const {
        return coltrans::result_record(run.timevector[k], run.cexpvector[k], cavector[k]);
    }
};

// print.txt: the header, whose first record may fail (reported), then the results. The first record
// is put out at once, so that a file that takes nothing (a full disk, a read-only file) fails there.
bool write_result_file(common::RecordFile& print, const SorptionResults& results) {
    const auto header = coltrans::result_header_records(coltrans::ResultTable::sorption);
    if (!print.write_record(header[0]) || !print.flush()) return false;
    for (std::size_t k = 1; k < header.size(); ++k)
        common::require(print.write_record(header[k]), print.path(), "cannot write");
    for (std::size_t k = 0; k < results.cavector.size(); ++k) {
        common::require(print.write_record(results.record(k)), print.path(), "cannot write a result to");
    }
    common::require(print.flush(), print.path(), "cannot write");
    return true;
}

// The archive block of a sorption run. False when the first result-header record fails. A result
// that cannot be written stops the program; the records are buffered, so a failure to write them
// may only show when the block is put out at the end, and it takes the same path.
bool write_archive_block(const common::RunDirectory& dirtrans, const SorptionSettings& settings,
                         const SorptionResults& results, float cpu_seconds) {
    coltrans::RunArchive archive = coltrans::RunArchive::open(dirtrans);
    const auto n = static_cast<std::int32_t>(results.cavector.size());
    archive.write_block_start(n, cpu_seconds, settings.sim_mode);
    for (std::size_t k = 0; k < kParameterLabels.size(); ++k)
        archive.write_parameter(kParameterLabels[k], settings.par[k]);
    archive.write_parameter("Future var1", settings.future_var1);
    const auto header = coltrans::result_header_records(coltrans::ResultTable::sorption);
    if (!archive.write(header[0])) return false;
    archive.write_or_fail(header[1]);
    archive.write_or_fail(header[2]);
    bool written = true;
    for (std::size_t k = 0; k < results.cavector.size() && written; ++k)
        written = static_cast<bool>(archive.write(results.record(k)));
    if (!archive.close() || !written) {
        common::console_list({kArchiveFailure});
        common::stop();
    }
    return true;
}

}  // namespace

models::RunOutcome adsorptionsolver(const common::RunDirectory& dirtrans) {
    common::RecordFile input =
        common::RecordFile::open_or_fail(dirtrans.file("input.txt"), common::OpenMode::existing);
    common::RecordFile print =
        common::RecordFile::open_or_fail(dirtrans.file("print.txt"), common::OpenMode::any);

    SorptionInput data = read_sorption_input(input);
    models::RunOutcome outcome = models::RunOutcome::completed;
    const std::int32_t lines_found = data.m;
    if (data.status != SorptionInputStatus::ok) {
        common::console_record(sorption_input_message(data));
        outcome = models::RunOutcome::handled_failure;
    } else {
        const float start = common::process_cpu_seconds();
        std::vector<double> cavector = common::allocate_array<double>(data.m);
        coltrans::ProgressDisplay progress;
        const adsoodesolvermod::Vartrans2 tolerances{data.settings.absolute_tolerance,
                                                     data.settings.relative_tolerance};
        const std::int32_t error_flag = adsoodesolvermod::solveode(cavector, data.run, tolerances, progress);
        if (error_flag < 0) {
            common::console_list({kSolveFailure});
            common::console_list({"Error flag=", error_flag});
        }
        const SorptionResults results{data.run, cavector};
        if (!write_result_file(print, results)) {
            common::console_list({kPrintFailure});
            outcome = models::RunOutcome::handled_failure;
        } else {
            coltrans::write_completion_marks();
            const float end = common::process_cpu_seconds();
            coltrans::write_time_line(end - start);
            if (!write_archive_block(dirtrans, data.settings, results, end - start)) {
                common::console_list({kPrintFailure});
                outcome = models::RunOutcome::handled_failure;
            }
        }
    }
    common::console_list({kClosing, lines_found});
    common::require(input.close(), input.path(), "cannot close");
    common::require(print.close(), print.path(), "cannot close");
    return outcome;
}

}  // namespace adsorption
