// input.txt of the sorption modes: the fuzz input is read as the entry and the sorption driver read
// it, then the series, cut to its first few data lines, is solved and put into print.txt records.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "coltrans/entry.hpp"
#include "coltrans/result_file.hpp"
#include "coltrans/sorption_input.hpp"
#include "common/allocation.hpp"
#include "common/record_file.hpp"
#include "models/sorption_solve.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace {

// The data lines solved per case: each interval costs the integrator at most its step limit.
constexpr std::size_t kMaxDataLines = 6;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input_path =
        fuzz_support::write_scratch_file("input.txt", fuzz_support::text_of(data, size));

    fuzz_support::run_case([&] {
        const coltrans::EntrySettings entry = coltrans::read_entry_settings(input_path);
        (void)coltrans::select_model(entry.sim_mode);
        (void)coltrans::pacing_sleep_microseconds(entry.pace_number, 0.0f);
    });

    fuzz_support::run_case([&] {
        common::RecordFile input = common::RecordFile::open_or_fail(input_path, common::OpenMode::existing);
        coltrans::adsorption::SorptionInput read = coltrans::adsorption::read_sorption_input(input);
        (void)coltrans::adsorption::sorption_input_message(read);
        if (read.status != coltrans::adsorption::SorptionInputStatus::ok) return;

        models::globalvars::SorptionRun& run = read.run;
        const std::size_t n = std::min(run.timevector.size(), kMaxDataLines);
        run.timevector.resize(n);
        run.cexpvector.resize(n);
        std::vector<double> cavector = common::allocate_array<double>(static_cast<std::int64_t>(n));
        const models::adsoodesolvermod::Vartrans2 tolerances{read.settings.absolute_tolerance,
                                                             read.settings.relative_tolerance};
        (void)models::adsoodesolvermod::solveode(cavector, run, tolerances,
                                                 [](std::int32_t, std::int32_t) {});
        for (std::size_t k = 0; k < n; ++k) {
            if (coltrans::result_record(run.timevector[k], run.cexpvector[k], cavector[k]).size() != 50) {
                __builtin_trap();
            }
        }
    });
    return 0;
}
