#include "coltrans/sorption_archive.hpp"

#include <array>
#include <string_view>

#include "coltrans/result_file.hpp"
#include "coltrans/run_archive.hpp"
#include "coltrans/sorption_messages.hpp"
#include "common/console.hpp"

namespace coltrans::adsorption {
namespace {

constexpr std::array<std::string_view, 9> kParameterLabels = {"Parameter 1", "Parameter 2", "Parameter 3",
                                                              "Parameter 4", "Parameter 5", "Parameter 6",
                                                              "Parameter 7", "Parameter 8", "Parameter 9"};

}  // namespace

std::string SorptionResults::record(std::size_t k) const {
    return result_record(run.timevector[k], run.cexpvector[k], cavector[k]);
}

// The records are buffered, so a failure to write a result may only show when the block is put out
// at the end; it takes the same path.
SorptionArchive append_sorption_block(const common::RunDirectory& dirtrans, const SorptionSettings& settings,
                                      const SorptionResults& results, float cpu_seconds) {
    RunArchive archive = RunArchive::open(dirtrans);
    archive.write_block_start(static_cast<std::int32_t>(results.size()), cpu_seconds, settings.sim_mode);
    for (std::size_t k = 0; k < kParameterLabels.size(); ++k) {
        archive.write_parameter(kParameterLabels[k], settings.par[k]);
    }
    archive.write_parameter("Future var1", settings.future_var1);
    const std::array<std::string, 3> header = result_header_records(ResultTable::sorption);
    if (!archive.write(header[0])) return SorptionArchive::header_unwritable;
    archive.write_or_fail(header[1]);
    archive.write_or_fail(header[2]);
    bool written = true;
    for (std::size_t k = 0; k < results.size() && written; ++k)
        written = static_cast<bool>(archive.write(results.record(k)));
    if (!archive.close() || !written) {
        common::console_list({sorption_text(SorptionMessage::archive_failure)});
        common::stop();
    }
    return SorptionArchive::complete;
}

}  // namespace coltrans::adsorption
