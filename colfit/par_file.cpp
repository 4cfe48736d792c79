// The parameter value file of the fitted values.
#include "colfit/par_file.hpp"

#include "common/format.hpp"

namespace colfit {

std::vector<std::string> parameter_file_records(const ParameterValues& values) {
    std::vector<std::string> records{"single point"};
    const common::Format line("(1X,A12,ES25.16E3,F11.6,F11.6)");
    for (std::size_t r = 0; r < kParameterCount; ++r)
        records.push_back(line.apply({kParameterNames[r], values[r], 1.0, 0.0}));
    return records;
}

}  // namespace colfit
