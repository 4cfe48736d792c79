// The integrator on the classic test problems: results against accurate references, the method
// switching it is built for, and the published demonstration's step and evaluation counts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "numerics/lsoda.hpp"
#include "tests/numerics/lsoda_support.hpp"

namespace {

using lsoda_test::Integration;
using lsoda_test::Reference;

double relative_error(double value, double reference) {
    return std::fabs(value - reference) / std::fabs(reference);
}

// Robertson's chemical kinetics, written as in the published demonstration.
void robertson(const int*, const double*, const double* y, double* ydot) {
    ydot[0] = -.04 * y[0] + 1.e4 * y[1] * y[2];
    ydot[2] = 3.e7 * y[1] * y[1];
    ydot[1] = -ydot[0] - ydot[2];
}

void robertson_jacobian(const int*, const double*, const double* y, const int*, const int*, double* pd,
                        const int* nrowpd) {
    const int nr = *nrowpd;
    auto at = [&](int i, int j) -> double& { return pd[(i - 1) + (j - 1) * nr]; };
    at(1, 1) = -.04;
    at(1, 2) = 1.e4 * y[2];
    at(1, 3) = 1.e4 * y[1];
    at(2, 1) = .04;
    at(2, 3) = -at(1, 3);
    at(3, 2) = 6.e7 * y[1];
    at(2, 2) = -at(1, 2) - at(3, 2);
}

struct RobertsonOutputs {
    std::vector<double> times;
    std::vector<std::vector<double>> values;
    Integration run{robertson, {1.0, 0.0, 0.0}, 0.0, 70, 23};
};

// The demonstration: ITOL 2, RTOL 1e-4, ATOL (1e-6, 1e-10, 1e-6), LRW 70, LIW 23, outputs at
// 0.4, 4, ..., 4e10.
RobertsonOutputs robertson_demonstration(int jt) {
    RobertsonOutputs out;
    Integration& run = out.run;
    run.itol = 2;
    run.rtol = {1e-4};
    run.atol = {1e-6, 1e-10, 1e-6};
    run.jt = jt;
    if (jt == 1) run.jac = robertson_jacobian;
    double tout = 0.4;
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(run.call(tout), 2) << "output " << i;
        EXPECT_EQ(run.t, tout);
        out.times.push_back(run.t);
        out.values.push_back(run.y);
        tout *= 10.0;
    }
    return out;
}

TEST(LsodaRobertson, DemonstrationReproducesThePublishedCounts) {
    const RobertsonOutputs first = robertson_demonstration(2);
    EXPECT_EQ(first.run.nst(), 361);
    EXPECT_EQ(first.run.nfe(), 693);
    EXPECT_EQ(first.run.nje(), 64);
    EXPECT_EQ(first.run.mused(), 2);
    EXPECT_NEAR(first.run.tsw(), 6.0092e-03, 0.00005e-03);
    EXPECT_EQ(first.run.lenrw(), 68);
    EXPECT_EQ(first.run.leniw(), 23);
    // The last step's size and time bracket the last output.
    EXPECT_GE(first.run.tcur(), 4e10);
    EXPECT_LE(first.run.tcur() - first.run.hu(), 4e10);
    EXPECT_EQ(first.run.hcur() > 0.0, true);

    // A new problem starts from scratch: the same run again gives the same results.
    const RobertsonOutputs second = robertson_demonstration(2);
    EXPECT_EQ(second.run.nst(), first.run.nst());
    EXPECT_EQ(second.run.nfe(), first.run.nfe());
    EXPECT_EQ(second.values, first.values);
}

