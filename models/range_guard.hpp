#pragma once
// Switching a model's evaluation between its plain form and a scaled form.
//
// The plain form of the transport formulas multiplies exponentials, erfc values and Bessel values
// that can overflow or underflow on their own although their product is an ordinary number: a
// large Peclet number makes exp(U x/(2D)) overflow while erfc underflows, long times and large rate
// products make I0 and I1 overflow while the kernel vanishes. The models first evaluate a point in
// the plain form and keep that result unless something was lost to the range of doubles on the way;
// then they evaluate the same products in a scaled form, with the exponents combined before any
// exponential is taken.
//
// A RangeGuard follows one plain evaluation. Integrand values that were formed from a factor out of
// the normal range (overflowed, or underflowed to zero or to a subnormal number), or that may have
// been, are recorded per integral by the exponents that bound them (OutOfRangeNodes); closed-form
// terms are noted directly. A value that is not finite makes the plain result void. Otherwise the
// plain result stands when what was recorded cannot have changed it by more than a rounding error,
// or when all of it lies below 2^52 times the smallest normal number, where the plain form's own
// subnormal intermediates are what the result is made of.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace models {

// The values of one integrand of a plain evaluation that were, or may have been, formed from a
// factor out of range. Each is bounded through its kernel, |K(tau)| exp(U x/(2D)) <=
// exp(first) / sqrt(pi tau) + |U / (2 sqrt D)| exp(second), and through the exponents of the other
// factors, which the integrand adds to `first` and `second`; what is kept is the largest of each,
// with 1/sqrt(tau) bounded from the binary exponent of tau.
class OutOfRangeNodes {
  public:
    void note(double first, double second, double tau) noexcept {
        first_ = std::max(first_, first + half_log_inverse_bound(tau));
        second_ = std::max(second_, second);
        any_ = true;
    }

    bool any() const noexcept { return any_; }

    // A bound of what the values noted contribute to the result when each exponential is taken
    // times exp(log_factor) (constant factors of the integrand and the result, the integration
    // interval's measure among them): 0 when nothing was noted.
    double contribution(double log_factor, double second_factor) const noexcept {
        if (!any_) return 0.0;
        constexpr double inverse_sqrt_pi = 0.56418958354775628695;
        return std::exp(first_ + log_factor) * inverse_sqrt_pi +
               std::fabs(second_factor) * std::exp(second_ + log_factor);
    }

  private:
    // -log(tau)/2 <= this for tau > 0: tau >= 2^(e - 1023) for the biased exponent e of a normal tau.
    static double half_log_inverse_bound(double tau) noexcept {
        const auto biased = static_cast<int>((std::bit_cast<std::uint64_t>(tau) >> 52) & 0x7ff);
        return 0.5 * (biased == 0 ? 1074 : 1023 - biased) * std::numbers::ln2;
    }

    double first_ = -std::numeric_limits<double>::infinity();
    double second_ = -std::numeric_limits<double>::infinity();
    bool any_ = false;
};

class RangeGuard {
  public:
    // Contributions below this (2^-970, about 1.0E-292) are not looked at.
    static constexpr double kNegligible =
        std::numeric_limits<double>::min() / std::numeric_limits<double>::epsilon();

    // For an integrand value that is not finite: the plain result is void, and the integration is
    // to end at once (it does on a NaN).
    double lost() noexcept {
        largest_ = std::numeric_limits<double>::infinity();
        return std::numeric_limits<double>::quiet_NaN();
    }

    // A term that contributes at most `contribution` to the result.
    void note(double contribution) noexcept {
        largest_ = std::isnan(contribution) ? std::numeric_limits<double>::infinity()
                                            : std::max(largest_, contribution);
    }

    bool plain_result_stands(double result) const noexcept {
        if (!std::isfinite(result)) return false;
        return largest_ < std::max(kNegligible, std::numeric_limits<double>::epsilon() * std::fabs(result));
    }

  private:
    double largest_ = 0.0;
};

// The absolute tolerance of an integral whose integrand has been multiplied by exp(exponent), so
// that the integration takes the same course as on the unscaled integrand. Zero, negative and NaN
// tolerances keep their meaning to the drivers; a positive one stays positive.
inline double scaled_errabs(double errabs, double exponent) {
    if (!(errabs > 0.0)) return errabs;
    return std::max(errabs * std::exp(exponent), std::numeric_limits<double>::denorm_min());
}

}  // namespace models
