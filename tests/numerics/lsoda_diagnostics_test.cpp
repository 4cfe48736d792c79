// The integrator's diagnostics, record by record, and the edge cases of its inputs and work arrays.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/failure.hpp"
#include "common/format.hpp"
#include "numerics/lsoda.hpp"
#include "numerics/lsoda/messages.hpp"
#include "tests/numerics/lsoda_support.hpp"

namespace {

using lsoda_test::Integration;
using lsoda_test::text_record;

std::string crlf(std::string line) {
    return line + "\r\n";
}
std::string real_line(double r1) {
    return crlf(common::format_record("(6X,'In above message,  R1 =',D21.13)", {r1}));
}
std::string reals_line(double r1, double r2) {
    return crlf(common::format_record("(6X,'In above,  R1 =',D21.13,3X,'R2 =',D21.13)", {r1, r2}));
}

void decay(const int*, const double*, const double* y, double* ydot) {
    ydot[0] = -y[0];
}

// y1 decays, y2 stays exactly where it starts.
void decay_and_constant(const int*, const double*, const double* y, double* ydot) {
    ydot[0] = -y[0];
    ydot[1] = 0.0;
}

// Stiff: y relaxes fast onto cos t.
void stiff_relaxation(const int*, const double* t, const double* y, double* ydot) {
    ydot[0] = -1000.0 * (y[0] - std::cos(*t));
}

void robertson(const int*, const double*, const double* y, double* ydot) {
    ydot[0] = -.04 * y[0] + 1.e4 * y[1] * y[2];
    ydot[2] = 3.e7 * y[1] * y[1];
    ydot[1] = -ydot[0] - ydot[2];
}

// Calls and returns what the call printed.
std::string call_capturing(Integration& run, double tout) {
    testing::internal::CaptureStdout();
    run.call(tout);
    return testing::internal::GetCapturedStdout();
}

TEST(LsodaStartChecks, ToutEqualToTIsTooCloseToStart) {
    Integration run(decay, {1.0}, 1.0, 70, 23);
    EXPECT_EQ(call_capturing(run, 1.0),
              text_record("DLSODA-  TOUT(=R1) too close to T(=R2) to start integration.") +
                  "      In above,  R1 =  0.1000000000000D+01   R2 =  0.1000000000000D+01\r\n");
    EXPECT_EQ(run.istate, -3);
    EXPECT_EQ(run.t, 1.0);
    EXPECT_EQ(run.y[0], 1.0);

    // Also at T = 0, where no relative test can see the distance.
    Integration at_zero(decay, {1.0}, 0.0, 70, 23);
    EXPECT_EQ(call_capturing(at_zero, 0.0),
              text_record("DLSODA-  TOUT(=R1) too close to T(=R2) to start integration.") +
                  "      In above,  R1 =  0.0000000000000D+00   R2 =  0.0000000000000D+00\r\n");
    EXPECT_EQ(at_zero.istate, -3);
}

TEST(LsodaStartChecks, WorkArrayLengthsForOneEquation) {
    // LENRW is 36 and LENIW 21 for one equation with JT 2.
    Integration short_rwork(decay, {1.0}, 0.0, 35, 23);
    EXPECT_EQ(call_capturing(short_rwork, 1.0),
              text_record("DLSODA-  RWORK length needed, LENRW (=I1), exceeds LRW (=I2)") +
                  "      In above message,  I1 =        36   I2 =        35\r\n");
    EXPECT_EQ(short_rwork.istate, -3);
    EXPECT_EQ(short_rwork.lenrw(), 36);
    EXPECT_EQ(short_rwork.leniw(), 21);

    Integration iwork_19(decay, {1.0}, 0.0, 70, 19);
    iwork_19.iwork.resize(20);  // room for the length outputs the call writes
    EXPECT_EQ(call_capturing(iwork_19, 1.0),
              text_record("DLSODA-  IWORK length needed, LENIW (=I1), exceeds LIW (=I2)") +
                  "      In above message,  I1 =        21   I2 =        19\r\n");
    EXPECT_EQ(iwork_19.istate, -3);
    EXPECT_EQ(iwork_19.iwork[19], 0);  // nothing written beyond LIW

    // 20 entries are enough for the Adams methods: a warning, and the integration proceeds.
    Integration iwork_20(decay, {1.0}, 0.0, 70, 20);
    EXPECT_EQ(call_capturing(iwork_20, 1.0),
              text_record("DLSODA-  Warning.. IWORK length is sufficient for now, but") +
                  text_record("      may not be later.  Integration will proceed anyway.") +
                  text_record("      Length needed is LENIW = I1, while LIW = I2.") +
                  "      In above message,  I1 =        21   I2 =        20\r\n");
    EXPECT_EQ(iwork_20.istate, 2);
    EXPECT_NEAR(iwork_20.y[0], std::exp(-1.0), 1e-5);
}

TEST(LsodaStartChecks, ShortWorkArraysStopTheRunAtTheSwitchToBdf) {
    // IWORK without room for the pivots: fine until the stiff phase needs them.
    Integration run(stiff_relaxation, {0.0}, 0.0, 70, 20);
    testing::internal::CaptureStdout();
    run.call(10.0);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(run.istate, -7);
    EXPECT_EQ(run.mused(), 1);
    EXPECT_EQ(run.mcur(), 2);
    EXPECT_EQ(run.t, run.tcur());
    EXPECT_EQ(run.tsw(), run.tcur());  // it stopped right after the switch
    EXPECT_NE(printed.find(text_record("DLSODA-  At current T(=R1), IWORK length too small") +
                           text_record("      to proceed.  The integration was otherwise successful.") +
                           real_line(run.tcur())),
              std::string::npos);

    // RWORK long enough for the Adams part but not for the matrix of ten equations.
    auto ten_stiff = [](const int*, const double* t, const double* y, double* ydot) {
        for (int i = 0; i < 10; ++i) ydot[i] = -1000.0 * (i + 1) * (y[i] - std::cos(*t));
    };
    Integration ten(ten_stiff, std::vector<double>(10, 0.0), 0.0, 180, 30);
    testing::internal::CaptureStdout();
    ten.call(10.0);
    const std::string ten_printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(ten_printed.substr(0, 3 * 63),
              text_record("DLSODA-  Warning.. RWORK length is sufficient for now, but") +
                  text_record("      may not be later.  Integration will proceed anyway.") +
                  text_record("      Length needed is LENRW = I1, while LRW = I2."));
    EXPECT_NE(ten_printed.find("      In above message,  I1 =       212   I2 =       180\r\n"),
              std::string::npos);
    EXPECT_NE(ten_printed.find(text_record("DLSODA-  At current T(=R1), RWORK length too small")),
              std::string::npos);
    EXPECT_EQ(ten.istate, -7);
    EXPECT_EQ(ten.lenrw(), 212);
}

TEST(LsodaStartChecks, NegativeIstateStopsTheProgram) {
    for (int istate : {-1, -3}) {
        Integration run(decay, {1.0}, 0.0, 70, 23);
        run.istate = istate;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        try {
            run.call(1.0);
            ADD_FAILURE() << "the program was not stopped";
        } catch (const common::ProgramEnd& end) {
            EXPECT_EQ(end.status(), common::ExitStatus::handled_failure);
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");  // a stop without a message
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  text_record("DLSODA-  ISTATE (=I1) illegal.") +
                      crlf(common::format_record("(6X,'In above message,  I1 =',I10)", {istate})) +
                      text_record("DLSODA-  Run aborted.. apparent infinite loop."));
    }
}

TEST(LsodaStartChecks, ZeroWeightAtTheStart) {
    // ATOL 0 and a component that is 0: its weight is 0.
    Integration run(decay_and_constant, {1.0, 0.0}, 0.0);
    run.rtol = {1e-6};
    run.atol = {0.0};
    EXPECT_EQ(call_capturing(run, 1.0), text_record("DLSODA-  EWT(I1) is R1 .le. 0.0") +
                                            "      In above message,  I1 =         2\r\n" +
                                            "      In above message,  R1 =  0.0000000000000D+00\r\n");
    EXPECT_EQ(run.istate, -3);

    // The problem never started: a continuation call is refused.
    run.istate = 2;
    EXPECT_EQ(call_capturing(run, 1.0), text_record("DLSODA-  ISTATE .gt. 1 but DLSODA not initialized."));
    EXPECT_EQ(run.istate, -3);
}

TEST(LsodaRunChecks, ZeroWeightDuringTheRun) {
    Integration run(decay_and_constant, {1.0, 0.0}, 0.0);
    run.itol = 2;
    run.rtol = {1e-6};
    run.atol = {1e-6, 1e-6};
    ASSERT_EQ(run.call(1.0), 2);
    // The second component is still exactly 0; with its ATOL now 0 its weight becomes 0.
    run.atol[1] = 0.0;
    run.istate = 3;
    const std::string printed = call_capturing(run, 2.0);
    EXPECT_EQ(run.istate, -6);
    EXPECT_EQ(run.t, run.tcur());
    EXPECT_GE(run.t, 1.0);
    EXPECT_NEAR(run.y[0], std::exp(-run.t), 1e-5);
    EXPECT_EQ(printed, text_record("DLSODA-  At T (=R1), EWT(I1) has become R2 .le. 0.") +
                           "      In above message,  I1 =         2\r\n" + reals_line(run.tcur(), 0.0));
}

TEST(LsodaRunChecks, MxstepStepsExhausted) {
    Integration run(robertson, {1.0, 0.0, 0.0}, 0.0, 70, 23);
    run.iopt = 1;
    run.iwork[5] = 5;  // MXSTEP
    const std::string printed = call_capturing(run, 4e10);
    EXPECT_EQ(run.istate, -1);
    EXPECT_EQ(run.nst(), 5);
    EXPECT_EQ(run.t, run.tcur());
    EXPECT_EQ(printed, text_record("DLSODA-  At current T (=R1), MXSTEP (=I1) steps") +
                           text_record("      taken on this call before reaching TOUT") +
                           "      In above message,  I1 =         5\r\n" + real_line(run.tcur()));
    // The caller may go on from there: five more steps.
    run.istate = 2;
    call_capturing(run, 4e10);
    EXPECT_EQ(run.istate, -1);
    EXPECT_EQ(run.nst(), 10);
}

TEST(LsodaRunChecks, TimeNotAdvancedByTheStepIsWarnedAboutMxhnilTimes) {
    // Far from 0 the first steps of a fast decay are lost in T + H.
    auto fast = [](const int*, const double*, const double* y, double* ydot) { ydot[0] = -1e6 * y[0]; };
    Integration run(fast, {1.0}, 1e16, 70, 23);
    run.iopt = 1;
    run.iwork[6] = 2;  // MXHNIL
    run.iwork[5] = 20;
    testing::internal::CaptureStdout();
    run.call(1e16 + 1e3);
    const std::string printed = testing::internal::GetCapturedStdout();
    const std::string warning = text_record("DLSODA-  Warning..Internal T (=R1) and H (=R2) are") +
                                text_record("      such that in the machine, T + H = T on the next step") +
                                text_record("     (H = step size). Solver will continue anyway.");
    const std::string limit = text_record("DLSODA-  Above warning has been issued I1 times.") +
                              text_record("     It will not be issued again for this problem.") +
                              "      In above message,  I1 =         2\r\n";
    const std::size_t first = printed.find(warning);
    ASSERT_EQ(first, 0u);
    const std::size_t second = printed.find(warning, first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(printed.find(warning, second + 1), std::string::npos);
    EXPECT_NE(printed.find(limit), std::string::npos);
    EXPECT_EQ(printed.substr(first + warning.size(), 6), "      ");  // the value line of TN and H
}

TEST(LsodaRunChecks, ErrorTestFailingAtHmin) {
    // A kink at t = 0.5 that no step of at least HMIN can cross within the tolerance.
    auto kink = [](const int*, const double* t, const double*, double* ydot) {
        ydot[0] = *t < 0.5 ? 0.0 : 1.0;
    };
    Integration run(kink, {0.0}, 0.0, 70, 23);
    run.rtol = {1e-10};
    run.atol = {1e-10};
    run.iopt = 1;
    run.rwork[6] = 0.01;  // HMIN
    const std::string printed = call_capturing(run, 1.0);
    EXPECT_EQ(run.istate, -4);
    EXPECT_LE(run.t, 0.5);
    EXPECT_NEAR(std::fabs(run.hcur()), 0.01, 1e-12);
    EXPECT_EQ(run.imxer(), 1);
    EXPECT_EQ(printed, text_record("DLSODA-  At T(=R1) and step size H(=R2), the error") +
                           text_record("      test failed repeatedly or with ABS(H) = HMIN") +
                           reals_line(run.tcur(), run.hcur()));
}

TEST(LsodaIllegalInputs, AreReportedWithTheirValues) {
    struct Case {
        const char* what;
        void (*change)(Integration&);
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"ITASK", [](Integration& r) { r.itask = 6; },
         text_record("DLSODA-  ITASK (=I1) illegal.") + "      In above message,  I1 =         6\r\n"},
        {"ISTATE", [](Integration& r) { r.istate = 4; },
         text_record("DLSODA-  ISTATE (=I1) illegal.") + "      In above message,  I1 =         4\r\n"},
        {"NEQ", [](Integration& r) { r.neq = 0; },
         text_record("DLSODA-  NEQ (=I1) .lt. 1") + "      In above message,  I1 =         0\r\n"},
        {"ITOL", [](Integration& r) { r.itol = 5; },
         text_record("DLSODA-  ITOL (=I1) illegal.") + "      In above message,  I1 =         5\r\n"},
        {"JT", [](Integration& r) { r.jt = 3; },
         text_record("DLSODA-  JT (=I1) illegal.") + "      In above message,  I1 =         3\r\n"},
        {"ML", [](Integration& r) { r.jt = 5, r.iwork[0] = 2; },
         text_record("DLSODA-  ML (=I1) illegal: .lt.0 or .ge.NEQ (=I2)") +
             "      In above message,  I1 =         2   I2 =         2\r\n"},
        {"RTOL",
         [](Integration& r) {
             r.itol = 4, r.rtol = {1e-6, -1.0}, r.atol = {1e-6, 1e-6};
         },
         text_record("DLSODA-  RTOL(I1) is R1 .lt. 0.0") + "      In above message,  I1 =         2\r\n" +
             "      In above message,  R1 = -0.1000000000000D+01\r\n"},
        {"MXORDS", [](Integration& r) { r.iopt = 1, r.iwork[8] = -1; },
         text_record("DLSODA-  MXORDS (=I1) .lt. 0") + "      In above message,  I1 =        -1\r\n"},
        {"HMIN", [](Integration& r) { r.iopt = 1, r.rwork[6] = -1.0; },
         text_record("DLSODA-  HMIN (=R1) .lt. 0.0") +
             "      In above message,  R1 = -0.1000000000000D+01\r\n"},
        // Two records, each followed by its own values.
        {"H0", [](Integration& r) { r.iopt = 1, r.rwork[4] = -0.5; },
         text_record("DLSODA-  TOUT (=R1) behind T (=R2)") +
             "      In above,  R1 =  0.1000000000000D+01   R2 =  0.0000000000000D+00\r\n" +
             text_record("      Integration direction is given by H0 (=R1)") +
             "      In above message,  R1 = -0.5000000000000D+00\r\n"},
        {"TCRIT", [](Integration& r) { r.itask = 4, r.rwork[0] = 0.5; },
         text_record("DLSODA-  ITASK = 4 or 5 and TCRIT (=R1) behind TOUT (=R2)") +
             "      In above,  R1 =  0.5000000000000D+00   R2 =  0.1000000000000D+01\r\n"},
    };
    for (const Case& c : cases) {
        Integration run(decay_and_constant, {1.0, 1.0}, 0.0);
        c.change(run);
        EXPECT_EQ(call_capturing(run, 1.0), c.expected) << c.what;
        EXPECT_EQ(run.istate, -3) << c.what;
        EXPECT_EQ(run.y[1], 1.0) << c.what;
    }
}

TEST(LsodaIllegalInputs, ToutBehindTheLastStepCannotBeInterpolated) {
    Integration run(decay, {1.0}, 0.0, 70, 23);
    ASSERT_EQ(run.call(10.0), 2);
    const double tn = run.tcur();
    const double hu = run.hu();
    const std::string printed = call_capturing(run, 1.0);
    EXPECT_EQ(run.istate, -3);
    const double tp = tn - hu - 100.0 * 2.220446049250313e-16 * (std::fabs(tn) + std::fabs(hu));
    // The interpolator's records are padded to 80 columns.
    EXPECT_EQ(printed, text_record("DINTDY-  T (=R1) illegal", 80) +
                           "      In above message,  R1 =  0.1000000000000D+01\r\n" +
                           text_record("      T not in interval TCUR - HU (= R1) to TCUR (=R2)", 80) +
                           reals_line(tp, tn) +
                           text_record("DLSODA-  Trouble in DINTDY.  ITASK = I1, TOUT = R1") +
                           "      In above message,  I1 =         1\r\n" +
                           "      In above message,  R1 =  0.1000000000000D+01\r\n");
}

TEST(LsodaIllegalInputs, AnOutputTimeThatTheStepsCannotReachFailsTheCall) {
    // Times so small that the first step size underflows to 0: the step leaves T where it was, and
    // the interpolator refuses TOUT. The call fails, with Y and T of the last step reached.
    Integration run(decay, {1.0}, 1e-152, 70, 23);
    const std::string printed = call_capturing(run, 2e-152);
    EXPECT_EQ(run.istate, -3);
    EXPECT_EQ(run.t, 1e-152);
    EXPECT_EQ(run.y[0], 1.0);
    EXPECT_TRUE(printed.ends_with(text_record("DLSODA-  Trouble in DINTDY.  ITASK = I1, TOUT = R1") +
                                  "      In above message,  I1 =         1\r\n" + real_line(2e-152)))
        << printed;
}

TEST(LsodaMessages, SwitchesAreReportedWithIxpr) {
    auto van_der_pol = [](const int*, const double*, const double* y, double* ydot) {
        ydot[0] = y[1];
        ydot[1] = 1000.0 * (1.0 - y[0] * y[0]) * y[1] - y[0];
    };
    Integration run(van_der_pol, {2.0, 0.0}, 0.0);
    run.iopt = 1;
    run.iwork[4] = 1;  // IXPR
    run.itask = 2;
    std::vector<std::string> reports;
    while (reports.size() < 2 && run.t < 3000.0) {
        const std::string printed = call_capturing(run, 3000.0);
        ASSERT_EQ(run.istate, 2);
        if (printed.empty()) continue;
        // The switch happened on this step: the report gives the state after it.
        EXPECT_EQ(run.tsw(), run.tcur());
        reports.push_back(printed);
        const std::string where =
            text_record("     at T = R1,  tentative step size H = R2,  step NST = I1") +
            crlf(common::format_record("(6X,'In above message,  I1 =',I10)", {run.nst()})) +
            reals_line(run.tcur(), run.hcur());
        const std::string what =
            run.mcur() == 2 ? text_record("DLSODA- A switch to the BDF (stiff) method has occurred")
                            : text_record("DLSODA- A switch to the Adams (nonstiff) method has occurred");
        EXPECT_EQ(printed, what + where);
    }
    EXPECT_EQ(reports.size(), 2u);
}

TEST(LsodaMessages, PrintFlagSilencesAllButTheStop) {
    numerics::lsoda::set_message_printing(false);
    testing::internal::CaptureStdout();
    numerics::lsoda::report(numerics::lsoda::Message::tout_too_close, {}, {1.0, 1.0});
    EXPECT_THROW(numerics::lsoda::report(numerics::lsoda::Message::run_aborted), common::ProgramEnd);
    numerics::lsoda::set_message_printing(true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    testing::internal::CaptureStdout();
    numerics::lsoda::report(numerics::lsoda::Message::convergence_failed, {}, {2.0, 0.5});
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              text_record("DLSODA-  At T (=R1) and step size H (=R2), the") +
                  text_record("      corrector convergence failed repeatedly") +
                  text_record("      or with ABS(H) = HMIN") +
                  "      In above,  R1 =  0.2000000000000D+01   R2 =  0.5000000000000D+00\r\n");
}

}  // namespace
