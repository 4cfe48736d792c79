// The statistics of a fit against a straight line fitted by weighted least squares, whose
// covariance, standard errors and correlation have a closed form; and the Jacobians of deficient
// rank, whose parameters are named instead.
#include "colfit/statistics.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace colfit {
namespace {

// y = a + b x with weights w: the weighted residuals r_i = w_i (a + b x_i - y_i) have the Jacobian
// rows w_i (1, x_i); at the least-squares a, b the closed form gives everything.
struct Line {
    std::vector<double> x, y, w;
};

TEST(Statistics, AWeightedStraightLineAgreesWithItsClosedForm) {
    const Line line{{0.0, 1.0, 2.0, 3.0, 5.0}, {1.1, 2.9, 5.2, 6.8, 11.3}, {1.0, 2.0, 1.0, 0.5, 1.5}};
    double sw = 0, swx = 0, swxx = 0, swy = 0, swxy = 0;
    for (std::size_t i = 0; i < line.x.size(); ++i) {
        const double w2 = line.w[i] * line.w[i];
        sw += w2, swx += w2 * line.x[i], swxx += w2 * line.x[i] * line.x[i];
        swy += w2 * line.y[i], swxy += w2 * line.x[i] * line.y[i];
    }
    const double det = sw * swxx - swx * swx;
    const double a = (swxx * swy - swx * swxy) / det;
    const double b = (sw * swxy - swx * swy) / det;
    Matrix j(line.x.size(), 2);
    std::vector<double> r;
    double phi = 0.0;
    for (std::size_t i = 0; i < line.x.size(); ++i) {
        j(i, 0) = line.w[i];
        j(i, 1) = line.w[i] * line.x[i];
        r.push_back(line.w[i] * (a + b * line.x[i] - line.y[i]));
        phi += r.back() * r.back();
    }
    const std::size_t dof = line.x.size() - 2;
    const double s2 = phi / static_cast<double>(dof);
    const double se_a = std::sqrt(s2 * swxx / det);
    const double se_b = std::sqrt(s2 * sw / det);
    const double correlation = -swx / std::sqrt(sw * swxx);
    const double t3 = 3.182446305284263;  // Student's t, 97.5 %, 3 degrees of freedom

    const FitStatistics stats = fit_statistics(j, r, dof);
    EXPECT_NEAR(stats.phi, phi, 1e-12 * phi);
    EXPECT_NEAR(stats.residual_variance, s2, 1e-12 * s2);
    EXPECT_NEAR(stats.t_quantile, t3, 1e-9);
    ASSERT_TRUE(stats.covariance.has_value());
    EXPECT_NEAR(stats.standard_errors[0], se_a, 1e-10 * se_a);
    EXPECT_NEAR(stats.standard_errors[1], se_b, 1e-10 * se_b);
    EXPECT_NEAR((*stats.correlation)(0, 1), correlation, 1e-10);
    EXPECT_NEAR((*stats.correlation)(1, 0), correlation, 1e-10);

    const Interval linear = confidence_interval(Scale::linear, a, se_a, t3);
    EXPECT_NEAR(linear.lower, a - t3 * se_a, 1e-12);
    EXPECT_NEAR(linear.upper, a + t3 * se_a, 1e-12);
    // On the log scale s is the logarithm: the interval is exp(s -/+ t se), the error value x se.
    const Interval log = confidence_interval(Scale::log, std::log(2.0), 0.1, t3);
    EXPECT_NEAR(log.lower, 2.0 * std::exp(-0.1 * t3), 1e-12);
    EXPECT_NEAR(log.upper, 2.0 * std::exp(0.1 * t3), 1e-12);
    EXPECT_NEAR(value_standard_error(Scale::log, std::log(2.0), 0.1), 0.2, 1e-15);
}

TEST(Statistics, ParametersTheDataDoNotDetermineAreNamed) {
    struct Case {
        const char* what;
        std::vector<double> columns;  // three rows of two columns, then a third column if any
        std::size_t cols;
        std::vector<std::size_t> undetermined;
    };
    const std::vector<Case> cases = {
        {"a column of zeros", {1, 0, 2, 0, 3, 0, 4, 0}, 2, {1}},
        {"two proportional columns", {1, 2, 2, 4, 3, 6, 4, 8}, 2, {0, 1}},
        {"a third column the sum of the others", {1, 0, 1, 0, 1, 1, 2, 3, 5, 1, 1, 2}, 3, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Matrix j(4, c.cols);
        j.data = c.columns;
        const FitStatistics stats = fit_statistics(j, std::vector<double>{0.1, -0.2, 0.1, 0.05}, 4 - c.cols);
        EXPECT_FALSE(stats.covariance.has_value());
        EXPECT_EQ(stats.undetermined, c.undetermined);
    }
}

}  // namespace
}  // namespace colfit
