// ExpData.txt and TimeAndCoords.txt, which the generator reads with the same readers: a heading
// line, then records of two numbers. The counting pass and the loading pass must agree, and every
// pair read must go into the observation line of the control file and the point line of the
// template.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/allocation.hpp"
#include "common/record_file.hpp"
#include "common/record_source.hpp"
#include "pestprep/control_records.hpp"
#include "pestprep/generator_inputs.hpp"
#include "pestprep/template_files.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace {

// The observations written per case to the template and the instruction file.
constexpr std::size_t kMaxWritten = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = "ExpData.txt";
    common::StringRecords records = common::StringRecords::from_text(fuzz_support::text_of(data, size));

    fuzz_support::run_case([&] {
        const std::optional<std::int32_t> count = pestprep::count_observation_records(records, path);
        if (!count) return;
        records.rewind();
        std::vector<double> first = common::allocate_array<double>(*count);
        std::vector<double> second = common::allocate_array<double>(*count);
        // What the counting pass accepted, the loading pass reads without a failure, but for a
        // number that is not finite, which the loading refuses.
        bool loaded = false;
        try {
            loaded = pestprep::load_observation_pairs(records, path, first, second);
        } catch (const common::IoFailure&) {
        }
        if (!loaded) {
            const auto not_finite = [](double v) { return !std::isfinite(v); };
            if (std::none_of(first.begin(), first.end(), not_finite) &&
                std::none_of(second.begin(), second.end(), not_finite)) {
                __builtin_trap();
            }
            return;
        }

        for (std::size_t i = 0; i < first.size(); ++i) {
            const std::string line = pestprep::creating_files::observation_line(
                static_cast<std::int32_t>(i + 1), first[i], second[i], "conc");
            if (line.size() != 104) __builtin_trap();
        }
        const std::size_t written = std::min(first.size(), kMaxWritten);
        common::RecordFile tpl;
        common::require(tpl.open(fuzz_support::write_scratch_file("input.tpl", ""), common::OpenMode::any),
                        "input.tpl", "cannot open");
        pestprep::creating_files::input_tpl_file(tpl, std::span(first).first(written),
                                                 std::span(second).first(written));
        common::RecordFile ins;
        common::require(ins.open(fuzz_support::write_scratch_file("print.ins", ""), common::OpenMode::any),
                        "print.ins", "cannot open");
        pestprep::creating_files::print_ins_file(ins, static_cast<std::int32_t>(written));
    });
    return 0;
}
