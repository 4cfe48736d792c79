// The tasks of a call (ITASK 1 to 5, with TCRIT), continuation with changed inputs (ISTATE 3) and
// the optional inputs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "numerics/lsoda.hpp"
#include "tests/numerics/lsoda_support.hpp"

namespace {

using lsoda_test::Integration;

// y1' = -y1, y2' = y1: exact solution e^-t and 1 - e^-t. Records the latest time f was called at.
double latest_f_time = 0.0;
void decay_chain(const int*, const double* t, const double* y, double* ydot) {
    latest_f_time = std::max(latest_f_time, *t);
    ydot[0] = -y[0];
    ydot[1] = y[0];
}

Integration chain() {
    latest_f_time = 0.0;
    Integration run(decay_chain, {1.0, 0.0}, 0.0);
    run.rtol = {1e-8};
    run.atol = {1e-10};
    return run;
}

void expect_exact(const Integration& run) {
    EXPECT_NEAR(run.y[0], std::exp(-run.t), 1e-7) << "t = " << run.t;
    EXPECT_NEAR(run.y[1], 1.0 - std::exp(-run.t), 1e-7) << "t = " << run.t;
}

TEST(LsodaTasks, OneStepPerCall) {
    Integration run = chain();
    run.itask = 2;
    double previous = 0.0;
    int calls = 0;
    while (run.t <= 2.0 && calls < 1000) {
        ASSERT_EQ(run.call(2.0), 2);
        ++calls;
        EXPECT_EQ(run.nst(), calls);
        EXPECT_EQ(run.t, run.tcur());
        EXPECT_NEAR(run.t - previous, run.hu(), 1e-14);
        expect_exact(run);
        previous = run.t;
    }
    EXPECT_GT(run.t, 2.0);  // TOUT does not stop one-step calls
}

TEST(LsodaTasks, StopAtTheFirstStepPastTout) {
    Integration run = chain();
    run.itask = 3;
    for (double tout : {1.0, 2.0, 3.0}) {
        ASSERT_EQ(run.call(tout), 2);
        EXPECT_GE(run.t, tout);
        EXPECT_LT(run.t - run.hu(), tout);
        EXPECT_EQ(run.t, run.tcur());
        expect_exact(run);
    }
    // A TOUT already passed by the last step is returned at once.
    const int steps = run.nst();
    const double reached = run.t;
    ASSERT_EQ(run.call(reached - 0.5 * run.hu()), 2);
    EXPECT_EQ(run.nst(), steps);
    EXPECT_EQ(run.t, reached);
}

TEST(LsodaTasks, NormalOutputNeverPassesTcrit) {
    Integration run = chain();
    run.itask = 4;
    run.rwork[0] = 1.0;  // TCRIT
    for (double tout : {0.3, 0.6, 0.9, 1.0}) {
        ASSERT_EQ(run.call(tout), 2);
        EXPECT_EQ(run.t, tout);
        expect_exact(run);
        EXPECT_LE(latest_f_time, 1.0);
        EXPECT_LE(run.tcur(), 1.0);
    }
    // Beyond TCRIT, with a new TCRIT further on.
    run.rwork[0] = 2.0;
    ASSERT_EQ(run.call(1.5), 2);
    EXPECT_EQ(run.t, 1.5);
    expect_exact(run);
    EXPECT_LE(latest_f_time, 2.0);
}

TEST(LsodaTasks, OneStepAtATimeUpToTcritExactly) {
    Integration run = chain();
    run.itask = 5;
    run.rwork[0] = 1.0;  // TCRIT
    int calls = 0;
    while (run.t < 1.0 && calls < 1000) {
        ASSERT_EQ(run.call(1.0), 2);
        ++calls;
        EXPECT_LE(latest_f_time, 1.0);
    }
    EXPECT_EQ(run.t, 1.0);  // the last step lands on TCRIT, which is returned as T
    EXPECT_EQ(run.nst(), calls);
    expect_exact(run);
    EXPECT_NEAR(run.tcur(), 1.0, 1e-14);

    // TCRIT behind the current time is refused.
    testing::internal::CaptureStdout();
    run.rwork[0] = 0.5;
    run.call(2.0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(run.istate, -3);
}

TEST(LsodaTasks, IntegratesBackwardInTime) {
    Integration run(decay_chain, {std::exp(-2.0), 1.0 - std::exp(-2.0)}, 2.0);
    run.rtol = {1e-8};
    run.atol = {1e-10};
    for (double tout : {1.5, 1.0, 0.0}) {
        ASSERT_EQ(run.call(tout), 2);
        EXPECT_EQ(run.t, tout);
        expect_exact(run);
    }
    EXPECT_LT(run.hu(), 0.0);
}

TEST(LsodaOptionalInputs, BoundsOnStepSizeAndOrder) {
    Integration run = chain();
    run.iopt = 1;
    run.itask = 2;
    run.rwork[4] = 1e-6;  // H0
    run.rwork[5] = 0.05;  // HMAX
    run.iwork[7] = 2;     // MXORDN
    ASSERT_EQ(run.call(2.0), 2);
    EXPECT_EQ(run.hu(), 1e-6);
    while (run.t < 2.0) {
        ASSERT_EQ(run.call(2.0), 2);
        EXPECT_LE(std::fabs(run.hu()), 0.05 * (1.0 + 1e-12));
        EXPECT_LE(run.nqu(), 2);
    }
    EXPECT_NEAR(run.y[0], std::exp(-run.t), 1e-6);       // order 2 at most: a larger global error
    EXPECT_EQ(run.lenrw(), 20 + 6 * 2 + 4 + 2 + 3 * 2);  // the BDF part with its matrix is the larger
}

TEST(LsodaOptionalInputs, ChangedInputsTakeEffectWithIstate3) {
    Integration run = chain();
    ASSERT_EQ(run.call(1.0), 2);
    const int steps = run.nst();
    run.istate = 3;
    run.iopt = 1;
    run.rwork[5] = 0.01;  // HMAX from now on
    run.itask = 2;
    // The step size in use is kept until the next change of step size, which obeys the new bound.
    int steps_over = 0;
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(run.call(5.0), 2);
        if (std::fabs(run.hu()) > 0.01 * (1.0 + 1e-12)) {
            ++steps_over;
            EXPECT_EQ(steps_over, i + 1) << "a step over HMAX after one within it";
        }
        expect_exact(run);
    }
    EXPECT_LE(steps_over, 13);
    EXPECT_EQ(run.nst(), steps + 40);
}

// A stiff problem with the BDF order bounded by MXORDS.
void stiff(const int*, const double* t, const double* y, double* ydot) {
    ydot[0] = -1000.0 * (y[0] - std::cos(*t));
    ydot[1] = -y[1];
}

TEST(LsodaOptionalInputs, MxordsBoundsTheBdfOrder) {
    Integration run(stiff, {0.0, 1.0}, 0.0);
    run.iopt = 1;
    run.iwork[8] = 2;  // MXORDS
    run.itask = 2;
    bool stiff_steps = false;
    while (run.t < 10.0) {
        ASSERT_EQ(run.call(10.0), 2);
        if (run.mused() == 2) {
            stiff_steps = true;
            EXPECT_LE(run.nqu(), 2);
        }
    }
    EXPECT_TRUE(stiff_steps);
    EXPECT_EQ(run.lenrw(), 20 + 13 * 2 + 3 * 2);
}

}  // namespace

