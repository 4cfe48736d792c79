#include "numerics/bessel.hpp"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_sf_bessel.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace numerics {
namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Arguments from -40 to 40, densest near the origin and around the branch points.
std::vector<double> arguments() {
    std::vector<double> xs;
    for (double x = 0.0; x <= 40.0; x += 0.0173) {
        xs.push_back(x);
        xs.push_back(-x);
    }
    for (double x : {1e-300, 1e-12, 1e-6, 0.01, 3.75, 7.999, 8.0, 8.001, 15.0, 100.0, 1000.0}) {
        xs.push_back(x);
        xs.push_back(-x);
    }
    return xs;
}

class BesselReference : public testing::Test {
  protected:
    void SetUp() override { gsl_set_error_handler_off(); }
};

// The approximations are accurate to a few units in 1e-8 (J0), 1e-7 (J1, whose phase constant is a
// single-precision value) and 2e-7 relative (I0, I1 below 3.75; the large-argument forms hold
// sqrt(x) exp(-x) I to 2e-7 absolute, about 5e-7 relative); the recurrences inherit that accuracy.
TEST_F(BesselReference, OrdersZeroAndOneAgreeWithIndependentValues) {
    for (double x : arguments()) {
        SCOPED_TRACE(x);
        EXPECT_NEAR(bessj0(x), gsl_sf_bessel_J0(x), 1e-8);
        EXPECT_NEAR(bessj1(x), gsl_sf_bessel_J1(x), 1.5e-7);
        if (std::fabs(x) < 700.0) {
            const double i0 = gsl_sf_bessel_I0(x);
            const double i1 = gsl_sf_bessel_I1(x);
            const double tolerance = std::fabs(x) < 3.75 ? 2e-7 : 6e-7;
            EXPECT_NEAR(bessi0(x), i0, tolerance * i0);
            EXPECT_NEAR(bessi1(x), i1, tolerance * std::fabs(i1));
        }
        EXPECT_EQ(dbsj0(x), bessj0(x));
        EXPECT_EQ(dbsi0(x), bessi0(x));
        EXPECT_EQ(dbsi1(x), bessi1(x));
    }
}

TEST_F(BesselReference, IntegerOrdersAgreeWithIndependentValues) {
    for (double x : arguments()) {
        if (std::fabs(x) > 40.0 || (x != 0.0 && std::fabs(x) < 1e-6)) continue;
        SCOPED_TRACE(x);
        for (int n = 2; n <= 10; ++n) {
            SCOPED_TRACE(n);
            EXPECT_NEAR(bessj(n, x), gsl_sf_bessel_Jn(n, x), 2e-7);
            // Miller's recurrence for In loses accuracy once x approaches its start index.
            const double in = gsl_sf_bessel_In(n, x);
            EXPECT_NEAR(bessi(n, x), in, (std::fabs(x) <= 20.0 ? 1e-7 : 3e-6) * std::fabs(in));
        }
        EXPECT_EQ(bessj(0, x), bessj0(x));
        EXPECT_EQ(bessj(1, x), bessj1(x));
        EXPECT_EQ(bessi(0, x), bessi0(x));
        EXPECT_EQ(bessi(1, x), bessi1(x));
    }
}

// The two branches of each approximation differ by 1e-9 or more where they meet, far more than the
// change of either branch over one unit in the last place: the value at the branch point shows
// which one was taken.
void expect_large_argument_branch_at(const std::function<double(double)>& f, double point) {
    SCOPED_TRACE(point);
    const double outward = point > 0 ? infinity : -infinity;
    const double value = f(point);
    EXPECT_NEAR(value, f(std::nextafter(point, outward)), 1e-14 * std::fabs(value));
    EXPECT_GT(std::fabs(value - f(std::nextafter(point, 0.0))), 1e-9);
}

TEST(BesselBranches, BranchPointsTakeTheLargeArgumentForm) {
    expect_large_argument_branch_at(bessj0, 8.0);
    expect_large_argument_branch_at(bessj0, -8.0);
    expect_large_argument_branch_at(bessj1, 8.0);
    expect_large_argument_branch_at(bessj1, -8.0);
    expect_large_argument_branch_at(bessi0, 3.75);
    expect_large_argument_branch_at(bessi0, -3.75);
    expect_large_argument_branch_at(bessi1, 3.75);
    expect_large_argument_branch_at(bessi1, -3.75);
}

