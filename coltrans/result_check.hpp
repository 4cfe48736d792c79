#pragma once
// Results that are not finite numbers. A run writes them as it writes every result (PEST cannot
// read them), reports the first of them on the console, and ends with a reported failure. The
// report names the value, the time (and the position in the colloid modes), the model or the
// sorption law, and how many results are not finite.

#include <cmath>
#include <cstdint>
#include <string>

#include "coltrans/colloid_settings.hpp"

namespace coltrans {

// The first result that is not finite, and how many there are.
class NonFiniteResults {
  public:
    // One result: its time, the other value of its point (the position x, or the solute
    // concentration C), and the computed value.
    void note(double t, double second, double computed) {
        if (std::isfinite(computed)) return;
        if (count_ == 0) first_ = {t, second, computed};
        ++count_;
    }

    bool any() const noexcept { return count_ > 0; }
    std::int32_t count() const noexcept { return count_; }
    double t() const noexcept { return first_.t; }
    double second() const noexcept { return first_.second; }
    double computed() const noexcept { return first_.computed; }

  private:
    struct Result {
        double t = 0.0;
        double second = 0.0;
        double computed = 0.0;
    };
    std::int32_t count_ = 0;
    Result first_;
};

// The console record of a colloid model's results, and of a sorption run's (by its type code).
std::string colloid_not_finite_record(ColloidFamily family, const NonFiniteResults& results);
std::string sorption_not_finite_record(std::int32_t type_code, const NonFiniteResults& results);

}  // namespace coltrans
