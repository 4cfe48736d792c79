#include "numerics/scaled_erfc.hpp"

#include <cmath>

namespace numerics {
namespace {

// Up to here erfc(z) is a normal number that the mathematics library gives to a few units in the
// last place; beyond it the continued fraction below is used.
constexpr double library_limit = 26.0;
// Levels of the continued fraction: at z >= 26 its truncation error is below 1e-25.
constexpr int fraction_levels = 10;
constexpr double inverse_sqrt_pi = 0.56418958354775628695;
constexpr double sqrt_pi = 1.7724538509055160273;

// exp(z^2) for |z| <= 26 without the error of rounding z^2 first: z^2 = high + low exactly, and
// exp(low) = 1 + low to the last bit.
double exp_square(double z) {
    const double high = z * z;
    const double low = std::fma(z, z, -high);
    return std::exp(high) * (1.0 + low);
}

// Laplace's continued fraction, for large positive z:
//   erfcx(z) = (1/sqrt(pi)) / (z + (1/2) / (z + 1 / (z + (3/2) / (z + 2 / (z + ...))))).
// The denominator less its leading z, (1/2) / (z + 1 / (z + ...)).
double fraction_tail(double z) {
    double denominator = z;
    for (int k = fraction_levels; k >= 2; --k) denominator = z + 0.5 * k / denominator;
    return 0.5 / denominator;
}

double continued_fraction(double z) {
    return inverse_sqrt_pi / (z + fraction_tail(z));
}

}  // namespace

double erfcx(double z) {
    if (z >= library_limit) return continued_fraction(z);
    if (z > -library_limit) return exp_square(z) * std::erfc(z);
    if (std::isnan(z)) return z;
    // erfcx(z) = 2 exp(z^2) - erfcx(-z), where the second term is below a rounding error of the first.
    return 2.0 * std::exp(z * z);
}

// With erfcx(z) = (1/sqrt(pi)) / (z + r), 1 - sqrt(pi) z erfcx(z) = r / (z + r).
double erfcx_complement(double z) {
    if (z >= library_limit) {
        const double tail = fraction_tail(z);
        return tail / (z + tail);
    }
    return 1.0 - sqrt_pi * z * erfcx(z);
}

}  // namespace numerics
