#pragma once
// The kernel K(tau) that both colloid models integrate: the response of advection and dispersion
// with the net rate h - a at the position of the current point,
//   K(tau) = exp(((h - a) - U^2/(4D)) tau - x^2/(4 D tau)) / sqrt(pi tau)
//            - (U / (2 sqrt D)) exp(U x/(2D) + (h - a) tau) erfc(sqrt(tau/D) U/2 + x/(2 sqrt(D tau))).
// The factors that do not depend on tau are computed once per position, each exactly as the
// formula groups it, so that every value is the one the formula gives evaluated in full.

#include <cmath>
#include <numbers>
#include <optional>

#include "models/colloid_state.hpp"

namespace models {

// K(tau) as its two terms, K = first - second, and the exponential of the first term.
struct KernelTerms {
    double first;
    double second;
    double e1;
    double value() const noexcept { return first - second; }
};

// Exponents that bound the terms of K(tau) exp(U x/(2D)): the first term times exp(U x/(2D)) is
// exp(first) / sqrt(pi tau), the second at most |U / (2 sqrt D)| exp(second).
struct KernelExponents {
    double first;
    double second;
};

class TransportKernel {
  public:
    TransportKernel() = default;
    // K for the rates, D, U and position x of the state.
    explicit TransportKernel(const colloidm::State& s);

    double operator()(double tau) const { return terms(tau).value(); }
    KernelTerms terms(double tau) const {
        const double e1 = std::exp(first_exponent(tau));
        const double e2 = std::exp(advection_ + net_rate_ * tau);
        const double f = std::erfc(std::sqrt(tau / d_) * half_u_ + x_ / (2.0 * std::sqrt(d_ * tau)));
        return {e1 / std::sqrt(pi_ * tau), second_factor_ * e2 * f, e1};
    }

    // The least value of the first term's exponential from which on, for tau up to t_max, the
    // exponentials, the erfc and the second term of terms(tau) are all normal numbers or (the last
    // three) do not matter because U = 0. Below it they may have underflowed.
    double first_exponential_floor(double t_max) const;
    // Its logarithm, a floor of the first term's exponent.
    double first_exponent_floor(double t_max) const;

    // For U >= 0 and x > 0 the first term's exponent L(tau) is concave, so that it is below
    // first_exponent_floor(t_max) on (0, end) and beyond a second point only. When that point lies
    // beyond t_max, the factors of terms(tau) are normal numbers from `end` to t_max, and log_bound
    // bounds log(|K(tau)| exp(U x/(2D))) on (0, end]. Otherwise nothing is given.
    struct EarlyTimes {
        double end;
        double log_bound;
    };
    std::optional<EarlyTimes> early_times(double t_max) const;

    // For x > 0, a bound of the logarithms of the exponentials, of the terms and of K as terms(tau)
    // forms them, for tau in (0, t_max].
    double log_plain_bound(double t_max) const;

    // The first term times exp(U x/(2D)) is exp(L + U x/(2D)) / sqrt(pi tau), L the exponent of its
    // exponential. The second is (U/(2 sqrt D)) exp(L + U x/(2D)) exp(z^2) erfc(z), z the erfc's
    // argument, where exp(z^2) erfc(z) <= 1 for z >= 0, which U >= 0 and x >= 0 ensure; otherwise
    // erfc(z) <= 2 and the second term is at most 2 |U/(2 sqrt D)| exp(U x/D + (h - a) tau).
    KernelExponents exponents(double tau) const {
        const double first = first_exponent(tau) + advection_;
        if (u_ >= 0.0 && x_ >= 0.0) [[likely]]
            return {first, first};
        return {first, std::numbers::ln2 + 2.0 * advection_ + net_rate_ * tau};
    }

    // K(tau) exp(U x/(2D) + shift), for shifts that bring the product into range: both terms of K
    // share the factor exp(((h - a) - U^2/(4D)) tau - x^2/(4D tau)), which with the advection factor
    // is exp((h - a) tau - (U tau - x)^2/(4 D tau)); the shift is added to that exponent, and erfc
    // is taken scaled, exp(z^2) erfc(z), so that nothing overflows or underflows before the product.
    double scaled(double tau, double shift) const;

    // U x / (2 D), the exponent of the advection factor.
    double advection_exponent() const noexcept { return advection_; }
    // U / (2 sqrt D), the factor of the second term.
    double second_factor() const noexcept { return second_factor_; }

  private:
    // The exponent of the first term's exponential.
    double first_exponent(double tau) const { return first_rate_ * tau - x_squared_ / (four_d_ * tau); }

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
