#pragma once
// The kernel K(tau) that both colloid models integrate: the response of advection and dispersion
// with the net rate h - a at the position of the current point,
//   K(tau) = exp(((h - a) - U^2/(4D)) tau - x^2/(4 D tau)) / sqrt(pi tau)
//            - (U / (2 sqrt D)) exp(U x/(2D) + (h - a) tau) erfc(sqrt(tau/D) U/2 + x/(2 sqrt(D tau))).
// Both terms share the factor exp(((h - a) - U^2/(4D)) tau - x^2/(4D tau)), which with the
// advection factor exp(U x/(2D)) is exp(E(tau)), E(tau) = (h - a) tau - (U tau - x)^2 / (4 D tau), so
//   K(tau) exp(U x/(2D)) = exp(E(tau)) (1/sqrt(pi tau) - (U / (2 sqrt D)) erfcx(z)),
// z the erfc's argument and erfcx(z) = exp(z^2) erfc(z). The models evaluate it in that form, with
// the exponent combined with theirs before any exponential is taken, so that nothing overflows or
// underflows on the way to a value of the range of doubles.

#include "models/colloid_state.hpp"

namespace models {

class TransportKernel {
  public:
    TransportKernel() = default;
    // K for the rates, D, U and position x of the state.
    explicit TransportKernel(const colloidm::State& s);

    // K(tau) as the formula writes it, each factor formed on its own (the evaluation outside the
    // domain, see models/transport_accuracy.hpp).
    double operator()(double tau) const;

    // E(tau), the exponent of the kernel times exp(U x/(2D)).
    double exponent(double tau) const {
        const double drift = u_ * tau - x_;
        return net_rate_ * tau - drift * drift / (four_d_ * tau);
    }

    // The bracket 1/sqrt(pi tau) - (U / (2 sqrt D)) erfcx(z), for U >= 0 and x >= 0, written as
    // (1/sqrt(pi tau)) (x/(U tau + x) + (U tau/(U tau + x)) (1 - sqrt(pi) z erfcx(z))), where both
    // terms are positive: the bracket keeps its relative accuracy where its two terms nearly cancel
    // (x small against U tau, late times).
    double bracket(double tau) const;

    // K(tau) exp(U x/(2D) + shift), for U >= 0 and x >= 0.
    double scaled(double tau, double shift) const;

    // A cheap model of log(tau bracket(tau)) within a few units, for placing the integration (the
    // complement 1 - sqrt(pi) z erfcx(z) taken as 1 / (1 + 2 z^2)).
    double log_tau_bracket_model(double tau) const;

    // U x / (2 D), the exponent of the advection factor.
    double advection_exponent() const noexcept { return advection_; }

  private:
    double d_ = 0.0;
    double pi_ = 0.0;
    double u_ = 0.0;
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
