#include "coltrans/entry.hpp"

#include <cerrno>
#include <ctime>

#include "coltrans/model_procedures.hpp"
#include "common/console.hpp"
#include "common/cpu_time.hpp"
#include "common/list_input.hpp"
#include "common/record_file.hpp"
#include "common/run_directory.hpp"
#include "common/run_directory_lock.hpp"

namespace coltrans {
namespace {

// The error-stream note of a run that waits for the one in progress in its run directory.
constexpr std::string_view kWaitingNote[] = {
    "coltrans: waiting for the run in progress in '",
    "' to end (a run directory serves one run at a time)",
};

// Sleeps as usleep does: a duration of a whole second or more fails without sleeping.
void sleep_microseconds(std::int64_t microseconds) {
    if (microseconds <= 0 || microseconds >= 1'000'000) return;
    timespec remaining{0, static_cast<long>(microseconds) * 1000};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

RunOutcome run_model(ModelKind kind, const common::RunDirectory& dirtrans) {
    switch (kind) {
        case ModelKind::instantaneous:
            return colloidcfinstant(dirtrans);
        case ModelKind::broad_pulse:
            return colloidcfbroadpusle(dirtrans);
        case ModelKind::sorption:
            break;
    }
    return adsorption::adsorptionsolver(dirtrans);
}

}  // namespace

ModelKind select_model(float sim_mode) {
    for (const float even : {0.0f, 2.0f, 4.0f, 6.0f, 8.0f, 10.0f}) {
        if (sim_mode == even) return ModelKind::instantaneous;
    }
    for (const float odd : {1.0f, 3.0f, 5.0f, 7.0f, 9.0f, 11.0f}) {
        if (sim_mode == odd) return ModelKind::broad_pulse;
    }
    return ModelKind::sorption;
}

EntrySettings read_entry_settings(const std::string& input_path) {
    common::RecordFile input = common::RecordFile::open_or_fail(input_path, common::OpenMode::existing);
    EntrySettings settings;
    common::require(common::read_list(input, {&settings.sim_mode}), input_path, "cannot read line 1 of");
    for (int line = 2; line <= 14; ++line) {
        common::require(common::skip_record(input), input_path,
                        "cannot read line " + std::to_string(line) + " of");
    }
    float errrel = 0.0f;
    float errabs = 0.0f;
    float limit = 0.0f;
    const common::IoResult line15 =
        common::read_list(input, {&errrel, &errabs, &limit, &settings.pace_number});
    // The fourth value is optional: when it cannot be read as an integer there is no pacing.
    if (!line15 && line15.items < 3) common::require(line15, input_path, "cannot read line 15 of");
    if (!line15) settings.pace_number = 0;
    common::require(input.close(), input_path, "cannot close");
    return settings;
}

float pacing_seconds(std::int32_t pace_number) {
    float g = static_cast<float>(static_cast<double>(pace_number) * 0.8 / 100.0);
    if (g < 0.0f || g > 1.0f) g = 0.4f;
    return g;
}

std::int64_t pacing_sleep_microseconds(std::int32_t pace_number, float model_cpu_seconds) {
    const float g = pacing_seconds(pace_number);
    if (!(g > model_cpu_seconds)) return 0;
    const auto microseconds = static_cast<std::int64_t>(g * 1'000'000.0f);
    return microseconds >= 1'000'000 ? 0 : microseconds;
}

common::ExitStatus run(int argc, char** argv) {
    const common::Discovery discovery = common::discover_run_directory(
        common::process_discovery_inputs(argc, argv), common::kSimulatorWorkWidth);
    common::console_list({discovery.message});
    // From the first read of input.txt to the last write of the model, the run directory is this
    // run's alone.
    common::RunDirectoryLock run_directory = common::RunDirectoryLock::acquire(discovery.run, [&] {
        common::error_record(std::string(kWaitingNote[0]) + discovery.run.directory +
                             std::string(kWaitingNote[1]));
    });
    const EntrySettings settings = read_entry_settings(discovery.run.file("input.txt"));

    const float t1 = common::process_cpu_seconds();
    const RunOutcome outcome = run_model(select_model(settings.sim_mode), discovery.run);
    const float t2 = common::process_cpu_seconds();
    run_directory.release();

    sleep_microseconds(pacing_sleep_microseconds(settings.pace_number, t2 - t1));
    return outcome == RunOutcome::completed ? common::ExitStatus::success
                                            : common::ExitStatus::handled_failure;
}

}  // namespace coltrans
