#include "models/transport_kernel.hpp"

#include <algorithm>
#include <cmath>

#include "numerics/scaled_erfc.hpp"

namespace models {
namespace {

// Below these, with a little room for the last bits of exp and erfc: exponents whose exponential
// is no longer a normal number (log of the smallest one is -708.396), and squared erfc arguments
// whose erfc is not (erfc(z) reaches the smallest normal number at z = 26.543, z^2 = 704.5). And a
// lower bound of exp(z^2) erfc(z) for the arguments whose erfc is normal (0.0212 at z = 26.543).
constexpr double kLowestNormalExponent = -708.0;
constexpr double kLargestNormalErfcSquare = 704.0;
constexpr double kLeastScaledErfc = 0.02;

}  // namespace

TransportKernel::TransportKernel(const colloidm::State& s)
    : d_(s.d),
      pi_(s.pi),
      u_(s.u),
      x_(s.x),
      net_rate_(s.h - s.a),
      first_rate_((s.h - s.a) - s.u * s.u / (4.0 * s.d)),
      four_d_(4.0 * s.d),
      x_squared_(s.x * s.x),
      advection_(s.u * s.x / (2.0 * s.d)),
      half_u_(s.u / 2.0),
      second_factor_(s.u / (2.0 * std::sqrt(s.d))) {}

// With L the first term's exponent and z the erfc argument, the second term's exponential and erfc
// multiply to exp(L) exp(z^2) erfc(z). So the first exponential underflows when L is below the
// lowest normal exponent; the second exponential, exp(L + z^2), only then; the erfc when
// z^2 > 704, that is L < U x/(2D) + (h - a) tau - 704; and the second term of normal factors when
// exp(L) |U/(2 sqrt D)| exp(z^2) erfc(z) is below the smallest normal number, where exp(z^2)
// erfc(z) >= 0.02 since the erfc is normal.
double TransportKernel::first_exponential_floor(double t_max) const {
    double lowest = kLowestNormalExponent;
    if (second_factor_ != 0.0) {
        lowest = std::max({lowest, advection_ + std::max(0.0, net_rate_ * t_max) - kLargestNormalErfcSquare,
                           kLowestNormalExponent - std::log(std::fabs(second_factor_) * kLeastScaledErfc)});
    }
    return std::exp(lowest);
}

double TransportKernel::scaled(double tau, double shift) const {
    const double drift = u_ * tau - x_;
    const double exponent = net_rate_ * tau - drift * drift / (four_d_ * tau) + shift;
    const double z = std::sqrt(tau / d_) * half_u_ + x_ / (2.0 * std::sqrt(d_ * tau));
    const double first = 1.0 / std::sqrt(pi_ * tau);
    if (z >= 0.0) return std::exp(exponent) * (first - second_factor_ * numerics::erfcx(z));
    // Below 0, erfc(z) = 2 - erfc(-z): the 2 goes with the advection factor alone.
    return std::exp(exponent) * (first + second_factor_ * numerics::erfcx(-z)) -
           2.0 * second_factor_ * std::exp(2.0 * advection_ + net_rate_ * tau + shift);
}

}  // namespace models