TEST(BesselBranches, SymmetryIsExactInBothBranches) {
    for (double x : arguments()) {
        SCOPED_TRACE(x);
        EXPECT_EQ(bessj0(-x), bessj0(x));
        EXPECT_EQ(bessj1(-x), -bessj1(x));
        EXPECT_EQ(bessi0(-x), bessi0(x));
        EXPECT_EQ(bessi1(-x), -bessi1(x));
    }
}

TEST(BesselBranches, ValuesAtZero) {
    EXPECT_EQ(dbsj0(0.0), 1.0);
    EXPECT_EQ(dbsi0(0.0), 1.0);
    EXPECT_EQ(dbsi1(0.0), 0.0);
    EXPECT_EQ(bessj1(0.0), 0.0);
    EXPECT_EQ(bessj(0, 0.0), 1.0);
    EXPECT_EQ(bessi(0, 0.0), 1.0);
    for (int n = 2; n <= 5; ++n) {
        EXPECT_EQ(bessj(n, 0.0), 0.0);
        EXPECT_EQ(bessi(n, 0.0), 0.0);
    }
}

TEST(BesselBranches, JnRecurrenceDirectionDependsOnWhetherXExceedsTheOrder) {
    // Above the order: one upward step from J0 and J1.
    EXPECT_EQ(bessj(2, 2.5), 1.0 * (2.0 / 2.5) * bessj1(2.5) - bessj0(2.5));
    // At the order: Miller's downward recurrence, which differs from the upward step in the
    // eighth digit.
    const double upward = 1.0 * (2.0 / 2.0) * bessj1(2.0) - bessj0(2.0);
    EXPECT_GT(std::fabs(bessj(2, 2.0) - upward), 1e-8);
    EXPECT_NEAR(bessj(2, 2.0), 0.35283402861563773, 1e-6);
}

TEST(BesselBranches, NegativeArgumentsGiveTheSignOfTheOrderParity) {
    for (double x : {0.3, 1.9, 2.0, 4.5, 7.0, 12.0, 35.0}) {
        for (int n = 2; n <= 6; ++n) {
            SCOPED_TRACE(testing::Message() << "n " << n << " x " << x);
            const double parity = n % 2 == 0 ? 1.0 : -1.0;
            EXPECT_EQ(bessj(n, -x), parity * bessj(n, x));
            EXPECT_EQ(bessi(n, -x), parity * bessi(n, x));
        }
    }
}

TEST(BesselBranches, InRescalesItsRecurrenceAtSmallArguments) {
    // The recurrence factor j * 2 / x reaches 5200 and passes 1e10 within a few steps.
    const double value = bessi(3, 0.01);
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_NEAR(value, std::pow(0.005, 3) / 6.0, 1e-4 * value);
}

TEST(BesselBranches, OverflowAndNotANumber) {
    EXPECT_EQ(bessi0(800.0), infinity);
    EXPECT_EQ(bessi0(-800.0), infinity);
    EXPECT_EQ(bessi1(800.0), infinity);
    EXPECT_EQ(bessi1(-800.0), -infinity);
    for (auto f : {bessj0, bessj1, bessi0, bessi1, dbsj0, dbsi0, dbsi1}) EXPECT_TRUE(std::isnan(f(nan)));
    EXPECT_TRUE(std::isnan(bessj(3, nan)));
    EXPECT_TRUE(std::isnan(bessi(3, nan)));
}

