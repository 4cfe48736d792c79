#pragma once
// Reading input.txt in the sorption modes: sixteen settings lines, a counting pass over the data
// lines, then the series itself.

#include <cstdint>
#include <string>

#include "common/record_file.hpp"
#include "models/sorption_series.hpp"

namespace coltrans::adsorption {

// The settings of a sorption run, as read from lines 1 to 16.
struct SorptionSettings {
    float sim_mode = 0.0f;            // line 1: the sorption type
    std::array<double, 9> par{};      // lines 2 to 10
    std::string line11;               // 10 characters, not used
    double future_var1 = 0.0;         // line 12; receives the first number of each data line while counting
    double line13 = 0.0;              // line 13; receives the second number of each data line while counting
    std::string line14;               // 60 characters, not used
    double relative_tolerance = 0.0;  // line 15, first value
    double absolute_tolerance = 0.0;  // line 15, second value
    std::int32_t line15_integer = 0;  // line 15, third value, not used
    std::string line16;               // 10 characters, not used
};

enum class SorptionInputStatus {
    ok,
    unreadable_settings_or_count,  // a value of lines 1 to 16 or of the counting pass cannot be read
    unreadable_series,             // the second pass failed or ended early
    times_not_increasing,          // a data time is not greater than the one before it
};

struct SorptionInput {
    SorptionInputStatus status = SorptionInputStatus::ok;
    SorptionSettings settings;
    std::int32_t m = 0;                   // the number of data lines counted
    models::globalvars::SorptionRun run;  // the series, filled when status is ok
    std::int32_t bad_line = 0;            // times_not_increasing: the data line whose time is not greater
};

// Reads the open input.txt from its start. An end of file within the settings lines has no handler
// (IoFailure, exit status 2).
SorptionInput read_sorption_input(common::RecordFile& input);

// The console message of a failed read, one record.
std::string sorption_input_message(const SorptionInput& input);

}  // namespace coltrans::adsorption
