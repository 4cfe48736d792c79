// The observations with their fitted values.
#include "colfit/curve_file.hpp"

#include "common/format.hpp"

namespace colfit {

std::vector<std::string> curve_records(const FitProblem& problem, std::span<const double> fitted) {
    const common::Format heading("(A1,6A25)");
    const bool sorption = problem.family == Family::sorption;
    std::vector<std::string> records{heading.apply(
        {"#", "t [hr]", sorption ? "C (solute)" : "x [cm]", sorption ? "C* measured" : "C measured",
         sorption ? "C* fitted" : "C fitted", "weight", "measured - fitted"})};
    const common::Format line("(1X,6ES25.16E3)");
    for (std::size_t i = 0; i < problem.observations.size(); ++i) {
        const Observation& o = problem.observations[i];
        records.push_back(line.apply({o.t, o.x, o.measured, fitted[i], o.weight, o.measured - fitted[i]}));
    }
    return records;
}

}  // namespace colfit
