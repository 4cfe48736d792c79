// The rewrite of the PEST control file. The first bytes of the fuzz input choose what the
// generator's inputs would have given (fit flags, change limit, number of observations, values);
// the rest is the existing control file, whose lines from the fourth on reach the rewrite through
// the back-up's line buffer, as in a real run.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "common/io_result.hpp"
#include "common/record_source.hpp"
#include "pestprep/control_file.hpp"
#include "pestprep/control_records.hpp"
#include "pestprep/generator_data.hpp"
#include "tests/fuzz/fuzz_support.hpp"

namespace {

// Bytes 0 to 2: two bits per parameter, its fit flag; byte 3: bit 0 the change limit, bits 1 to 7
// the number of observations; bytes 4 to 7: one value of the table per nibble.
constexpr std::size_t kHeaderSize = 8;

constexpr std::array<double, 16> kValues = {0.0,
                                            1.0,
                                            -1.0,
                                            0.015,
                                            1.0e-300,
                                            1.0e300,
                                            -2.5e-7,
                                            12345678.9,
                                            -0.0,
                                            std::numeric_limits<double>::quiet_NaN(),
                                            std::numeric_limits<double>::infinity(),
                                            -std::numeric_limits<double>::infinity(),
                                            std::numeric_limits<double>::denorm_min(),
                                            std::numeric_limits<double>::max(),
                                            9.99999995e-100,
                                            500000.0};
constexpr std::array<std::int32_t, 4> kFlags = {0, 1, 2, -1};

double value_at(const std::uint8_t* header, std::size_t nibble) {
    const std::uint8_t byte = header[4 + nibble / 2];
    return kValues[(nibble % 2 == 0 ? byte : byte >> 4) & 15];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kHeaderSize) return 0;
    pestprep::ParsToFit pars;
    for (std::size_t r = 0; r < pestprep::kParameterCount; ++r) {
        pars.parfitflag[r] = kFlags[(data[r / 4] >> (2 * (r % 4))) & 3];
        pars.parvalue[r] = value_at(data, r % 8);
        pars.parboundarymin[r] = value_at(data, (r + 1) % 8);
        pars.parboundarymax[r] = value_at(data, (r + 2) % 8);
    }
    const pestprep::ChangeLimit change_limit =
        (data[3] & 1) != 0 ? pestprep::ChangeLimit::kept_from_file : pestprep::ChangeLimit::from_bounds;
    const std::size_t n = data[3] >> 1;
    std::vector<double> cexpvector(n);
    std::vector<double> weightvector(n);
    for (std::size_t i = 0; i < n; ++i) {
        cexpvector[i] = value_at(data, (i + 3) % 8);
        weightvector[i] = value_at(data, (i + 5) % 8);
    }

    // The control file as the back-up holds it: every line through the line buffer. The rewrite
    // starts at its fourth line.
    common::StringRecords control =
        common::StringRecords::from_text(fuzz_support::text_of(data + kHeaderSize, size - kHeaderSize));
    std::vector<std::string> backup_lines;
    std::string record;
    while (control.read_record(record)) backup_lines.push_back(pestprep::creating_files::line_buffer(record));
    if (backup_lines.size() < 3) return 0;
    backup_lines.erase(backup_lines.begin(), backup_lines.begin() + 3);
    common::StringRecords backup(std::move(backup_lines));

    std::vector<std::string> written;
    pestprep::creating_files::ControlRewrite rewrite{backup, "tracer_fit_pst_temp.txt",
                                                     [&written](std::string_view text) {
                                                         written.emplace_back(text);
                                                         return common::IoResult{};
                                                     },
                                                     "tracer_fit.pst"};
    fuzz_support::run_case([&] {
        pestprep::creating_files::rewrite_control_records(rewrite, cexpvector, weightvector, pars,
                                                          change_limit);
    });
    return 0;
}
