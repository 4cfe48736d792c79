#include "models/sorption_solve.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "models/sorption_laws.hpp"

namespace models::adsoodesolvermod {
namespace {

// A measured series with uneven steps and a concentration that falls, then recovers.
globalvars::SorptionRun series(std::int32_t type, std::array<double, 9> par) {
    globalvars::SorptionRun run;
    run.timevector = {0.0, 0.25, 0.5, 1.0, 1.5, 2.5, 4.0, 6.0, 9.0, 13.0, 18.0, 24.0};
    run.cexpvector = {10.0, 9.2, 8.7, 7.9, 7.0, 6.1, 5.2, 4.9, 5.3, 5.8, 6.0, 6.1};
    run.type_code = type;
    run.par = par;
    return run;
}

std::vector<double> solve(globalvars::SorptionRun& run, double rtol, double atol,
                          std::int32_t* flag = nullptr) {
    std::vector<double> cavector(run.timevector.size(), -1.0);
    testing::internal::CaptureStdout();
    const std::int32_t error_flag = solveode(cavector, run, {atol, rtol}, [](std::int32_t, std::int32_t) {});
    testing::internal::GetCapturedStdout();
    if (flag != nullptr) *flag = error_flag;
    return cavector;
}

// The exact solution of y' = k C(t) - lambda y, y(t_1) = 0, for C piecewise linear in t.
std::vector<double> linear_law_solution(const globalvars::SorptionRun& run, double k, double lambda) {
    std::vector<double> y(run.timevector.size(), 0.0);
    for (std::size_t j = 1; j < y.size(); ++j) {
        const double h = run.timevector[j] - run.timevector[j - 1];
        const double a = run.cexpvector[j - 1];
        const double b = (run.cexpvector[j] - a) / h;
        // Particular solution A + B s on the interval, s = t - t_{j-1}.
        const double B = k * b / lambda;
        const double A = (k * a - B) / lambda;
        y[j] = A + B * h + (y[j - 1] - A) * std::exp(-lambda * h);
    }
    return y;
}

void expect_close(const std::vector<double>& computed, const std::vector<double>& exact, double tolerance) {
    ASSERT_EQ(computed.size(), exact.size());
    EXPECT_EQ(computed[0], 0.0);
    for (std::size_t j = 1; j < exact.size(); ++j) {
        EXPECT_NEAR(computed[j], exact[j], tolerance * std::max(1.0, std::fabs(exact[j])))
            << "point " << j + 1;
    }
}

TEST(SorptionAccuracy, LinearKineticLaw) {
    auto run = series(12, {0.35, 0.08, 0.05, 0.01});
    expect_close(solve(run, 1e-9, 1e-12), linear_law_solution(run, 0.35 * 0.05 / 0.01, 0.08), 1e-8);
}

TEST(SorptionAccuracy, PowerLawWithExponentOneIsTheLinearLaw) {
    auto run = series(13, {0.5, 0.2, 1.0, 0.04, 0.01});
    expect_close(solve(run, 1e-9, 1e-12), linear_law_solution(run, 0.5 * 0.04 / 0.01, 0.2), 1e-8);
}

TEST(SorptionAccuracy, LinearDrivingRateIsTheIntegralOfTheSeries) {
    auto run = series(16, {0.3, 2.0});
    std::vector<double> exact(run.timevector.size(), 0.0);
    for (std::size_t j = 1; j < exact.size(); ++j) {
        const double mean = 0.5 * (run.cexpvector[j] + run.cexpvector[j - 1]);
        exact[j] = exact[j - 1] + 0.3 * (mean - 2.0) * (run.timevector[j] - run.timevector[j - 1]);
    }
    expect_close(solve(run, 1e-9, 1e-12), exact, 1e-8);
}

TEST(SorptionAccuracy, ConstantRateAndSecondOrderLaw) {
    auto constant = series(17, {0.0, 1.5});
    std::vector<double> exact(constant.timevector.size());
    for (std::size_t j = 0; j < exact.size(); ++j) exact[j] = 1.5 * constant.timevector[j];
    expect_close(solve(constant, 1e-9, 1e-12), exact, 1e-8);

    auto second_order = series(18, {0.02, 12.0});
    for (std::size_t j = 0; j < exact.size(); ++j) {
        const double t = second_order.timevector[j];
        exact[j] = 12.0 - 12.0 / (1.0 + 0.02 * 12.0 * t);
    }
    expect_close(solve(second_order, 1e-9, 1e-12), exact, 1e-8);
}

TEST(SorptionSolve, TypesWithoutALawGiveZeroEverywhere) {
    for (const float mode : {11.5f, -1.0f, 22.0f, 30.7f}) {
        auto run = series(sorption_type_code(mode), {1, 2, 3, 4, 5, 6, 7, 8, 9});
        const std::vector<double> cavector = solve(run, 1e-6, 1e-9);
        for (const double value : cavector) EXPECT_EQ(value, 0.0) << mode;
    }
}

TEST(SorptionSolve, OneOrNoDataLineIntegratesNothing) {
    globalvars::SorptionRun run;
    run.type_code = 12;
    run.par = {1, 1, 1, 1};
    run.timevector = {3.0};
    run.cexpvector = {5.0};
    EXPECT_EQ(solve(run, 1e-6, 1e-9), std::vector<double>{0.0});
    run.timevector.clear();
    run.cexpvector.clear();
    EXPECT_TRUE(solve(run, 1e-6, 1e-9).empty());
}

TEST(SorptionSolve, IsothermsUseTheSoluteConcentration) {
    auto linear = series(19, {2.0});
    std::int32_t flag = 1;
    const std::vector<double> c = solve(linear, 1e-6, 1e-9, &flag);
    EXPECT_EQ(flag, 0);
    for (std::size_t i = 0; i < c.size(); ++i) EXPECT_EQ(c[i], linear.cexpvector[i] * 2.0);

    // par2 = -0.5 makes the denominator of the point with C = 2 exactly zero.
    globalvars::SorptionRun langmuir;
    langmuir.type_code = 21;
    langmuir.par = {2.0, -0.5};
    langmuir.timevector = {0.0, 1.0, 2.0};
    langmuir.cexpvector = {1.0, 2.0, 4.0};
    const std::vector<double> l = solve(langmuir, 1e-6, 1e-9, &flag);
    EXPECT_EQ(flag, -1);
    EXPECT_EQ(l[0], (2.0 * -0.5) * 1.0 / (1.0 * -0.5 + 1.0));
    EXPECT_EQ(l[1], 0.0);
    EXPECT_EQ(l[2], (2.0 * -0.5) * 4.0 / (4.0 * -0.5 + 1.0));
}

TEST(SorptionSolve, ProgressAfterEveryInterval) {
    auto run = series(12, {0.35, 0.08, 0.05, 0.01});
    std::vector<double> cavector(run.timevector.size());
    std::vector<std::pair<std::int32_t, std::int32_t>> calls;
    testing::internal::CaptureStdout();
    solveode(cavector, run, {1e-9, 1e-6},
             [&](std::int32_t step, std::int32_t total) { calls.emplace_back(step, total); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(calls.size(), 11u);
    for (std::size_t k = 0; k < calls.size(); ++k)
        EXPECT_EQ(calls[k], std::make_pair(static_cast<std::int32_t>(k + 2), 12));
}

}  // namespace
}  // namespace models::adsoodesolvermod
