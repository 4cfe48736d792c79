// The statistical scale and the solver's bounded map: round trips, bounds kept for any theta, and
// the derivatives that carry the Jacobian from s to theta and standard errors from s to the value.
#include "colfit/transformations.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace colfit {
namespace {

struct Bounds {
    double lower;
    double upper;
    Scale scale;
};

constexpr Bounds kBounds[] = {
    {1e-6, 1.0, Scale::log},      // a rate spanning decades
    {0.01, 50.0, Scale::log},     //
    {0.0, 11.0, Scale::linear},   // a zero bound has no logarithm
    {-1.0, 1.0, Scale::linear},   // bounds of opposite signs
    {-5.0, -2.0, Scale::linear},  // both negative
};

TEST(Transformations, ScaleRoundTripAndDerivative) {
    for (const Bounds& b : kBounds) {
        SCOPED_TRACE(b.lower);
        EXPECT_EQ(scale_for_bounds(b.lower, b.upper), b.scale);
        for (const double value : {b.lower, 0.5 * (b.lower + b.upper), b.upper}) {
            const double s = to_statistical(b.scale, value);
            EXPECT_NEAR(from_statistical(b.scale, s), value, 1e-15 * std::fabs(value));
            const double h = 1e-6;
            const double numeric =
                (from_statistical(b.scale, s + h) - from_statistical(b.scale, s - h)) / (2 * h);
            EXPECT_NEAR(value_derivative(b.scale, s), numeric, 1e-8 * std::fabs(numeric) + 1e-12);
        }
    }
}

TEST(Transformations, BoundedMapKeepsEveryThetaWithinTheBounds) {
    for (const Bounds& b : kBounds) {
        const BoundedMap m{to_statistical(b.scale, b.lower), to_statistical(b.scale, b.upper)};
        for (const double theta : {-1e6, -7.0, -M_PI_2, -0.3, 0.0, 1.0, M_PI_2, 4.0, 1e6}) {
            const double s = m.s_of(theta);
            EXPECT_GE(s, m.lower);
            EXPECT_LE(s, m.upper);
        }
    }
}

TEST(Transformations, BoundedMapRoundTripAndDerivative) {
    for (const Bounds& b : kBounds) {
        const BoundedMap m{to_statistical(b.scale, b.lower), to_statistical(b.scale, b.upper)};
        for (const double fraction : {0.0, 1e-3, 0.25, 0.5, 0.9, 1.0}) {
            SCOPED_TRACE(fraction);
            const double s = m.lower + fraction * (m.upper - m.lower);
            const double theta = m.theta_of(s);
            EXPECT_NEAR(m.s_of(theta), s, 1e-12 * (m.upper - m.lower));
            const double h = 1e-6;
            const double numeric = (m.s_of(theta + h) - m.s_of(theta - h)) / (2 * h);
            if (fraction > 0.0 && fraction < 1.0) {
                EXPECT_NEAR(m.derivative(theta), numeric, 1e-6 * (m.upper - m.lower));
            }
        }
        // At a bound the map turns: its derivative vanishes there.
        EXPECT_NEAR(m.derivative(m.theta_of(m.lower)), 0.0, 1e-12);
        EXPECT_NEAR(m.derivative(m.theta_of(m.upper)), 0.0, 1e-12);
    }
}

}  // namespace
}  // namespace colfit
