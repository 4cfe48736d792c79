#include "numerics/quadrature.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "numerics/bessel.hpp"
#include "tests/numerics/plain_qag.hpp"
#include "tests/support/temp_dir.hpp"

namespace numerics {
namespace {

using testing_support::bits;
using testing_support::plain_qag;
using testing_support::PlainQag;

class QuadratureTest : public testing::Test {
  protected:
    test_support::TempDir dir;
    common::MessageFile messages{(dir / "fort.9").string()};
    bool message_file_exists() const { return std::filesystem::exists(dir / "fort.9"); }
};

void expect_same_as_plain(const QuadratureResult& driver, const PlainQag& plain) {
    EXPECT_EQ(bits(driver.result), bits(plain.result));
    EXPECT_EQ(bits(driver.errest), bits(plain.abserr));
}

TEST_F(QuadratureTest, SingleIntegralsWithKnownValues) {
    Quadrature quadrature(100, messages);
    for (int key = 1; key <= 6; ++key) {
        SCOPED_TRACE(key);
        auto sine = [](double x) { return std::sin(x); };
        QuadratureResult r = quadrature.dqdag(sine, 0.0, std::numbers::pi, 0.0, 1e-12, key);
        EXPECT_EQ(r.ier, ier::success);
        EXPECT_NEAR(r.result, 2.0, 2e-12);
        auto exponential = [](double x) { return std::exp(-x); };
        r = quadrature.dqdag(exponential, 0.0, 3.0, 1e-13, 0.0, key);
        EXPECT_NEAR(r.result, 1.0 - std::exp(-3.0), 1e-13);
        // Integrable singularity at the lower end.
        auto inverse_root = [](double x) { return 1.0 / std::sqrt(x); };
        r = quadrature.dqdag(inverse_root, 0.0, 4.0, 0.0, 1e-10, key);
        EXPECT_EQ(r.ier, ier::success);
        EXPECT_NEAR(r.result, 4.0, 4e-10);
        EXPECT_LE(std::fabs(r.result - 4.0), r.errest);
    }
    EXPECT_FALSE(message_file_exists());
}

TEST_F(QuadratureTest, DoubleIntegralsOverATriangle) {
    Quadrature quadrature(100, messages);
    auto zero = [](double) { return 0.0; };
    auto diagonal = [](double x) { return x; };
    // Integral over 0 < y < x < 1 of x y: 1/8.
    auto product = [](double x, double y) { return x * y; };
    QuadratureResult r = quadrature.dtwodq(product, 0.0, 1.0, zero, diagonal, 0.0, 1e-12, 2);
    EXPECT_EQ(r.ier, ier::success);
    EXPECT_NEAR(r.result, 0.125, 1e-14);
    // Over 0 < y < x < 2 of exp(-x - y): (1 - exp(-2))^2 / 2.
    auto decay = [](double x, double y) { return std::exp(-x - y); };
    r = quadrature.dtwodq(decay, 0.0, 2.0, zero, diagonal, 1e-14, 1e-12, 2);
    EXPECT_NEAR(r.result, std::pow(1.0 - std::exp(-2.0), 2) / 2.0, 1e-13);
    // Over 0 < y < x < 1 of 1/sqrt(x - y), singular on the diagonal: 4/3 (QAG reaches such an end
    // singularity to about 1e-8).
    auto singular = [](double x, double y) { return 1.0 / std::sqrt(x - y); };
    r = quadrature.dtwodq(singular, 0.0, 1.0, zero, diagonal, 0.0, 1e-6, 2);
    EXPECT_EQ(r.ier, ier::success);
    EXPECT_NEAR(r.result, 4.0 / 3.0, 1e-7);
    EXPECT_FALSE(message_file_exists());
}

// Reusing the per-level work storage changes nothing: each result equals a plain QAG call with
// storage of its own, bit for bit, whatever ran before on the same drivers.
TEST_F(QuadratureTest, ResultsAreBitIdenticalToPlainQagCalls) {
    Quadrature quadrature(50, messages);
    const std::vector<std::function<double(double)>> integrands = {
        [](double x) { return std::exp(-x) * std::cos(7.0 * x); },
        [](double x) { return 1.0 / std::sqrt(x); },
        [](double x) { return std::log(x) * x; },
        [](double x) { return dbsi0(2.0 * std::sqrt(x)) / (1.0 + x * x); },
    };
    for (int round = 0; round < 2; ++round) {
        for (const auto& f : integrands) {
            for (int key : {1, 2, 6}) {
                for (double relative : {1e-3, 1e-9, 1e-13}) {
                    SCOPED_TRACE(testing::Message() << "key " << key << " rel " << relative);
                    auto integrand = [&f](double x) { return f(x); };
                    const QuadratureResult r = quadrature.dqdag(integrand, 0.0, 3.0, 1e-30, relative, key);
                    expect_same_as_plain(r, plain_qag(f, 0.0, 3.0, 1e-30, relative, 50, key));
                }
            }
        }
    }

    // The double integral: a plain outer QAG whose integrand is a plain inner QAG.
    auto kernel = [](double x, double y) {
        return std::exp(-y) * std::exp(-(x * 0.7)) * dbsj0(2.0 * std::sqrt(y * (x - y)));
    };
    auto zero = [](double) { return 0.0; };
    auto diagonal = [](double x) { return x; };
    const QuadratureResult r = quadrature.dtwodq(kernel, 0.0, 5.0, zero, diagonal, 0.0, 1e-10, 2);
    const PlainQag plain = plain_qag(
        [&](double x) {
            return plain_qag([&](double y) { return kernel(x, y); }, 0.0, x, 0.0, 1e-10, 50, 2).result;
        },
        0.0, 5.0, 0.0, 1e-10, 50, 2);
    expect_same_as_plain(r, plain);
}

TEST_F(QuadratureTest, EmptyAndReversedIntervals) {
    Quadrature quadrature(100, messages);
    int calls = 0;
    auto undefined_at_zero = [&calls](double x) {
        ++calls;
        return std::sin(x) / x;
    };
    QuadratureResult r = quadrature.dqdag(undefined_at_zero, 0.0, 0.0, 0.0, 1e-10, 2);
    EXPECT_EQ(bits(r.result), bits(0.0));
    EXPECT_EQ(r.errest, 0.0);
    EXPECT_EQ(r.ier, ier::success);
    EXPECT_EQ(calls, 0);

    auto cube = [](double x) { return x * x * x - x; };
    const QuadratureResult forward = quadrature.dqdag(cube, -1.0, 2.5, 0.0, 1e-12, 2);
    const QuadratureResult backward = quadrature.dqdag(cube, 2.5, -1.0, 0.0, 1e-12, 2);
    EXPECT_DOUBLE_EQ(backward.result, -forward.result);
    EXPECT_NEAR(forward.result, (std::pow(2.5, 4) - 1.0) / 4.0 - (2.5 * 2.5 - 1.0) / 2.0, 1e-12);

    // Inner limits with G(x) = H(x) give inner integrals of 0, with G(x) > H(x) the negative.
    auto zero = [](double) { return 0.0; };
    auto diagonal = [](double x) { return x; };
    auto product = [](double x, double y) { return x * y; };
    r = quadrature.dtwodq(product, 0.0, 1.0, diagonal, diagonal, 0.0, 1e-12, 2);
    EXPECT_EQ(r.result, 0.0);
    EXPECT_EQ(r.ier, ier::success);
    r = quadrature.dtwodq(product, 0.0, 1.0, diagonal, zero, 0.0, 1e-12, 2);
    EXPECT_NEAR(r.result, -0.125, 1e-14);
    EXPECT_FALSE(message_file_exists());
}

TEST_F(QuadratureTest, RuleNumbersOutsideOneToSixAreClamped) {
    Quadrature quadrature(100, messages);
    auto f = [](double x) { return std::exp(std::sin(3.0 * x)); };
    const auto count = [&](int irule) {
        const std::int64_t before = quadrature.evaluations();
        const QuadratureResult r = quadrature.dqdag(f, 0.0, 2.0, 0.0, 1e-9, irule);
        return std::pair{r.result, quadrature.evaluations() - before};
    };
    const auto [result1, evaluations1] = count(1);
    const auto [result6, evaluations6] = count(6);
    EXPECT_EQ(count(0).first, result1);
    EXPECT_EQ(count(-7).first, result1);
    EXPECT_EQ(count(9).first, result6);
    EXPECT_EQ(count(0).second, evaluations1);
    EXPECT_EQ(count(9).second, evaluations6);
    EXPECT_EQ(evaluations1 % 15, 0);
    EXPECT_EQ(evaluations6 % 61, 0);
}

TEST_F(QuadratureTest, ToleranceBeyondQagsReachIsIntegratedAtItsFinestRelativeTolerance) {
    Quadrature quadrature(100, messages);
    const double finest = 50.0 * 2.220446049250313e-16;
    auto smooth = [](double x) { return std::exp(x); };
    auto sign_change = [](double x) { return x - 0.3; };
    for (auto [errabs, errrel] : {std::pair{0.0, 0.0}, {-1.0, 0.0}, {0.0, 1e-17}, {-1.0, -0.0}}) {
        SCOPED_TRACE(testing::Message() << errabs << " " << errrel);
        QuadratureResult r = quadrature.dqdag(smooth, 0.0, 1.0, errabs, errrel, 2);
        PlainQag plain = plain_qag(smooth, 0.0, 1.0, 0.0, finest, 100, 2);
        expect_same_as_plain(r, plain);
        EXPECT_EQ(r.ier, ier::success);
        r = quadrature.dqdag(sign_change, 0.0, 1.0, errabs, errrel, 2);
        expect_same_as_plain(r, plain_qag(sign_change, 0.0, 1.0, 0.0, finest, 100, 2));
        EXPECT_EQ(r.ier, ier::roundoff);  // and code 2 of a single integral writes nothing
    }
    // A pure relative test, and a negative ERRABS with a relative tolerance QAG accepts, go to QAG
    // unchanged.
    QuadratureResult r = quadrature.dqdag(smooth, 0.0, 1.0, 0.0, 1e-6, 2);
    expect_same_as_plain(r, plain_qag(smooth, 0.0, 1.0, 0.0, 1e-6, 100, 2));
    r = quadrature.dqdag(smooth, 0.0, 1.0, -1.0, 1e-6, 2);
    expect_same_as_plain(r, plain_qag(smooth, 0.0, 1.0, -1.0, 1e-6, 100, 2));
    EXPECT_FALSE(message_file_exists());
}

TEST_F(QuadratureTest, LimitBelowOneIsTakenAsOne) {
    auto f = [](double x) { return 1.0 / std::sqrt(x); };
    for (std::int32_t limit : {0, -5}) {
        Quadrature quadrature(limit, messages);
        const QuadratureResult r = quadrature.dqdag(f, 0.0, 1.0, 0.0, 1e-10, 2);
        EXPECT_EQ(r.ier, ier::subdivision_limit);
        expect_same_as_plain(r, plain_qag(f, 0.0, 1.0, 0.0, 1e-10, 1, 2));
        EXPECT_EQ(quadrature.evaluations(), 21);
    }
}

// Integrands undefined at the ends of their intervals, as the transport kernels are.
TEST_F(QuadratureTest, IntegrandsAreNeverEvaluatedAtTheEnds) {
    Quadrature quadrature(1000, messages);
    std::vector<double> nodes;
    auto recorded = [&nodes](double (*f)(double)) {
        return [&nodes, f](double x) {
            nodes.push_back(x);
            return f(x);
        };
    };
    const auto expect_interior = [&nodes](double a, double b) {
        ASSERT_FALSE(nodes.empty());
        for (double x : nodes) {
            ASSERT_GT(x, std::fmin(a, b));
            ASSERT_LT(x, std::fmax(a, b));
        }
        nodes.clear();
    };
    auto kernel = recorded(
        [](double t) { return t / std::sqrt(t * (1.0 - t)) * dbsi1(2.0 * std::sqrt(t * (1.0 - t))); });
    // Singular at the upper end: GSL's rules bisect towards it until a node rounds onto it.
    auto singular_end = recorded([](double t) { return 1.0 / std::sqrt(1.0 - t); });
    for (int key = 1; key <= 6; ++key) {
        QuadratureResult r = quadrature.dqdag(kernel, 0.0, 1.0, 0.0, 1e-13, key);
        expect_interior(0.0, 1.0);
        EXPECT_TRUE(std::isfinite(r.result));
        r = quadrature.dqdag(singular_end, 0.0, 1.0, 0.0, 2e-14, key);
        expect_interior(0.0, 1.0);
        EXPECT_TRUE(std::isfinite(r.result));
        EXPECT_NEAR(r.result, 2.0, 1e-6);
        r = quadrature.dqdag(singular_end, 1.0, 0.0, 0.0, 2e-14, key);
        expect_interior(0.0, 1.0);
        EXPECT_NEAR(r.result, -2.0, 1e-6);
    }

    // The double integral: outer nodes inside (0, 2), inner nodes inside (0, x).
    std::vector<double> outer;
    bool inner_inside = true;
    auto f = [&](double x, double y) {
        if (outer.empty() || outer.back() != x) outer.push_back(x);
        inner_inside = inner_inside && y > 0.0 && y < x;
        return std::exp(-x) / std::sqrt(y * (x - y));
    };
    auto zero = [](double) { return 0.0; };
    auto diagonal = [](double x) { return x; };
    const QuadratureResult r = quadrature.dtwodq(f, 0.0, 2.0, zero, diagonal, 0.0, 1e-12, 2);
    EXPECT_TRUE(inner_inside);
    nodes = outer;
    expect_interior(0.0, 2.0);
    EXPECT_NEAR(r.result, std::numbers::pi * (1.0 - std::exp(-2.0)), 1e-7);
}

TEST_F(QuadratureTest, EvaluationsCountTheCallsOfTheIntegrands) {
    Quadrature quadrature(100, messages);
    std::int64_t calls = 0;
    std::int64_t limit_calls = 0;
    auto f = [&calls](double x) {
        ++calls;
        return 1.0 / std::sqrt(x);
    };
    quadrature.dqdag(f, 0.0, 1.0, 0.0, 1e-8, 2);
    EXPECT_EQ(quadrature.evaluations(), calls);
    EXPECT_GT(calls, 21);
    auto f2 = [&calls](double x, double y) {
        ++calls;
        return std::cos(x * y);
    };
    auto zero = [&limit_calls](double) {
        ++limit_calls;
        return 0.0;
    };
    auto diagonal = [](double x) { return x; };
    quadrature.dtwodq(f2, 0.0, 3.0, zero, diagonal, 0.0, 1e-8, 2);
    EXPECT_EQ(quadrature.evaluations(), calls);
    EXPECT_GT(limit_calls, 0);
    EXPECT_EQ(calls % 21, 0);
}

TEST_F(QuadratureTest, ExceptionsFromIntegrandsReachTheCallerAndLeaveTheDriversUsable) {
    Quadrature quadrature(100, messages);
    auto smooth = [](double x) { return std::exp(x); };
    const QuadratureResult before = quadrature.dqdag(smooth, 0.0, 1.0, 0.0, 1e-12, 2);
    int calls = 0;
    auto failing = [&calls](double x) {
        if (++calls == 30) throw std::runtime_error("integrand failed");
        return 1.0 / std::sqrt(x);
    };
    EXPECT_THROW(quadrature.dqdag(failing, 0.0, 1.0, 0.0, 1e-12, 2), std::runtime_error);
    EXPECT_EQ(calls, 30);  // nothing is evaluated once it has failed
    auto failing2 = [](double x, double y) {
        if (y > 0.5 * x) throw std::runtime_error("inner integrand failed");
        return x;
    };
    auto zero = [](double) { return 0.0; };
    auto diagonal = [](double x) { return x; };
    EXPECT_THROW(quadrature.dtwodq(failing2, 0.0, 1.0, zero, diagonal, 0.0, 1e-12, 2), std::runtime_error);
    auto failing_limit = [](double x) -> double {
        if (x > 0.9) throw std::runtime_error("limit failed");
        return x;
    };
    auto product = [](double x, double y) { return x * y; };
    EXPECT_THROW(quadrature.dtwodq(product, 0.0, 1.0, zero, failing_limit, 0.0, 1e-12, 2),
                 std::runtime_error);
    expect_same_as_plain(quadrature.dqdag(smooth, 0.0, 1.0, 0.0, 1e-12, 2),
                         {before.result, before.errest, 0});
    EXPECT_FALSE(message_file_exists());
}

TEST_F(QuadratureTest, SingleIntegralsNestInsideIntegrands) {
    Quadrature quadrature(100, messages);
    // Integral over x in (0, 1) of the integral over y in (0, 1) of x^2 + y: 1/3 + 1/2.
    auto outer = [&quadrature](double x) {
        auto inner = [x](double y) { return x * x + y; };
        return quadrature.dqdag(inner, 0.0, 1.0, 0.0, 1e-12, 2).result;
    };
    const QuadratureResult r = quadrature.dqdag(outer, 0.0, 1.0, 0.0, 1e-12, 2);
    EXPECT_NEAR(r.result, 5.0 / 6.0, 1e-14);
}

}  // namespace
}  // namespace numerics
