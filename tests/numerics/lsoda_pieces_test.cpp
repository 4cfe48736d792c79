// The integrator's pieces on their own: the LU factorisations, the error weights, the interpolator,
// the iteration matrix and the switch test.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <string>
#include <vector>

#include "numerics/lsoda/banded_lu.hpp"
#include "numerics/lsoda/dense_lu.hpp"
#include "numerics/lsoda/interpolate.hpp"
#include "numerics/lsoda/iteration_matrix.hpp"
#include "numerics/lsoda/method_coefficients.hpp"
#include "numerics/lsoda/state.hpp"
#include "numerics/lsoda/switch_test.hpp"
#include "numerics/lsoda/weights_and_norms.hpp"
#include "tests/numerics/lsoda_support.hpp"

namespace numerics::lsoda {
namespace {

// A 6 by 6 band matrix with ML = 2, MU = 1 whose first pivots need row interchanges.
constexpr int n6 = 6;
double band_entry(int i, int j) {  // 0-based
    if (j - i > 1 || i - j > 2) return 0.0;
    if (i == j) return i == 0 ? 0.0 : 1.0 + 0.5 * i;
    return 2.0 + 0.3 * i - 0.7 * j;
}

std::vector<double> full_matrix() {
    std::vector<double> a(n6 * n6);
    for (int j = 0; j < n6; ++j)
        for (int i = 0; i < n6; ++i) a[i + j * n6] = band_entry(i, j);
    return a;
}

std::vector<double> multiply(const std::vector<double>& a, const std::vector<double>& x, bool transposed) {
    std::vector<double> b(n6, 0.0);
    for (int i = 0; i < n6; ++i)
        for (int j = 0; j < n6; ++j) b[i] += (transposed ? a[j + i * n6] : a[i + j * n6]) * x[j];
    return b;
}

TEST(LsodaLinearAlgebra, DenseAndBandedFactorsSolveBothSystems) {
    const std::vector<double> a = full_matrix();
    const std::vector<double> x = {1.0, -2.0, 3.0, 0.5, -1.5, 2.5};
    const int ml = 2;
    const int mu = 1;
    const int lda = 2 * ml + mu + 1;
    for (int job : {0, 1}) {
        std::vector<double> lu = a;
        std::vector<int> ipvt(n6);
        ASSERT_EQ(dgefa(lu.data(), n6, n6, ipvt.data()), 0);
        EXPECT_EQ(ipvt[0], 3);  // the largest entry of the first column, 2.6, is the pivot
        std::vector<double> b = multiply(a, x, job != 0);
        dgesl(lu.data(), n6, n6, ipvt.data(), b.data(), job);
        for (int i = 0; i < n6; ++i) EXPECT_NEAR(b[i], x[i], 1e-13) << "dense, job " << job;

        std::vector<double> abd(lda * n6, 99.0);  // the fill-in rows must be cleared by the factorisation
        for (int j = 0; j < n6; ++j)
            for (int i = std::max(0, j - mu); i <= std::min(n6 - 1, j + ml); ++i)
                abd[(i - j + ml + mu) + j * lda] = a[i + j * n6];
        std::vector<int> bpvt(n6);
        ASSERT_EQ(dgbfa(abd.data(), lda, n6, ml, mu, bpvt.data()), 0);
        EXPECT_EQ(bpvt, ipvt);
        std::vector<double> bb = multiply(a, x, job != 0);
        dgbsl(abd.data(), lda, n6, ml, mu, bpvt.data(), bb.data(), job);
        for (int i = 0; i < n6; ++i) EXPECT_NEAR(bb[i], x[i], 1e-13) << "banded, job " << job;
    }
}

TEST(LsodaLinearAlgebra, ZeroPivotIsReported) {
    // Second column a multiple of the first: U(2,2) = 0.
    std::vector<double> a = {1.0, 2.0, 0.0, 2.0, 4.0, 0.0, 0.0, 0.0, 1.0};
    std::vector<int> ipvt(3);
    EXPECT_EQ(dgefa(a.data(), 3, 3, ipvt.data()), 2);
    std::vector<double> b = {0.0, 0.0, 0.0, 0.0};
    std::vector<int> bpvt(1);
    EXPECT_EQ(dgbfa(b.data(), 1, 1, 0, 0, bpvt.data()), 1);
}

TEST(LsodaWeights, ScalarOrArrayTolerancesAsItolSays) {
    const double y[] = {-2.0, 0.5};
    const double rtol[] = {0.1, 0.01};
    const double atol[] = {1.0, 2.0};
    const double expected[4][2] = {{1.2, 1.05}, {1.2, 2.05}, {1.2, 1.005}, {1.2, 2.005}};
    for (int itol = 1; itol <= 4; ++itol) {
        double ewt[2];
        set_error_weights(2, itol, rtol, atol, y, ewt);
        EXPECT_DOUBLE_EQ(ewt[0], expected[itol - 1][0]) << "ITOL " << itol;
        EXPECT_DOUBLE_EQ(ewt[1], expected[itol - 1][1]) << "ITOL " << itol;
    }
    EXPECT_EQ(unit_roundoff(), DBL_EPSILON);
}

TEST(LsodaInterpolation, DerivativesOfTheNordsieckPolynomial) {
    // p(t) = 1 + 2t + 3t^2 + 4t^3 held at tn = 2 with h = 0.5: column j is h^j/j! p^(j)(tn).
    SolverState s;
    s.n = 1;
    s.nyh = 1;
    s.nq = 3;
    s.l = 4;
    s.tn = 2.0;
    s.h = 0.5;
    s.hu = 0.5;
    s.uround = DBL_EPSILON;
    auto p = [](double t) { return 1 + 2 * t + 3 * t * t + 4 * t * t * t; };
    auto p1 = [](double t) { return 2 + 6 * t + 12 * t * t; };
    auto p2 = [](double t) { return 6 + 24 * t; };
    const double yh[] = {p(2.0), 0.5 * p1(2.0), 0.25 / 2 * p2(2.0), 0.125 / 6 * 24.0};
    double d = 0.0;
    ASSERT_EQ(interpolate(s, 1.8, 0, yh, &d), InterpolationResult::ok);
    EXPECT_NEAR(d, p(1.8), 1e-12);
    ASSERT_EQ(interpolate(s, 1.8, 1, yh, &d), InterpolationResult::ok);
    EXPECT_NEAR(d, p1(1.8), 1e-12);
    ASSERT_EQ(interpolate(s, 1.6, 2, yh, &d), InterpolationResult::ok);
    EXPECT_NEAR(d, p2(1.6), 1e-12);
    ASSERT_EQ(interpolate(s, 1.5, 3, yh, &d), InterpolationResult::ok);
    EXPECT_NEAR(d, 24.0, 1e-12);

    testing::internal::CaptureStdout();
    d = -1.0;
    EXPECT_EQ(interpolate(s, 1.4, 0, yh, &d), InterpolationResult::bad_time);
    EXPECT_EQ(interpolate(s, 1.8, 4, yh, &d), InterpolationResult::bad_order);
    EXPECT_EQ(d, -1.0);
    EXPECT_EQ(testing::internal::GetCapturedStdout().substr(0, 83),
              lsoda_test::text_record("DINTDY-  T (=R1) illegal", 80));
}

// y' = A y with a fixed matrix.
void linear(const int*, const double*, const double* y, double* ydot) {
    ydot[0] = -100.0 * y[0] + 2.0 * y[1];
    ydot[1] = 3.0 * y[0] - 0.5 * y[1];
}
void linear_jacobian(const int*, const double*, const double*, const int*, const int*, double* pd,
                     const int* nrowpd) {
    pd[0] = -100.0;
    pd[1] = 3.0;
    pd[*nrowpd] = 2.0;
    pd[*nrowpd + 1] = -0.5;
}

TEST(LsodaIterationMatrix, DifferencesMatchTheJacobianAndTheFactorsSolveP) {
    for (Iteration kind : {Iteration::full_jacobian, Iteration::full_differences}) {
        SolverState s;
        s.n = 2;
        s.nyh = 2;
        s.h = 0.01;
        s.el0 = 1.0;
        s.uround = DBL_EPSILON;
        s.srur = std::sqrt(DBL_EPSILON);
        s.tn = 0.0;
        s.miter = kind;
        std::vector<double> yh = {1.0, 2.0};
        std::vector<double> ewt = {1e4, 1e4};  // reciprocal weights
        std::vector<double> savf(2), acor(2), wm(2 + 4), y = yh;
        std::vector<int> iwm(22);
        const int neq = 2;
        linear(&neq, &s.tn, y.data(), savf.data());
        const Problem p{linear, linear_jacobian, &neq};
        const WorkArrays w{yh.data(), ewt.data(), savf.data(), acor.data(), wm.data(), iwm.data()};
        ASSERT_TRUE(form_iteration_matrix(s, p, y.data(), w));
        EXPECT_EQ(s.nje, 1);
        EXPECT_EQ(s.nfe, kind == Iteration::full_differences ? 2 : 0);
        EXPECT_TRUE(s.jcur);
        EXPECT_EQ(y, yh);
        EXPECT_NEAR(s.pdnorm, 102.0, 1e-5);  // weights equal: the largest absolute row sum of J
        // P = I - h J; solve P z = P x for a known x.
        const double x[] = {0.3, -0.7};
        double b[] = {(1 + 1.0) * x[0] - 0.02 * x[1], -0.03 * x[0] + 1.005 * x[1]};
        solve_iteration_matrix(s, w, b);
        EXPECT_NEAR(b[0], x[0], 1e-8);
        EXPECT_NEAR(b[1], x[1], 1e-8);
    }
}

// A one-equation state at order nq of a method, with both methods' error constants, step 1.
SolverState switch_test_state(Method meth, int nq) {
    SolverState s;
    method_coefficients(Method::bdf, s.elco, s.tesco);
    for (int i = 0; i < max_bdf_order; ++i) s.cm2[i] = s.tesco[i][1] * s.elco[i][i + 1];
    method_coefficients(Method::adams, s.elco, s.tesco);
    for (int i = 0; i < max_adams_order; ++i) s.cm1[i] = s.tesco[i][1] * s.elco[i][i + 1];
    s.n = 1;
    s.nyh = 1;
    s.h = 1.0;
    s.uround = DBL_EPSILON;
    s.ratio = 5.0;
    s.mxordn = 12;
    s.mxords = 5;
    s.meth = meth;
    s.nq = nq;
    s.l = nq + 1;
    return s;
}

TEST(LsodaSwitchTest, AdamsToBdf) {
    SolverState s = switch_test_state(Method::adams, 2);
    const double yh[13] = {1.0};
    const double ewt[1] = {1.0};
    // Stiff: h times the Lipschitz estimate far outside the stability region.
    s.pdest = s.pdlast = 1000.0;
    auto change = test_method_switch(s, 0.5, 1.0, yh, ewt);
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->meth, Method::bdf);
    EXPECT_EQ(change->nq, 2);
    EXPECT_GT(change->rh, 5.0 * adams_stability_bound[1] / 1000.0);  // five times the Adams step
    // Non-stiff: no advantage.
    s.pdest = s.pdlast = 0.01;
    EXPECT_FALSE(test_method_switch(s, 0.5, 1.0, yh, ewt).has_value());
    // Above order 5 never.
    s.pdest = s.pdlast = 1000.0;
    s.nq = 6;
    s.l = 7;
    EXPECT_FALSE(test_method_switch(s, 0.5, 1.0, yh, ewt).has_value());
    // Estimates at roundoff level: switch with doubled step only if the step was held for stability.
    s.nq = 2;
    s.l = 3;
    s.irflag = false;
    EXPECT_FALSE(test_method_switch(s, 1e-20, 1.0, yh, ewt).has_value());
    s.irflag = true;
    change = test_method_switch(s, 1e-20, 1.0, yh, ewt);
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->rh, 2.0);
}

TEST(LsodaSwitchTest, BdfToAdams) {
    SolverState s = switch_test_state(Method::bdf, 3);
    const double yh[13] = {1.0};
    const double ewt[1] = {1.0};
    s.pdnorm = 1e-4;  // the problem has become non-stiff
    auto change = test_method_switch(s, 0.5, 1.0, yh, ewt);
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->meth, Method::adams);
    EXPECT_EQ(change->nq, 3);
    s.pdnorm = 1000.0;  // still stiff
    EXPECT_FALSE(test_method_switch(s, 0.5, 1.0, yh, ewt).has_value());
}

}  // namespace
}  // namespace numerics::lsoda
