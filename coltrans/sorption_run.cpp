// The sorption mode from end to end: read the measured series, solve for the sorbed
// concentration, write print.txt and the archive block.
#include "coltrans/completion_console.hpp"
#include "coltrans/model_procedures.hpp"
#include "coltrans/progress.hpp"
#include "coltrans/result_check.hpp"
#include "coltrans/result_file.hpp"
#include "coltrans/sorption_archive.hpp"
#include "coltrans/sorption_input.hpp"
#include "coltrans/sorption_messages.hpp"
#include "common/allocation.hpp"
#include "common/console.hpp"
#include "common/cpu_time.hpp"
#include "common/record_file.hpp"
#include "models/sorption_solve.hpp"

namespace coltrans::adsorption {
namespace {

// print.txt: false when its first header record cannot be written; any later record that cannot be
// written ends the program.
bool write_result_file(ResultFile& print, const SorptionResults& results) {
    if (!print.write_header_checked(ResultTable::sorption)) return false;
    for (std::size_t k = 0; k < results.size(); ++k) {
        print.write_result(results.run.timevector[k], results.run.cexpvector[k], results.cavector[k]);
    }
    print.flush();
    return true;
}

}  // namespace

RunOutcome adsorptionsolver(const common::RunDirectory& dirtrans) {
    common::RecordFile input =
        common::RecordFile::open_or_fail(dirtrans.file("input.txt"), common::OpenMode::existing);
    ResultFile print(dirtrans.file("print.txt"));

    SorptionInput data = read_sorption_input(input);
    RunOutcome outcome = RunOutcome::completed;
    const std::int32_t lines_found = data.m;
    if (data.status != SorptionInputStatus::ok) {
        common::console_record(sorption_input_message(data));
        outcome = RunOutcome::handled_failure;
    } else {
        const float start = common::process_cpu_seconds();
        std::vector<double> cavector = common::allocate_array<double>(data.m);
        ProgressDisplay progress;
        const models::adsoodesolvermod::Vartrans2 tolerances{data.settings.absolute_tolerance,
                                                             data.settings.relative_tolerance};
        const std::int32_t error_flag = models::adsoodesolvermod::solveode(
            cavector, data.run, tolerances, [&progress](std::int32_t step, std::int32_t total) {
                progress.displaycurrentprgress(step, total);
            });
        if (error_flag < 0) {
            common::console_list({sorption_text(SorptionMessage::solve_failure)});
            common::console_list({sorption_text(SorptionMessage::solve_failure, 1), error_flag});
        }
        // The integrator failed on the last interval (its message is out): the last result is
        // not that of the last data time.
        if (data.run.istate < 0) outcome = RunOutcome::handled_failure;
        NonFiniteResults not_finite;
        for (std::size_t k = 0; k < cavector.size(); ++k)
            not_finite.note(data.run.timevector[k], data.run.cexpvector[k], cavector[k]);
        if (not_finite.any()) {
            common::console_record(sorption_not_finite_record(data.run.type_code, not_finite));
            outcome = RunOutcome::handled_failure;
        }
        const SorptionResults results{data.run, cavector};
        if (!write_result_file(print, results)) {
            common::console_list({sorption_text(SorptionMessage::print_failure)});
            outcome = RunOutcome::handled_failure;
        } else {
            write_completion_marks();
            const float end = common::process_cpu_seconds();
            write_time_line(end - start);
            if (append_sorption_block(dirtrans, data.settings, results, end - start) !=
                SorptionArchive::complete) {
                common::console_list({sorption_text(SorptionMessage::print_failure)});
                outcome = RunOutcome::handled_failure;
            }
        }
    }
    common::console_list({sorption_text(SorptionMessage::closing), lines_found});
    common::require(input.close(), input.path(), "cannot close");
    common::require(print.file().close(), print.path(), "cannot close");
    return outcome;
}

}  // namespace coltrans::adsorption
