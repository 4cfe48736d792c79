#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/failure.hpp"
#include "numerics/quadrature.hpp"
#include "tests/support/temp_dir.hpp"

namespace numerics {
namespace {

using test_support::crlf_lines;
using test_support::read_file;

const std::string subdivision_limit_text =
    crlf_lines({" Maximum number of subdivisions allowed has been achieved.  One can",
                " allow more subdivisions by increasing the value of LIMIT in QAG.",
                "  The below results maybe be correct"});
const std::string roundoff_text =
    crlf_lines({" The occurrence of roundoff error is detected, which prevents the",
                " requested tolerance from being achieved"});
const std::string bad_integrand_text =
    crlf_lines({" Extremely bad integrand behavior occurs at some points of the", " integration interval."});
const std::string invalid_input_text =
    crlf_lines({" the input is invalid, because EPSABS < 0 and EPSREL < 0."});
const std::string press_any_key_text = crlf_lines({" Press any key to continue"});
const std::string pause_text =
    crlf_lines({"quadrature: both accuracies are negative (ERRREL and ERRABS on line 15 of input.txt); "
                "the integral is not computed and its value is 0 (message in fort.9)",
                "PAUSE ", "To resume execution, type go.  Other input will terminate the job."});

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

double inverse_root(double x) {
    return 1.0 / std::sqrt(x);
}
double zero(double) {
    return 0.0;
}
double one(double) {
    return 1.0;
}
double diagonal(double x) {
    return x;
}

class QuadratureMessages : public testing::Test {
  protected:
    test_support::TempDir dir;
    std::filesystem::path fort9 = dir / "fort.9";
    common::MessageFile messages{fort9.string()};

    // A file holding the answer a pause reads.
    std::FILE* answers(const char* text) {
        answers_ = std::tmpfile();
        std::fputs(text, answers_);
        std::rewind(answers_);
        return answers_;
    }
    void TearDown() override {
        if (answers_ != nullptr) std::fclose(answers_);
    }

