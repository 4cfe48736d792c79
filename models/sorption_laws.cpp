#include "models/sorption_laws.hpp"

#include <cmath>
#include <limits>

namespace models::adsoodesolvermod {
namespace {

// par1 ... par9 by their number.
struct Par {
    const std::array<double, 9>& values;
    double operator()(int number) const { return values[static_cast<std::size_t>(number - 1)]; }
};

}  // namespace

std::int32_t sorption_type_code(float sim_mode) {
    const double truncated = std::trunc(static_cast<double>(sim_mode));
    if (!(truncated >= std::numeric_limits<std::int32_t>::min() &&
          truncated <= std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(truncated);
}

double adsorptiontypesydot(std::int32_t k, const std::array<double, 9>& values, double c, double cs) {
    const Par par{values};
    switch (static_cast<SorptionType>(k)) {
        case SorptionType::linear_kinetic:
            return par(1) * par(3) * c / par(4) - par(2) * cs;
        case SorptionType::power_kinetic:
            return (par(1) * par(4)) * std::pow(c, par(3)) / par(5) - par(2) * cs;
        case SorptionType::double_power_rate:
            return par(1) * std::pow(c, par(2)) * std::pow(c, par(3));
        case SorptionType::langmuir_kinetic:
            return par(2) * c * (par(1) - cs) - par(3) * cs;
        case SorptionType::linear_driving_rate:
            return (c - par(2)) * par(1);
        case SorptionType::exponential_rate:
            return par(2) * std::exp(-par(1) * c);
        case SorptionType::second_order_kinetic: {
            const double gap = par(2) - cs;
            return par(1) * (gap * gap);
        }
        default:
            return 0.0;
    }
}

std::optional<double> equilibrium_sorbed(std::int32_t k, const std::array<double, 9>& values, double c) {
    const Par par{values};
    switch (static_cast<SorptionType>(k)) {
        case SorptionType::linear_isotherm:
            return c * par(1);
        case SorptionType::freundlich_isotherm:
            return par(1) * std::pow(c, par(2));
        case SorptionType::langmuir_isotherm: {
            const double denominator = c * par(2) + 1.0;
            if (denominator == 0.0) return std::nullopt;
            return (par(1) * par(2)) * c / denominator;
        }
        default:
            return 0.0;
    }
}

}  // namespace models::adsoodesolvermod