TEST(LsodaRobertson, AgreesWithAnAccurateReference) {
    const RobertsonOutputs demo = robertson_demonstration(2);
    const RobertsonOutputs analytic = robertson_demonstration(1);
    Reference reference(robertson, robertson_jacobian, {1.0, 0.0, 0.0}, 0.0, 1e-12);
    for (std::size_t k = 0; k < demo.times.size(); ++k) {
        const std::vector<double> exact = reference.at(demo.times[k]);
        for (const RobertsonOutputs* out : {&demo, &analytic}) {
            const std::vector<double>& y = out->values[k];
            // The global error stays at the level of the absolute tolerances; relative to the
            // solution it is small while y1 and y2 are well above them.
            EXPECT_LT(std::fabs(y[0] - exact[0]), 3e-5) << "t = " << demo.times[k];
            EXPECT_LT(std::fabs(y[1] - exact[1]), 3e-9) << "t = " << demo.times[k];
            EXPECT_LT(std::fabs(y[2] - exact[2]), 3e-5) << "t = " << demo.times[k];
            if (demo.times[k] <= 4e4) {
                for (int i = 0; i < 3; ++i)
                    EXPECT_LT(relative_error(y[i], exact[i]), 5e-4) << "t = " << demo.times[k];
            }
            // Mass is conserved by the method up to roundoff.
            EXPECT_NEAR(y[0] + y[1] + y[2], 1.0, 1e-12);
        }
    }
    // With the user's Jacobian the matrix costs no f calls; the work is of the same order.
    EXPECT_EQ(analytic.run.mused(), 2);
    EXPECT_GT(analytic.run.nje(), 0);
    EXPECT_LT(std::abs(analytic.run.nst() - demo.run.nst()), 40);
    EXPECT_LT(analytic.run.nfe(), demo.run.nfe());
}

// Van der Pol's oscillator with mu = 1000: slow stiff phases and fast non-stiff jumps.
constexpr double vdp_mu = 1000.0;
void van_der_pol(const int*, const double*, const double* y, double* ydot) {
    ydot[0] = y[1];
    ydot[1] = vdp_mu * (1.0 - y[0] * y[0]) * y[1] - y[0];
}
void van_der_pol_jacobian(const int*, const double*, const double* y, const int*, const int*, double* pd,
                          const int* nrowpd) {
    const int nr = *nrowpd;
    pd[0] = 0.0;
    pd[1] = -2.0 * vdp_mu * y[0] * y[1] - 1.0;
    pd[nr] = 1.0;
    pd[nr + 1] = vdp_mu * (1.0 - y[0] * y[0]);
}

TEST(LsodaVanDerPol, SwitchesToBdfInTheSlowPhasesAndBackToAdamsInTheJumps) {
    Integration run(van_der_pol, {2.0, 0.0}, 0.0);
    run.rtol = {1e-6};
    run.atol = {1e-6};
    run.itask = 2;  // one step per call, to watch the method of every step
    std::vector<int> methods;
    std::vector<double> switch_times;
    int steps = 0;
    while (run.t < 3000.0) {
        ASSERT_EQ(run.call(3000.0), 2);
        ++steps;
        EXPECT_EQ(run.nst(), steps);
        EXPECT_EQ(run.t, run.tcur());
        if (methods.empty() || run.mused() != methods.back()) {
            methods.push_back(run.mused());
            if (methods.size() > 1) switch_times.push_back(run.tsw());
        }
    }
    // Adams at the start, then BDF, and back and forth at each of the three jumps before t = 3000.
    ASSERT_GE(methods.size(), 7u);
    for (std::size_t i = 0; i < methods.size(); ++i) EXPECT_EQ(methods[i], i % 2 == 0 ? 1 : 2);
    // The jumps come about every 807 time units (half the period, about 1.614 mu).
    int jumps = 0;
    for (double tsw : switch_times) {
        if (tsw > 1.0) ++jumps;
    }
    EXPECT_EQ(jumps, 6);
    EXPECT_NEAR(switch_times[1], 807.0, 1.0);
}

TEST(LsodaVanDerPol, AgreesWithAnAccurateReferenceInTheSlowPhases) {
    Integration run(van_der_pol, {2.0, 0.0}, 0.0);
    run.rtol = {1e-8};
    run.atol = {1e-8};
    run.iopt = 1;
    run.iwork[5] = 5000;  // MXSTEP: the jumps take many steps at this accuracy
    Reference reference(van_der_pol, van_der_pol_jacobian, {2.0, 0.0}, 0.0, 1e-12);
    for (double tout = 200.0; tout <= 3000.0; tout += 200.0) {
        ASSERT_EQ(run.call(tout), 2);
        const std::vector<double> exact = reference.at(tout);
        // Away from the jumps (at 807, 1614, 2421) y1 lies on the slow manifold.
        if (std::fabs(std::remainder(tout, 807.0)) < 50.0) continue;
        EXPECT_LT(relative_error(run.y[0], exact[0]), 1e-5) << "t = " << tout;
    }
}

