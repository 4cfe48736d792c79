#include "models/transport_kernel.hpp"

#include <cmath>

#include "numerics/scaled_erfc.hpp"

namespace models {

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

double TransportKernel::operator()(double tau) const {
    const double e1 = std::exp(first_rate_ * tau - x_squared_ / (four_d_ * tau));
    const double e2 = std::exp(advection_ + net_rate_ * tau);
    const double f = std::erfc(std::sqrt(tau / d_) * half_u_ + x_ / (2.0 * std::sqrt(d_ * tau)));
    return e1 / std::sqrt(pi_ * tau) - second_factor_ * e2 * f;
}

double TransportKernel::bracket(double tau) const {
    const double first = 1.0 / std::sqrt(pi_ * tau);
    const double advected = u_ * tau;
    const double travel = advected + x_;
    if (!(travel > 0.0)) return first;  // U = 0 and x = 0: the first term alone
    const double z = std::sqrt(tau / d_) * half_u_ + x_ / (2.0 * std::sqrt(d_ * tau));
    return first * (x_ / travel + (advected / travel) * numerics::erfcx_complement(z));
}

double TransportKernel::scaled(double tau, double shift) const {
    return std::exp(exponent(tau) + shift) * bracket(tau);
}

double TransportKernel::log_tau_bracket_model(double tau) const {
    const double advected = u_ * tau;
    const double travel = advected + x_;
    const double z_squared = travel * travel / (four_d_ * tau);
    const double ratio = travel > 0.0 ? (x_ + advected / (1.0 + 2.0 * z_squared)) / travel : 1.0;
    return std::log(std::sqrt(tau / pi_) * ratio);
}

}  // namespace models
