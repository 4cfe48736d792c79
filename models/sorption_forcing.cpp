#include "models/sorption_forcing.hpp"

#include <algorithm>

namespace models::adsoodesolvermod {
namespace {

// The line through data points a and b (0-based) at time t.
double line_through(const globalvars::SorptionRun& run, std::size_t a, std::size_t b, double t) {
    const std::vector<double>& times = run.timevector;
    const std::vector<double>& conc = run.cexpvector;
    return ((conc[b] - conc[a]) / (times[b] - times[a])) * (t - times[a]) + conc[a];
}

}  // namespace

double solute_concentration(const globalvars::SorptionRun& run, double t) {
    const std::vector<double>& times = run.timevector;
    const std::size_t n = times.size();
    if (n < 2) return n == 1 && t >= times[0] ? run.cexpvector[0] : 0.0;
    if (run.it >= 2 && static_cast<std::size_t>(run.it) <= n) {
        const auto b = static_cast<std::size_t>(run.it) - 1;
        if (times[b] - t >= 0.0 && times[b - 1] - t <= 0.0) return line_through(run, b - 1, b, t);
    }
    if (t < times.front()) return 0.0;
    if (t > times.back()) return run.cexpvector.back();
    // The first data time at or after t closes the interval that contains t.
    const auto after = std::lower_bound(times.begin() + 1, times.end(), t);
    const auto b = static_cast<std::size_t>(after - times.begin());
    return line_through(run, b - 1, b, t);
}

}  // namespace models::adsoodesolvermod