// A non-stiff problem: an undamped oscillator and a slow decay.
void oscillator(const int*, const double*, const double* y, double* ydot) {
    ydot[0] = y[1];
    ydot[1] = -y[0];
    ydot[2] = -0.1 * y[2];
}

TEST(LsodaNonStiff, StaysWithAdamsAndIsAccurate) {
    Integration run(oscillator, {0.0, 1.0, 1.0}, 0.0);
    run.rtol = {1e-8};
    run.atol = {1e-8};
    for (double tout = 1.0; tout <= 20.0; tout += 1.0) {
        ASSERT_EQ(run.call(tout), 2);
        EXPECT_EQ(run.mused(), 1);
        EXPECT_EQ(run.mcur(), 1);
        EXPECT_NEAR(run.y[0], std::sin(tout), 2e-6) << "t = " << tout;
        EXPECT_NEAR(run.y[1], std::cos(tout), 2e-6) << "t = " << tout;
        EXPECT_NEAR(run.y[2], std::exp(-0.1 * tout), 1e-6) << "t = " << tout;
    }
    EXPECT_EQ(run.nje(), 0);
    EXPECT_EQ(run.tsw(), 0.0);  // never switched
    EXPECT_GT(run.nqu(), 4);    // high Adams orders for a smooth problem
}

// A stiff banded problem: diffusion with a one-sided coupling two cells back and a quadratic sink,
// so that ML = 2 and MU = 1.
constexpr int band_n = 40;
constexpr double band_d = 500.0;
constexpr double band_a = 10.0;
constexpr double band_r = 1.0;
double cell(const double* y, int i) {
    return i >= 0 && i < band_n ? y[i] : 0.0;
}

void banded_rhs(const int*, const double*, const double* y, double* ydot) {
    for (int i = 0; i < band_n; ++i) {
        ydot[i] = band_d * (cell(y, i - 1) - 2.0 * y[i] + cell(y, i + 1)) +
                  band_a * (cell(y, i - 2) - y[i]) / 2.0 - band_r * y[i] * y[i];
    }
}

// df_i/dy_j for |i - j| within the band.
double banded_entry(const double* y, int i, int j) {
    if (i == j) return -2.0 * band_d - band_a / 2.0 - 2.0 * band_r * y[i];
    if (j == i - 1 || j == i + 1) return band_d;
    if (j == i - 2) return band_a / 2.0;
    return 0.0;
}

void banded_full_jacobian(const int*, const double*, const double* y, const int*, const int*, double* pd,
                          const int* nrowpd) {
    for (int j = 0; j < band_n; ++j) {
        for (int i = std::max(0, j - 1); i <= std::min(band_n - 1, j + 2); ++i)
            pd[i + j * *nrowpd] = banded_entry(y, i, j);
    }
}

void banded_band_jacobian(const int*, const double*, const double* y, const int* ml, const int* mu,
                          double* pd, const int* nrowpd) {
    for (int j = 0; j < band_n; ++j) {
        for (int i = std::max(0, j - *mu); i <= std::min(band_n - 1, j + *ml); ++i) {
            pd[(i - j + *mu) + j * *nrowpd] = banded_entry(y, i, j);
        }
    }
}

struct BandedResult {
    std::vector<std::vector<double>> values;
    int nst = 0;
    int nfe = 0;
    int nje = 0;
    int mused = 0;
    int lenrw = 0;
};

