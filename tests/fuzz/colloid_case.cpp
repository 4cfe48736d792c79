#include "tests/fuzz/colloid_case.hpp"

#include <algorithm>
#include <optional>
#include <string>

#include "coltrans/colloid_input.hpp"
#include "coltrans/entry.hpp"
#include "coltrans/progress.hpp"
#include "coltrans/result_file.hpp"
#include "common/message_file.hpp"
#include "numerics/gsl_error_handler.hpp"
#include "numerics/quadrature.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace fuzz_support {
namespace {

// Bounds that keep one case within milliseconds: the points computed, and the subdivision limit
// (the broad pulse integrates twice per point over a double integral, whose cost grows with the
// square of the limit).
constexpr std::int32_t kMaxPoints = 3;
constexpr std::int32_t kMaxLimitInstantaneous = 40;
constexpr std::int32_t kMaxLimitBroadPulse = 6;

}  // namespace

void run_colloid_case(const std::uint8_t* data, std::size_t size, coltrans::ColloidFamily family) {
    numerics::use_gsl_status_codes();
    const std::string input_path = write_scratch_file("input.txt", text_of(data, size));
    const std::string message_path = (scratch_directory() / "fort.9").string();

    // The entry's own reading of lines 1 and 15.
    run_case([&] {
        const coltrans::EntrySettings entry = coltrans::read_entry_settings(input_path);
        (void)coltrans::select_model(entry.sim_mode);
        (void)coltrans::pacing_sleep_microseconds(entry.pace_number, 0.0f);
    });

    run_case([&] {
        coltrans::ColloidInput input(input_path);
        const coltrans::ColloidSettings& settings = input.settings();
        const std::int32_t max_limit =
            family == coltrans::ColloidFamily::instantaneous ? kMaxLimitInstantaneous : kMaxLimitBroadPulse;
        common::MessageFile messages(message_path);
        numerics::Quadrature quadrature(std::min(settings.limit, max_limit), messages);
        quadrature.set_pause_answers(resuming_answers());
        models::ColloidModel model = coltrans::colloid_model(family, settings);

        const std::optional<std::int32_t> points = input.count_points();
        if (!points || !input.rewind_to_points()) return;
        coltrans::ProgressDisplay progress;
        double t = 0.0;
        double x = 0.0;
        for (std::int32_t k = 1; k <= kMaxPoints && input.next_point(t, x) == coltrans::PointRead::point;
             ++k) {
            const double c = model.concentration(t, x, quadrature);
            if (coltrans::result_record(t, x, c).size() != 50) __builtin_trap();
            progress.displaycurrentprgress(k, *points);
        }
    });
}

}  // namespace fuzz_support
