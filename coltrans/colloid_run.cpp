// The run of a colloid model, the same for both: read the settings, count the points, compute and
// write one result per point with the progress marks, report the CPU time, append the run to the
// archive.
#include <optional>

#include "coltrans/colloid_archive.hpp"
#include "coltrans/colloid_failures.hpp"
#include "coltrans/colloid_input.hpp"
#include "coltrans/colloid_settings.hpp"
#include "coltrans/completion_console.hpp"
#include "coltrans/model_procedures.hpp"
#include "coltrans/progress.hpp"
#include "coltrans/result_check.hpp"
#include "coltrans/result_file.hpp"
#include "common/console.hpp"
#include "common/cpu_time.hpp"
#include "common/io_result.hpp"
#include "common/message_file.hpp"
#include "numerics/gsl_error_handler.hpp"
#include "numerics/quadrature.hpp"

namespace coltrans {
namespace {

RunOutcome handled(common::MessageFile& messages, ColloidFailure failure, const FailurePlace& place) {
    report_colloid_failure(messages, failure, place);
    return RunOutcome::handled_failure;
}

RunOutcome run_colloid_model(const common::RunDirectory& dirtrans, ColloidFamily family) {
    numerics::use_gsl_status_codes();
    common::MessageFile messages;  // fort.9 in the current directory, created at its first message

    ColloidInput input(dirtrans.file("input.txt"));
    const ColloidSettings& settings = input.settings();
    models::ColloidModel model = colloid_model(family, settings);
    numerics::Quadrature quadrature(settings.limit, messages);

    const auto point_failure = [&](ColloidFailure failure) {
        return handled(messages, failure, FailurePlace::of_read(input.path(), input.failed_read()));
    };
    const std::optional<std::int32_t> points = input.count_points();
    if (!points) return point_failure(ColloidFailure::input_points);
    if (!input.rewind_to_points()) return point_failure(ColloidFailure::input_rewind);

    std::int32_t written = 0;
    ResultFile print_txt(dirtrans.file("print.txt"));
    print_txt.write_header(ResultTable::colloid);
    const float start = common::process_cpu_seconds();
    ProgressDisplay progress;
    NonFiniteResults not_finite;
    double t = 0.0;
    double x = 0.0;
    while (true) {
        const PointRead read = input.next_point(t, x);
        if (read == PointRead::end) break;
        if (read == PointRead::unreadable) return point_failure(ColloidFailure::input_points);
        const double c = model.concentration(t, x, quadrature);
        print_txt.write_result(t, x, c);
        not_finite.note(t, x, c);
        ++written;
        progress.displaycurrentprgress(written, *points);
    }
    if (not_finite.any()) common::console_record(colloid_not_finite_record(family, not_finite));
    write_completion_marks();
    const float elapsed = common::process_cpu_seconds() - start;
    write_time_line(elapsed);

    const ArchiveCopyOutcome archived =
        append_colloid_block(dirtrans, family, settings, written, elapsed, print_txt.file());
    switch (archived.copy) {
        case ArchiveCopy::complete:
            break;
        case ArchiveCopy::result_unreadable:
            return handled(messages, ColloidFailure::result_readback, archived.failure);
        case ArchiveCopy::archive_unwritable:
            return handled(messages, ColloidFailure::archive_append, archived.failure);
    }
    common::require(print_txt.file().close(), print_txt.path(), "cannot close");
    common::require(input.close(), dirtrans.file("input.txt"), "cannot close");
    // Invalid tolerances were reported and their pause resumed, or results are not numbers: the
    // results are not trustworthy.
    return quadrature.invalid_input_reported() || not_finite.any() ? RunOutcome::handled_failure
                                                                   : RunOutcome::completed;
}

}  // namespace

RunOutcome colloidcfinstant(const common::RunDirectory& dirtrans) {
    return run_colloid_model(dirtrans, ColloidFamily::instantaneous);
}

RunOutcome colloidcfbroadpusle(const common::RunDirectory& dirtrans) {
    return run_colloid_model(dirtrans, ColloidFamily::broad_pulse);
}

}  // namespace coltrans
