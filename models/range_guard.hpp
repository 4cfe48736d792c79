#pragma once
// Switching a model's evaluation between its plain form and a scaled form.
//
// The plain form of the transport formulas multiplies exponentials, erfc values and Bessel values
// that can overflow or underflow on their own although their product is an ordinary number: a
// large Peclet number makes exp(U x/(2D)) overflow while erfc underflows, long times and large rate
// products make I0 and I1 overflow while the kernel vanishes. The models keep the plain form's
// result unless something that was lost to the range of doubles on the way could have changed it,
// and then evaluate the same products in a scaled form, with the exponents combined before any
// exponential is taken. They try, in this order:
// - the plain form with its integrands as written, where bounds made beforehand show that nothing
//   can overflow and that factors can underflow at early times only; what the early times and
//   products that underflowed can contribute is bounded afterwards;
// - the plain form with every integrand value watched: values formed from a factor out of the
//   normal range (overflowed, or underflowed to zero or to a subnormal number), or that may have
//   been, are recorded by the exponents that bound them (OutOfRangeNodes);
// - the scaled form.
// A RangeGuard follows one plain evaluation. A value that is not finite makes its result void.
// Otherwise the result stands when what was noted cannot have changed it by more than a rounding
// error, or when all of it lies below 2^52 times the smallest normal number, where the plain form's
// own subnormal intermediates are what the result is made of.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace models {

// Bounds of log(x) from the binary exponent e of x, 2^(e - 1023) <= x < 2^(e - 1022) for a normal
// x: cheaper than the logarithm where a bound will do. The upper bound holds for every x >= 0 (0 and
// subnormal numbers get that of the smallest normal one, infinity and NaN a large one), the lower
// one for every x > 0 (subnormal numbers get that of the smallest subnormal one).
inline int biased_exponent(double x) noexcept {
    return static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7ff);
}
inline double log_upper_bound(double x) noexcept {
    return (biased_exponent(x) - 1022) * std::numbers::ln2;
}
inline double log_lower_bound(double x) noexcept {
    const int e = biased_exponent(x);
    return (e == 0 ? -1074 : e - 1023) * std::numbers::ln2;
}

// The values of one integrand of a plain evaluation that were, or may have been, formed from a
// factor out of range. Each is bounded through its kernel, |K(tau)| exp(U x/(2D)) <=
// exp(first) / sqrt(pi tau) + |U / (2 sqrt D)| exp(second), and through the exponents of the other
// factors, which the integrand adds to `first` and `second`; what is kept is the largest of each,
// with 1/sqrt(tau) bounded from the binary exponent of tau.
class OutOfRangeNodes {
  public:
    void note(double first, double second, double tau) noexcept {
        first_ = std::max(first_, first - 0.5 * log_lower_bound(tau));
        second_ = std::max(second_, second);
    }

    // The logarithm of a bound of what the values noted contribute to the result when each
    // exponential is taken times exp(log_factor) (the constant factors of the integrand and the
    // result, and the integration interval's measure), with log_coefficient = log(1/sqrt(pi) +
    // |U / (2 sqrt D)|); minus infinity when nothing was noted.
    double log_contribution(double log_factor, double log_coefficient) const noexcept {
        return std::max(first_, second_) + log_factor + log_coefficient;
    }

  private:
    double first_ = -std::numeric_limits<double>::infinity();
    double second_ = -std::numeric_limits<double>::infinity();
};

// log(1/sqrt(pi) + |U / (2 sqrt D)|), the coefficient of OutOfRangeNodes::log_contribution.
inline double log_kernel_coefficient(double second_factor) {
    return std::log(0.56418958354775628695 + std::fabs(second_factor));
}

class RangeGuard {
  public:
    // Contributions below this (2^-970, about 1.0E-292) are not looked at.
    static constexpr double kNegligible =
        std::numeric_limits<double>::min() / std::numeric_limits<double>::epsilon();

    // For an integrand value that is not finite: the plain result is void, and the integration is
    // to end at once (it does on a NaN).
    double lost() noexcept {
        largest_log_ = std::numeric_limits<double>::infinity();
        return std::numeric_limits<double>::quiet_NaN();
    }

    // Terms that contribute at most exp(log_contribution) to the result.
    void note_log(double log_contribution) noexcept {
        largest_log_ = std::isnan(log_contribution) ? std::numeric_limits<double>::infinity()
                                                    : std::max(largest_log_, log_contribution);
    }

    bool plain_result_stands(double result) const noexcept {
        if (!std::isfinite(result)) return false;
        const double threshold =
            std::max(kNegligible, std::numeric_limits<double>::epsilon() * std::fabs(result));
        return largest_log_ < log_lower_bound(threshold) || largest_log_ < std::log(threshold);
    }

  private:
    double largest_log_ = -std::numeric_limits<double>::infinity();
};

// The absolute tolerance of an integral whose integrand has been multiplied by exp(exponent), so
// that the integration takes the same course as on the unscaled integrand. Zero, negative and NaN
// tolerances keep their meaning to the drivers; a positive one stays positive.
inline double scaled_errabs(double errabs, double exponent) {
    if (!(errabs > 0.0)) return errabs;
    return std::max(errabs * std::exp(exponent), std::numeric_limits<double>::denorm_min());
}

}  // namespace models
