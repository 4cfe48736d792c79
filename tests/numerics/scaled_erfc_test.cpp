#include "numerics/scaled_erfc.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace numerics {
namespace {

long double reference(long double z) {
    return std::exp(z * z) * std::erfc(z);
}

// exp(z^2) erfc(z) to a few units in the last place, on both sides of the change from the library's
// erfc to the continued fraction at 26, and where erfc itself is no longer a double.
TEST(ScaledErfc, AgreesWithLongDoubleValues) {
    for (double z = -26.0; z <= 100.0; z += 0.0731) {
        SCOPED_TRACE(z);
        const double expected = static_cast<double>(reference(z));
        EXPECT_NEAR(erfcx(z), expected, 8e-16 * expected);
    }
    for (double z : {0.0, 1e-300, 25.999999, 26.0, 26.000001, 27.3, 30.0}) {
        SCOPED_TRACE(z);
        const double expected = static_cast<double>(reference(z));
        EXPECT_NEAR(erfcx(z), expected, 8e-16 * expected);
    }
    EXPECT_EQ(erfcx(0.0), 1.0);
}

TEST(ScaledErfc, LargeArgumentsNegativeArgumentsAndNotANumber) {
    // exp(z^2) erfc(z) = (1 - 1/(2 z^2) + 3/(4 z^4) - ...) / (z sqrt(pi)).
    for (double z : {1e3, 1e8, 1e100, 1e300}) {
        const double y = 1.0 / (z * z);
        const double expected = std::numbers::inv_sqrtpi / z * (1.0 - 0.5 * y + 0.75 * y * y);
        EXPECT_NEAR(erfcx(z), expected, 2e-16 * expected) << z;
    }
    EXPECT_EQ(erfcx(std::numeric_limits<double>::infinity()), 0.0);
    // Below 0 it grows like 2 exp(z^2) and overflows below about -26.6.
    EXPECT_NEAR(erfcx(-26.5), 2.0 * std::exp(26.5 * 26.5), 1e-14 * std::exp(26.5 * 26.5));
    EXPECT_EQ(erfcx(-27.0), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(erfcx(std::numeric_limits<double>::quiet_NaN())));
}

// 1 - sqrt(pi) z erfcx(z): from erfcx below 26 (where the subtraction costs up to three digits),
// without any loss beyond.
TEST(ScaledErfc, ComplementKeepsItsRelativeAccuracy) {
    for (double z : {0.0, 0.5, 3.0, 10.0, 25.9, 26.0, 40.0, 100.0, 1e3, 1e8}) {
        long double expected = 1.0L - std::sqrt(std::numbers::pi_v<long double>) * z * reference(z);
        if (z > 100.0) {  // 1/(2 z^2) - 3/(4 z^4) + 15/(8 z^6) - ...
            const long double y = 1.0L / (2.0L * z * z);
            expected = y * (1.0L - 3.0L * y + 15.0L * y * y);
        }
        EXPECT_NEAR(erfcx_complement(z), static_cast<double>(expected),
                    (z < 26.0 ? 3e-12 : 1e-14) * static_cast<double>(expected))
            << z;
    }
}

}  // namespace
}  // namespace numerics
