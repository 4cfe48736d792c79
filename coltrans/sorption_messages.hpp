#pragma once
// The console texts of the sorption mode's handled failures and of its closing record, as one
// table. A message of several pieces is written with values between them.

#include <string_view>

namespace coltrans::adsorption {

enum class SorptionMessage {
    unreadable_settings,  // a value of lines 1 to 16, or a data line of the counting pass
    unreadable_series,    // the second pass over the data lines failed or ended early
    time_order,     // a data time not greater than the one before: the line number, this time, the one before
    solve_failure,  // an isotherm could not be evaluated; a second record holds the error flag
    print_failure,  // the first header record of print.txt or of the archive's result table
    archive_failure,  // a result record of the archive block; the program stops
    closing,          // the last record of every run, followed by the number of data lines
};

// Piece `piece` (0-based) of the message; empty beyond its last piece.
std::string_view sorption_text(SorptionMessage message, int piece = 0);

}  // namespace coltrans::adsorption
