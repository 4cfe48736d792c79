#include "models/transport_kernel.hpp"

#include <algorithm>
#include <cmath>

#include "models/range_guard.hpp"
#include "numerics/scaled_erfc.hpp"

namespace models {
namespace {

// Below these, with a little room for the last bits of exp and erfc: exponents whose exponential
// is no longer a normal number (log of the smallest one is -708.396), and squared erfc arguments
// whose erfc is not (erfc(z) reaches the smallest normal number at z = 26.543, z^2 = 704.5). And a
// lower bound of exp(z^2) erfc(z) for the arguments whose erfc is normal (0.0212 at z = 26.543).
constexpr double kLowestNormalExponent = -708.0;
constexpr double kLowestNormal = 3.307553003638408e-308;  // exp(-708)
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
    if (second_factor_ == 0.0) return kLowestNormal;
    const double second_term = kLowestNormal / (std::fabs(second_factor_) * kLeastScaledErfc);
    const double erfc_exponent = advection_ + std::max(0.0, net_rate_ * t_max) - kLargestNormalErfcSquare;
    const double erfc = erfc_exponent > kLowestNormalExponent ? std::exp(erfc_exponent) : 0.0;
    return std::max({kLowestNormal, second_term, erfc});
}

double TransportKernel::first_exponent_floor(double t_max) const {
    if (second_factor_ == 0.0) return kLowestNormalExponent;
    return std::max({kLowestNormalExponent,
                     advection_ + std::max(0.0, net_rate_ * t_max) - kLargestNormalErfcSquare,
                     kLowestNormalExponent - std::log(std::fabs(second_factor_) * kLeastScaledErfc)});
}

// L(tau) = r tau - c / tau with r = (h - a) - U^2/(4D) and c = x^2/(4D) > 0 equals a level k < 0
// where r tau^2 - k tau - c = 0: at tau = 2c / (sqrt(k^2 + 4 r c) - k), and for r < 0 again at
// (sqrt(k^2 + 4 r c) - k) / (2 |r|), L's maximum lying at sqrt(c / |r|) between them. On (0, end]
// L rises, so that exp(L) is at most exp(L(end)); and exp(L(tau)) / sqrt(tau) is at most
// exp(max(r, 0) end) exp(-c/tau) / sqrt(tau), which rises up to tau = 2c and is exp(-1/2) /
// sqrt(2c) there. The ends are moved outward by a relative 1e-9, far more than their rounding.
std::optional<TransportKernel::EarlyTimes> TransportKernel::early_times(double t_max) const {
    if (!(u_ >= 0.0 && x_ > 0.0)) return std::nullopt;
    const double level = first_exponent_floor(t_max);
    const double c = x_squared_ / four_d_;
    const double r = first_rate_;
    const double discriminant = level * level + 4.0 * r * c;
    if (!(level < 0.0 && discriminant > 0.0 && c > 0.0)) return std::nullopt;
    const double root = std::sqrt(discriminant);
    const double end = 2.0 * c / (root - level) * (1.0 + 1e-9);
    if (r < 0.0 && !((root - level) / (-2.0 * r) * (1.0 - 1e-9) > t_max && end * end < c / -r))
        return std::nullopt;
    const double first = std::max(r, 0.0) * end + (end <= 2.0 * c ? -c / end - 0.5 * log_lower_bound(end)
                                                                  : -0.5 - 0.5 * log_lower_bound(2.0 * c));
    const double second = first_exponent(end);
    return EarlyTimes{
        end, advection_ + std::max(first, second) + log_upper_bound(0.56418958354775628695 + second_factor_)};
}

// e1 = exp(L) with L <= max(r, 0) t_max; the first term exp(L) / sqrt(pi tau) is at most that times
// exp(-1/2) / sqrt(2 pi c) (see early_times); e2 <= exp(U x/(2D) + max(0, (h - a) t_max)), and the
// second term at most 2 |U/(2 sqrt D)| times that.
double TransportKernel::log_plain_bound(double t_max) const {
    const double first = std::max(first_rate_, 0.0) * t_max;
    const double second = advection_ + std::max(0.0, net_rate_ * t_max);
    return std::numbers::ln2 +
           std::max({first, first - 0.5 - 0.5 * log_lower_bound(2.0 * colloidm::kPi * x_squared_ / four_d_),
                     second, second + log_upper_bound(2.0 * std::fabs(second_factor_))});
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
