#pragma once
// The run archive block of a sorption-mode run: the block start, "Parameter 1" to "Parameter 9"
// each followed by its value, "Future var1" and its value, then the result table again: its three
// header records and one result record per data line.

#include <cstdint>
#include <string>
#include <vector>

#include "coltrans/sorption_input.hpp"
#include "common/run_directory.hpp"

namespace coltrans::adsorption {

// The three columns of a sorption run: time, solute concentration, sorbed concentration.
struct SorptionResults {
    const models::globalvars::SorptionRun& run;
    const std::vector<double>& cavector;

    std::size_t size() const noexcept { return cavector.size(); }
    // The result record of data line k (0-based).
    std::string record(std::size_t k) const;
};

enum class SorptionArchive {
    complete,
    header_unwritable,  // the first header record of the result table could not be written
};

// Appends the block. Opening the archive and the records before the result table have no handler
// (the program ends); a result record that cannot be written ends the program with a stop, after
// "Error found when writing the total runs file" on the console.
SorptionArchive append_sorption_block(const common::RunDirectory& dirtrans, const SorptionSettings& settings,
                                      const SorptionResults& results, float cpu_seconds);

}  // namespace coltrans::adsorption
