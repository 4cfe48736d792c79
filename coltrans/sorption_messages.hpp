#pragma once
// The console texts of the sorption mode's handled failures and of its closing record, as one
// table.

#include <string_view>

namespace coltrans::adsorption {

enum class SorptionMessage {
    unreadable_settings,  // a value of lines 1 to 16, or a data line of the counting pass
    unreadable_series,    // the second pass over the data lines failed or ended early
    time_order_line,      // a data time not greater than the one before: the line number follows,
    time_order_time,      // then this and the time,
    time_order_before,    // then this and the time of the line before
    solve_failure,        // an isotherm could not be evaluated; "Error flag=" and the flag follow
    error_flag,
    print_failure,    // the first header record of print.txt or of the archive's result table
    archive_failure,  // a result record of the archive block; the program stops
    closing,          // the last record of every run, followed by the number of data lines
};

std::string_view sorption_text(SorptionMessage message);

}  // namespace coltrans::adsorption