  private:
    std::FILE* answers_ = nullptr;
};

TEST_F(QuadratureMessages, SubdivisionLimitHasTheSameThreeLinesFromBothLevels) {
    Quadrature quadrature(3, messages);
    QuadratureResult r = quadrature.dqdag(inverse_root, 0.0, 1.0, 0.0, 1e-10, 2);
    EXPECT_EQ(r.ier, ier::subdivision_limit);
    EXPECT_GT(r.result, 1.9);  // QAG's estimate is returned all the same
    EXPECT_EQ(read_file(fort9), subdivision_limit_text);

    // Every inner integral fails the same way; the outer integrand is then constant and succeeds
    // with the first 21-point rule, one report per outer node.
    r = quadrature.dtwodq([](double, double y) { return inverse_root(y); }, 0.0, 1.0, zero, one, 0.0, 1e-10,
                          2);
    EXPECT_EQ(r.ier, ier::success);
    EXPECT_EQ(read_file(fort9), repeated(subdivision_limit_text, 1 + 21));
}

TEST_F(QuadratureMessages, RoundoffIsReportedOnlyForInnerIntegrals) {
    Quadrature quadrature(100, messages);
    auto sign_change = [](double x) { return x - 0.3; };
    QuadratureResult r = quadrature.dqdag(sign_change, 0.0, 1.0, 0.0, 0.0, 2);
    EXPECT_EQ(r.ier, ier::roundoff);
    EXPECT_NEAR(r.result, 0.2, 1e-15);
    EXPECT_FALSE(std::filesystem::exists(fort9));  // nothing written, the file not even created

    r = quadrature.dtwodq([](double, double y) { return y - 0.3; }, 0.0, 1.0, zero, one, 0.0, 0.0, 2);
    EXPECT_NEAR(r.result, 0.2, 1e-15);
    EXPECT_EQ(read_file(fort9), repeated(roundoff_text, 21));

    // An inner integral that an outer integrand makes itself reports as those of dtwodq do.
    r = quadrature.inner_dqdag(sign_change, 0.0, 1.0, 0.0, 0.0, 2);
    EXPECT_EQ(r.ier, ier::roundoff);
    EXPECT_EQ(read_file(fort9), repeated(roundoff_text, 22));
}

TEST_F(QuadratureMessages, BadIntegrandBehaviourHasTwoLines) {
    Quadrature quadrature(1000, messages);
    auto step = [](double x) { return x < 1.0 / 3.0 ? 0.0 : 1.0; };
    const QuadratureResult r = quadrature.dqdag(step, 0.0, 1.0, 1e-15, 0.0, 2);
    EXPECT_EQ(r.ier, ier::bad_integrand);
    EXPECT_NEAR(r.result, 2.0 / 3.0, 1e-13);
    EXPECT_EQ(read_file(fort9), bad_integrand_text);

    // An integrand that is not a number somewhere is reported the same way.
    auto partly_undefined = [](double x) { return x > 0.7 ? std::nan("") : 1.0; };
    const QuadratureResult undefined = quadrature.dqdag(partly_undefined, 0.0, 1.0, 0.0, 1e-10, 2);
    EXPECT_EQ(undefined.ier, ier::bad_integrand);
    EXPECT_TRUE(std::isnan(undefined.result));
    EXPECT_EQ(read_file(fort9), repeated(bad_integrand_text, 2));
}

TEST_F(QuadratureMessages, NegativeTolerancesReportPauseAndGiveZero) {
    Quadrature quadrature(100, messages);
    quadrature.set_pause_answers(answers("go\ngo\n"));
    int calls = 0;
    auto counted = [&calls](double x) {
        ++calls;
        return x;
    };
    testing::internal::CaptureStderr();
    QuadratureResult r = quadrature.dqdag(counted, 0.0, 1.0, -1.0, -1.0, 2);
    const std::string console = testing::internal::GetCapturedStderr();
    EXPECT_EQ(r.ier, ier::invalid_input);
    EXPECT_EQ(r.result, 0.0);
    EXPECT_EQ(r.errest, 0.0);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(quadrature.invalid_input_reported());
    EXPECT_EQ(read_file(fort9), invalid_input_text + press_any_key_text);
    EXPECT_EQ(console, pause_text + crlf_lines({"RESUMED"}));

    // The double integral reports once, for its outer integral; nothing inner is started.
    testing::internal::CaptureStderr();
    r = quadrature.dtwodq([&counted](double x, double) { return counted(x); }, 0.0, 1.0, zero, diagonal,
                          -1e-6, -2.0, 2);
    (void)testing::internal::GetCapturedStderr();
    EXPECT_EQ(r.ier, ier::invalid_input);
    EXPECT_EQ(r.result, 0.0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(read_file(fort9), repeated(invalid_input_text + press_any_key_text, 2));
}

TEST_F(QuadratureMessages, APauseNotResumedEndsTheRun) {
    Quadrature quadrature(100, messages);
    quadrature.set_pause_answers(answers("no\n"));
    testing::internal::CaptureStderr();
    EXPECT_THROW(quadrature.dqdag(diagonal, 0.0, 1.0, -1.0, -1.0, 2), common::ProgramEnd);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), pause_text);
    EXPECT_EQ(read_file(fort9), invalid_input_text);
    EXPECT_FALSE(quadrature.invalid_input_reported());
}

// What integrations report under a hold is written, in its order, only when the hold is released;
// an inner hold leaves everything to the outer one, and a hold that ends unreleased drops it all.
TEST_F(QuadratureMessages, HeldReportsAreWrittenOnReleaseOrDropped) {
    Quadrature quadrature(3, messages);
    {
        Quadrature::HeldReports held(quadrature);
        quadrature.dqdag(inverse_root, 0.0, 1.0, 0.0, 1e-10, 2);
        EXPECT_FALSE(std::filesystem::exists(fort9));
    }
    EXPECT_FALSE(std::filesystem::exists(fort9));

    auto partly_undefined = [](double x) { return x < 0.5 ? std::sqrt(-1.0 - x) : 1.0; };
    {
        Quadrature::HeldReports held(quadrature);
        quadrature.dqdag(inverse_root, 0.0, 1.0, 0.0, 1e-10, 2);
        {
            Quadrature::HeldReports inner(quadrature);
            quadrature.dqdag(partly_undefined, 0.0, 1.0, 0.0, 1e-10, 2);
            inner.release();
            EXPECT_FALSE(std::filesystem::exists(fort9));
        }
        EXPECT_FALSE(std::filesystem::exists(fort9));
        held.release();
        EXPECT_EQ(read_file(fort9), subdivision_limit_text + bad_integrand_text);
        // After the release the hold is over.
        quadrature.dqdag(inverse_root, 0.0, 1.0, 0.0, 1e-10, 2);
    }
    EXPECT_EQ(read_file(fort9), subdivision_limit_text + bad_integrand_text + subdivision_limit_text);

    // A held pause is made at the release.
    quadrature.set_pause_answers(answers("go\n"));
    Quadrature::HeldReports held(quadrature);
    quadrature.dqdag(diagonal, 0.0, 1.0, -1.0, -1.0, 2);
    EXPECT_FALSE(quadrature.invalid_input_reported());
    testing::internal::CaptureStderr();
    held.release();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), pause_text + crlf_lines({"RESUMED"}));
    EXPECT_TRUE(quadrature.invalid_input_reported());
}

// The message file of a run is fort.9 in the current working directory, created by the first
// message and rewritten from its start by the first message of the next run.
TEST_F(QuadratureMessages, TheDefaultMessageFileIsCreatedInTheWorkingDirectoryAtTheFirstMessage) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    test_support::write_file(fort9, "an older run's messages\r\nsecond line\r\nthird line\r\n");
    {
        common::MessageFile default_messages;
        Quadrature quadrature(3, default_messages);
        quadrature.dqdag(diagonal, 0.0, 1.0, 0.0, 1e-10, 2);
        EXPECT_EQ(read_file(fort9), "an older run's messages\r\nsecond line\r\nthird line\r\n");
        quadrature.dqdag(inverse_root, 0.0, 1.0, 0.0, 1e-10, 2);
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(read_file(fort9), subdivision_limit_text);
}

}  // namespace
}  // namespace numerics
