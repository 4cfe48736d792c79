#include "coltrans/colloid_archive.hpp"

#include <string>

#include "coltrans/run_archive.hpp"
#include "common/format.hpp"
#include "common/io_result.hpp"
#include "common/list_input.hpp"

namespace coltrans {
namespace {

constexpr std::size_t kCopyWidth = 200;

}  // namespace

std::array<std::string_view, 10> archive_labels(ColloidFamily family) {
    const bool pulse = family == ColloidFamily::broad_pulse;
    return {
        " hydrodynamic dispersion coefficient [cm^2/hr], D",
        "clogging rate constant [1/hr],kc",
        "declogging rate constant [1/hr],kr",
        "inactivation constant of suspended viruses [1/hr], lamda",
        " average interstitial velocity [cm/hr], U",
        pulse ? " pulse time [hr],tp" : "Cross section Area,A0",
        "porosity [-], Theta",
        "! inactivation constant of adsorbed viruses [1/hr],lamdas",
        pulse ? "source concentration [g/cm^3],Conc0" : "source mass rate [gr/sec],mi",
        "bulk density of the solid matrix [g/cm^3],rh0",
    };
}

ArchiveCopyOutcome append_colloid_block(const common::RunDirectory& run, ColloidFamily family,
                                        const ColloidSettings& settings, std::int32_t results,
                                        float cpu_seconds, common::RecordFile& print_txt) {
    static const common::Format copy_format("(A200)");
    // The results go out before the archive is opened: results that cannot be written end the run
    // before any of its block is appended.
    common::require(print_txt.flush(), print_txt.path(), "cannot write");
    RunArchive archive = RunArchive::open(run);
    archive.write_block_start(results, cpu_seconds, settings.sim_mode);
    const std::array<std::string_view, 10> labels = archive_labels(family);
    const std::array<double, 10> values = settings.archived_values();
    for (std::size_t k = 0; k < labels.size(); ++k) archive.write_parameter(labels[k], values[k]);

    const auto unreadable = [&print_txt](const common::IoResult& read) {
        return ArchiveCopyOutcome{ArchiveCopy::result_unreadable,
                                  {print_txt.path(), print_txt.record_number() + 1, {}, read.cause}};
    };
    const auto unwritable = [&archive](const common::IoResult& write) {
        return ArchiveCopyOutcome{ArchiveCopy::archive_unwritable, {archive.path(), 0, {}, write.cause}};
    };
    if (const common::IoResult rewound = print_txt.rewind(); !rewound) return unreadable(rewound);
    std::string record;
    while (true) {
        const common::IoResult read = common::read_fixed_text(print_txt, record, kCopyWidth);
        if (read.is_end()) break;
        if (!read) return unreadable(read);
        const common::IoResult written = archive.write(copy_format.apply({std::string_view(record)}));
        if (!written) return unwritable(written);
    }
    if (const common::IoResult closed = archive.close(); !closed) return unwritable(closed);
    return {};
}

}  // namespace coltrans
