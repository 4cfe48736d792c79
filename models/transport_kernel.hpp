#pragma once
// The kernel K(tau) that both colloid models integrate: the response of advection and dispersion
// with the net rate h - a at the position of the current point,
//   K(tau) = exp(((h - a) - U^2/(4D)) tau - x^2/(4 D tau)) / sqrt(pi tau)
//            - (U / (2 sqrt D)) exp(U x/(2D) + (h - a) tau) erfc(sqrt(tau/D) U/2 + x/(2 sqrt(D tau))).
// The factors that do not depend on tau are computed once per position, each exactly as the
// formula groups it, so that every value is the one the formula gives evaluated in full.

#include "models/colloid_state.hpp"

namespace models {

class TransportKernel {
  public:
    TransportKernel() = default;
    // K for the rates, D, U and position x of the state.
    explicit TransportKernel(const colloidm::State& s);

    double operator()(double tau) const;

    // U x / (2 D), the exponent of the advection factor.
    double advection_exponent() const noexcept { return advection_; }

  private:
    double d_ = 0.0;
    double pi_ = 0.0;
    double x_ = 0.0;
    double net_rate_ = 0.0;       // h - a
    double first_rate_ = 0.0;     // (h - a) - U^2 / (4 D)
    double four_d_ = 0.0;         // 4 D
    double x_squared_ = 0.0;      // x^2
    double advection_ = 0.0;      // U x / (2 D)
    double half_u_ = 0.0;         // U / 2
    double second_factor_ = 0.0;  // U / (2 sqrt D)
};

}  // namespace models
