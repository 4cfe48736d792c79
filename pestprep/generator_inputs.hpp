#pragma once
// The generator's three inputs in SystemFiles, all free-format records after one heading line:
// ExpData.txt (measured concentration and weight per observation), TimeAndCoords.txt (time and
// position per observation) and ParsToFit.txt (twelve parameter records: initial value, fit flag,
// lower bound, upper bound, label).
//
// The error condition of a read is handled by the caller, who reports it and ends the run; the
// end of a file where none is expected has no handler and ends the program (common::IoFailure).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "common/record_source.hpp"
#include "pestprep/generator_data.hpp"

namespace pestprep {

// The handled failures of reading the inputs.
enum class InputFailure {
    counting_expdata,
    counting_timeandcoords,
    loading_expdata,
    loading_timeandcoords,
    loading_parstofit,
};

// The console text of a handled failure.
std::string_view input_failure_text(InputFailure failure);

// Counts the records of two numbers after the heading line, from the file's start to its end (an
// incomplete last record does not count). nullopt when the heading or a record cannot be read.
std::optional<std::int32_t> count_observation_records(common::RecordSource& file, const std::string& path);

// Reads first.size() records of two numbers after the heading line, the first number of record i
// into first[i], the second into second[i]. false when the heading or a record cannot be read, or
// a number is not finite (PEST cannot read NaN or an infinity in its files).
bool load_observation_pairs(common::RecordSource& file, const std::string& path, std::span<double> first,
                            std::span<double> second);

// Reads the twelve parameter records after the heading line; the labels are read and dropped.
// false when the heading or a record cannot be read, or a value or bound is not finite.
bool load_pars_to_fit(common::RecordSource& file, const std::string& path, ParsToFit& pars);

}  // namespace pestprep