// The scaled forms are the same approximations with the exponential apart, and stay finite.
TEST(BesselBranches, ScaledFormsKeepTheExponentialApart) {
    for (double x : arguments()) {
        SCOPED_TRACE(x);
        const ExpScaled i0 = bessi0_scaled(x);
        const ExpScaled i1 = bessi1_scaled(x);
        if (std::fabs(x) < 3.75) {
            EXPECT_EQ(i0.factor, bessi0(x));
            EXPECT_EQ(i1.factor, bessi1(x));
            EXPECT_EQ(i0.exponent, 0.0);
            EXPECT_EQ(i1.exponent, 0.0);
        } else if (std::fabs(x) < 700.0) {
            EXPECT_EQ(i0.exponent, std::fabs(x));
            EXPECT_EQ(i1.exponent, std::fabs(x));
            EXPECT_NEAR(i0.factor * std::exp(i0.exponent), bessi0(x), 4e-16 * bessi0(x));
            EXPECT_NEAR(i1.factor * std::exp(i1.exponent), bessi1(x), 4e-16 * std::fabs(bessi1(x)));
        }
    }
    // Beyond the overflow of I0 and I1: the factor is about 0.39894228 / sqrt(x).
    for (double x : {800.0, 1e6, 1e300}) {
        EXPECT_NEAR(bessi0_scaled(x).factor * std::sqrt(x), 0.39894228, 0.02 * 3.75 / x + 1e-15);
        EXPECT_NEAR(bessi1_scaled(-x).factor * std::sqrt(x), -0.39894228, 0.05 * 3.75 / x + 1e-15);
        EXPECT_EQ(bessi1_scaled(-x).exponent, x);
    }
    EXPECT_TRUE(std::isnan(bessi0_scaled(nan).factor));
    EXPECT_TRUE(std::isnan(bessi1_scaled(nan).factor));
}

// The slopes 2 B'(x) / x of the I0 and J0 approximations are their exact derivatives on either side
// of the branch points (compared with central differences), I1(x) / x is bessi1's value over x, and
// the jumps at the branch points and J0's limit at 0 are those of the approximations.
TEST(BesselBranches, SlopesAreTheDerivativesOfTheApproximations) {
    for (double x : {0.3, 1.0, 3.0, 3.7, 3.8, 5.0, 7.9, 8.1, 12.0, 30.0, 100.0}) {
        SCOPED_TRACE(x);
        const double step = 1e-6 * x;
        const ExpScaled i0 = bessi0_slope_scaled(x);
        const double i0_difference = (bessi0(x + step) - bessi0(x - step)) / (2.0 * step);
        EXPECT_NEAR(0.5 * x * i0.factor * std::exp(i0.exponent), i0_difference, 1e-8 * i0_difference);
        const double j0_difference = (bessj0(x + step) - bessj0(x - step)) / (2.0 * step);
        EXPECT_NEAR(0.5 * x * bessj0_slope(x), j0_difference, 1e-9);
        const ExpScaled i1 = bessi1_over_x_scaled(x);
        EXPECT_NEAR(i1.factor * std::exp(i1.exponent) * x, bessi1(x), 4e-16 * bessi1(x));
    }
    EXPECT_NEAR(bessi0_slope_scaled(0.0).factor, 1.0, 1e-6);  // I0 = 1 + x^2/4 + ...
    EXPECT_NEAR(bessj0_slope(0.0), -1.0, 1e-7);               // J0 = 1 - x^2/4 + ...
    EXPECT_EQ(bessi1_over_x_scaled(0.0).factor, 0.5);
    EXPECT_NEAR(bessi0_branch_jump(), bessi0(3.75) - bessi0(std::nextafter(3.75, 0.0)), 1e-14);
    EXPECT_NEAR(bessj0_branch_jump(), bessj0(8.0) - bessj0(std::nextafter(8.0, 0.0)), 1e-15);
    EXPECT_NEAR(bessj0_limit_at_zero() - 1.0, 2.83e-9, 0.01e-9);
    EXPECT_EQ(bessj0_limit_at_zero(), bessj0(1e-300));
}

TEST(BesselBranches, NegativeOrdersAreNotANumber) {
    EXPECT_TRUE(std::isnan(bessj(-1, 1.0)));
    EXPECT_TRUE(std::isnan(bessi(-2, 1.0)));
    EXPECT_TRUE(std::isnan(bessj(std::numeric_limits<std::int32_t>::min(), 0.0)));
}

}  // namespace
}  // namespace numerics