namespace {

// Two decoupled stiff equations: their Jacobian is diagonal (ML = MU = 0).
void two_stiff(const int*, const double* t, const double* y, double* ydot) {
    ydot[0] = -1000.0 * (y[0] - std::cos(*t));
    ydot[1] = -2000.0 * (y[1] - std::sin(*t));
}

int diagonal_jacobian_calls = 0;
void two_stiff_diagonal(const int*, const double*, const double*, const int* ml, const int* mu, double* pd,
                        const int* nrowpd) {
    ++diagonal_jacobian_calls;
    EXPECT_EQ(*ml, 0);
    EXPECT_EQ(*mu, 0);
    pd[0] = -1000.0;
    pd[*nrowpd] = -2000.0;
}

TEST(LsodaOptionalInputs, ChangedJacobianTypeTakesEffectWhileTheBdfRuns) {
    Integration run(two_stiff, {1.0, 0.0}, 0.0);
    ASSERT_EQ(run.call(5.0), 2);
    ASSERT_EQ(run.mcur(), 2);
    // From differences to the user's banded Jacobian, a band of width 1.
    const int nje = run.nje();
    diagonal_jacobian_calls = 0;
    run.istate = 3;
    run.jt = 4;
    run.jac = two_stiff_diagonal;
    run.iwork[0] = 0;
    run.iwork[1] = 0;
    ASSERT_EQ(run.call(10.0), 2);
    EXPECT_GT(run.nje(), nje);
    EXPECT_EQ(diagonal_jacobian_calls, run.nje() - nje);
    // Both follow their forcing with a lag of 1/1000 and 1/2000.
    EXPECT_NEAR(run.y[0], std::cos(10.0) + std::sin(10.0) / 1000.0, 1e-5);
    EXPECT_NEAR(run.y[1], std::sin(10.0) - std::cos(10.0) / 2000.0, 1e-5);
}

}  // namespace
