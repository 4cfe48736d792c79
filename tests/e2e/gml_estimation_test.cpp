// The stand-in engine's Gauss-Marquardt-Levenberg estimation on a model whose least-squares answer
// is known in closed form: a small program (awk behind a "#!/bin/sh" line, started without a shell
// as the engine starts a model) that writes y = a + b x + c x^2 + d for x = 1..6, with b estimated
// as its logarithm, c tied to b at half its value and d fixed, so that the fit is linear in a and b.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.hpp"
#include "tools/gml_estimation.hpp"

namespace {

namespace fs = std::filesystem;

constexpr std::array<double, 6> kObserved = {3.45, 5.15, 7.53, 10.02, 13.27, 16.89};
constexpr std::array<double, 6> kWeights = {1.0, 2.0, 1.0, 0.5, 1.0, 2.0};
constexpr double kFixedD = 0.25;

std::string control_file() {
    std::string text =
        "pcf\n* control data\nrestart estimation\n 4 6 4 0 1\n 1 1 single point 1 0 0\n"
        " 5.0 2.0 0.3 0.01 10\n 5.0 5.0 0.001\n 0.1\n 30 0.005 4 4 0.005 4\n 1 1 1\n"
        "* parameter groups\ng relative 0.01 0.0 switch 2.0 parabolic\n"
        "* parameter data\n"
        "a none relative 1.0 -10.0 10.0 g 1.0 0.0 1\n"
        "b log factor 1.0 0.01 100.0 g 1.0 0.0 1\n"
        "c tied factor 0.5 0.001 100.0 g 1.0 0.0 1\n"
        "d fixed factor 0.25 0.0 1.0 g 1.0 0.0 1\n"
        "c b\n* observation groups\nobs\n* observation data\n";
    for (std::size_t i = 0; i < kObserved.size(); ++i) {
        text.append("y").append(std::to_string(i + 1)).append(" ").append(std::to_string(kObserved[i]));
        text.append(" ").append(std::to_string(kWeights[i])).append(" obs\n");
    }
    return text.append(
        "* model command line\n./model\n* model input/output\ninput.tpl input.txt\noutput.ins "
        "output.txt\n");
}

TEST(GmlEstimation, RecoversTheWeightedLeastSquaresAnswerOfALinearModel) {
    const test_support::TempDir dir;
    test_support::write_file(dir / "case.pst", control_file());
    test_support::write_file(dir / "input.tpl",
                             "ptf #\n#a                  #\n#b                  #\n"
                             "#c                  #\n#d                  #\n");
    test_support::write_file(dir / "output.ins",
                             "pif @\nl1 !y1!\nl1 !y2!\nl1 !y3!\nl1 !y4!\nl1 !y5!\nl1 !y6!\n");
    test_support::write_file(
        dir / "model",
        "#!/bin/sh\nawk 'NR<=4 {p[NR] = $1 + 0} END {for (x = 1; x <= 6; x++) "
        "printf \"%.15e\\n\", p[1] + p[2] * x + p[3] * x * x + p[4]}' input.txt > output.txt\n");
    fs::permissions(dir / "model", fs::perms::owner_all);

    const tools::EstimationResult result = tools::estimate_parameters(dir.path().string(), "case.pst");

    // Weighted least squares in (a, b) with the regressors 1 and x + x^2 / 2.
    double s11 = 0, s12 = 0, s22 = 0, t1 = 0, t2 = 0;
    for (std::size_t i = 0; i < kObserved.size(); ++i) {
        const double x = static_cast<double>(i + 1), z = x + 0.5 * x * x, w2 = kWeights[i] * kWeights[i];
        const double y = kObserved[i] - kFixedD;
        s11 += w2, s12 += w2 * z, s22 += w2 * z * z, t1 += w2 * y, t2 += w2 * z * y;
    }
    const double det = s11 * s22 - s12 * s12;
    const double a = (s22 * t1 - s12 * t2) / det, b = (s11 * t2 - s12 * t1) / det;
    double phi = 0.0;
    for (std::size_t i = 0; i < kObserved.size(); ++i) {
        const double x = static_cast<double>(i + 1);
        phi += std::pow(kWeights[i] * (kObserved[i] - kFixedD - a - b * (x + 0.5 * x * x)), 2);
    }
    const double s2 = phi / 4.0;
    const double se_a = std::sqrt(s2 * s22 / det), se_b = std::sqrt(s2 * s11 / det);

    ASSERT_EQ(result.estimated.size(), 2u);
    EXPECT_NE(result.termination, "iteration limit");
    EXPECT_NEAR(result.estimated[0].value, a, 1e-4 * se_a);
    EXPECT_NEAR(result.estimated[1].value, b, 1e-4 * se_b);
    EXPECT_NEAR(result.values.at("c"), 0.5 * result.values.at("b"), 1e-12);
    EXPECT_EQ(result.values.at("d"), kFixedD);
    EXPECT_NEAR(result.phi, phi, 1e-6 * phi);
    // Central differences of a model linear in b still see its logarithm's curvature: 1e-4.
    EXPECT_NEAR(result.estimated[0].standard_error, se_a, 1e-4 * se_a);
    EXPECT_NEAR(result.estimated[1].standard_error, se_b, 1e-4 * se_b);
}

}  // namespace
