#include "models/transport_kernel.hpp"

#include <cmath>

namespace models {

TransportKernel::TransportKernel(const colloidm::State& s)
    : d_(s.d),
      pi_(s.pi),
      x_(s.x),
      net_rate_(s.h - s.a),
      first_rate_((s.h - s.a) - s.u * s.u / (4.0 * s.d)),
      four_d_(4.0 * s.d),
      x_squared_(s.x * s.x),
      advection_(s.u * s.x / (2.0 * s.d)),
      half_u_(s.u / 2.0),
      second_factor_(s.u / (2.0 * std::sqrt(s.d))) {}

double TransportKernel::operator()(double tau) const {
    const double e1 = std::exp(first_rate_ * tau - x_squared_ / (four_d_ * tau));
    const double e2 = std::exp(advection_ + net_rate_ * tau);
    const double f = std::erfc(std::sqrt(tau / d_) * half_u_ + x_ / (2.0 * std::sqrt(d_ * tau)));
    return e1 / std::sqrt(pi_ * tau) - second_factor_ * e2 * f;
}

}  // namespace models
