#pragma once
// The sorption laws: seven kinetic rate laws dC*/dt = f(C, C*) and three equilibrium isotherms
// C* = f(C), selected by the type code.

#include <array>
#include <cstdint>
#include <optional>

namespace models::adsoodesolvermod {

// Sorption types by their code, the mode number truncated toward zero.
enum class SorptionType : std::int32_t {
    linear_kinetic = 12,        // dC*/dt = par1 par3 C / par4 - par2 C*
    power_kinetic = 13,         // dC*/dt = (par1 par4) C^par3 / par5 - par2 C*
    double_power_rate = 14,     // dC*/dt = par1 C^par2 C^par3
    langmuir_kinetic = 15,      // dC*/dt = par2 C (par1 - C*) - par3 C*
    linear_driving_rate = 16,   // dC*/dt = (C - par2) par1
    exponential_rate = 17,      // dC*/dt = par2 exp(-par1 C)
    second_order_kinetic = 18,  // dC*/dt = par1 (par2 - C*)^2
    linear_isotherm = 19,       // C* = C par1
    freundlich_isotherm = 20,   // C* = par1 C^par2
    langmuir_isotherm = 21,     // C* = (par1 par2) C / (C par2 + 1)
};

inline constexpr std::int32_t kLastKineticType = 18;
inline constexpr std::int32_t kLastEquilibriumType = 21;

// The type code of a mode number: truncated toward zero. A mode that is not a number or lies
// outside the integer range has the code of no law (the lowest integer), so its rate is zero.
std::int32_t sorption_type_code(float sim_mode);

// dC*/dt for the kinetic code k (k <= 18) at solute concentration c and sorbed concentration cs.
// Codes without a law give 0.
double adsorptiontypesydot(std::int32_t k, const std::array<double, 9>& par, double c, double cs);

// C* for the equilibrium code k (19 to 21) at solute concentration c. nullopt when the Langmuir
// denominator is exactly zero.
std::optional<double> equilibrium_sorbed(std::int32_t k, const std::array<double, 9>& par, double c);

}  // namespace models::adsoodesolvermod