BandedResult solve_banded(int jt) {
    std::vector<double> y0(band_n);
    for (int i = 0; i < band_n; ++i) y0[i] = 1.0 + std::sin(0.3 * i);
    Integration run(banded_rhs, y0, 0.0);
    run.jt = jt;
    run.rtol = {1e-6};
    run.atol = {1e-8};
    run.iwork[0] = 2;  // ML
    run.iwork[1] = 1;  // MU
    if (jt == 1) run.jac = banded_full_jacobian;
    if (jt == 4) run.jac = banded_band_jacobian;
    BandedResult result;
    for (double tout : {0.001, 0.01, 0.1, 1.0, 2.0}) {
        EXPECT_EQ(run.call(tout), 2) << "JT " << jt << ", t = " << tout;
        result.values.push_back(run.y);
    }
    result.nst = run.nst();
    result.nfe = run.nfe();
    result.nje = run.nje();
    result.mused = run.mused();
    result.lenrw = run.lenrw();
    return result;
}

TEST(LsodaBanded, BandedJacobiansMatchTheFullOnes) {
    const BandedResult full_user = solve_banded(1);
    const BandedResult full_differences = solve_banded(2);
    const BandedResult band_user = solve_banded(4);
    const BandedResult band_differences = solve_banded(5);
    for (const BandedResult* r : {&full_user, &full_differences, &band_user, &band_differences}) {
        EXPECT_EQ(r->mused, 2);
        EXPECT_GT(r->nje, 0);
    }
    // The band factorisation does the full one's arithmetic without its zeros.
    EXPECT_EQ(band_user.nst, full_user.nst);
    EXPECT_EQ(band_user.nje, full_user.nje);
    EXPECT_EQ(band_user.nfe, full_user.nfe);
    EXPECT_EQ(band_user.values, full_user.values);
    // Differences by groups of ML + MU + 1 = 4 columns need 4 f calls per matrix instead of 40.
    EXPECT_EQ(band_differences.nst, full_differences.nst);
    EXPECT_EQ(band_differences.nje, full_differences.nje);
    EXPECT_EQ(full_differences.nfe - band_differences.nfe, (band_n - 4) * full_differences.nje);
    EXPECT_EQ(band_differences.values, full_differences.values);
    // Work space: the band needs (2 ML + MU + 1) N + 2 for the matrix instead of N^2 + 2.
    EXPECT_EQ(full_user.lenrw, 20 + 6 * band_n + band_n * band_n + 2 + 3 * band_n);
    EXPECT_EQ(band_user.lenrw, 20 + 13 * band_n + 3 * band_n);  // the Adams part is the larger

    // Analytic and difference Jacobians: both accurate.
    std::vector<double> y0(band_n);
    for (int i = 0; i < band_n; ++i) y0[i] = 1.0 + std::sin(0.3 * i);
    Reference reference(banded_rhs, banded_full_jacobian, y0, 0.0, 1e-12);
    const double times[] = {0.001, 0.01, 0.1, 1.0, 2.0};
    for (std::size_t k = 0; k < 5; ++k) {
        const std::vector<double> exact = reference.at(times[k]);
        for (int i = 0; i < band_n; ++i) {
            EXPECT_NEAR(full_user.values[k][i], exact[i], 2e-5 * std::fabs(exact[i]) + 1e-7);
            EXPECT_NEAR(full_differences.values[k][i], exact[i], 2e-5 * std::fabs(exact[i]) + 1e-7);
        }
    }
}

// The use the sorption mode makes: one equation, ITOL 1, LRW 70, LIW 23, JT 2, one call per data
// interval with ISTATE carried over.
void relaxation(const int*, const double*, const double* y, double* ydot) {
    ydot[0] = 2.0 * (1.0 - y[0]);
}

TEST(LsodaOneEquation, IntegratesIntervalByIntervalWithTheStateCarriedOver) {
    Integration run(relaxation, {0.0}, 0.0, 70, 23);
    run.rtol = {1e-6};
    run.atol = {1e-8};
    int previous_steps = 0;
    for (double tout = 0.5; tout <= 5.0; tout += 0.5) {
        ASSERT_EQ(run.call(tout), 2);
        EXPECT_EQ(run.istate, 2);
        EXPECT_NEAR(run.y[0], 1.0 - std::exp(-2.0 * tout), 1e-5);
        EXPECT_GE(run.nst(), previous_steps);
        previous_steps = run.nst();
    }
    EXPECT_EQ(run.lenrw(), 36);
    EXPECT_EQ(run.leniw(), 21);
    EXPECT_GE(run.nfe(), 2 * run.nst());
}

}  // namespace
