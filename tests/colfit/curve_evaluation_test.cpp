// The model curves of a fit: the broad pulse on the workers against the simulator's own evaluation
// of the same input lines, and a sorption integration that fails, which must void its curve instead
// of ending the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "colfit/curve_evaluator.hpp"
#include "colfit/sorption_curve.hpp"
#include "coltrans/colloid_settings.hpp"
#include "common/message_file.hpp"
#include "numerics/lsoda/messages.hpp"

namespace colfit {
namespace {

// Dcx R1 R2 Kirr U tp th l2 C0 M0 A0 SimMode.
ParameterValues broad_pulse(double d, double kc, double kr, double lamda, double u, double tp) {
    return {d, kc, kr, lamda, u, tp, 0.38, 0.5 * lamda, 1e-3, 0.0, 1.0, 1.0};
}

TEST(CurveEvaluation, BroadPulseAgreesWithTheSimulator) {
    struct Case {
        const char* what;
        ParameterValues values;
    };
    const Case cases[] = {
        {"the calibration example", broad_pulse(1.5, 0.05, 0.002, 0.03, 4.0, 4.0)},
        {"strong clogging and declogging", broad_pulse(0.8, 0.6, 0.3, 0.01, 3.0, 2.0)},
        {"a pulse longer than the times", broad_pulse(2.0, 0.02, 0.01, 0.0, 5.0, 100.0)},
        {"a large Peclet number", broad_pulse(0.05, 0.02, 0.01, 0.0, 5.0, 2.0)},
        {"the same without declogging (h = 0)", broad_pulse(0.05, 0.02, 0.0, 0.0, 5.0, 2.0)},
    };
    // Two positions, a point at t = 0, times before and after the pulse, not in order.
    std::vector<CurvePoint> points;
    for (const double x : {10.0, 30.0}) {
        for (const double t : {9.0, 0.0, 1.5, 4.0, 2.5, 6.25, 14.0, 21.5}) points.push_back({t, x});
    }
    const EvaluationAccuracy accuracy = evaluation_accuracy(1e-3);
    CurveEvaluator evaluator(Family::broad_pulse, 1.0f, accuracy, 2);
    common::MessageFile messages("/dev/null");
    numerics::Quadrature quadrature(2000, messages);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Curve curve = evaluator.curve(c.values, points);
        ASSERT_TRUE(curve.has_value());
        coltrans::ColloidSettings settings{.sim_mode = 1.0f,
                                           .d = c.values[0],
                                           .kc = c.values[1],
                                           .kr = c.values[2],
                                           .lamda = c.values[3],
                                           .u = c.values[4],
                                           .line7 = c.values[5],
                                           .theta = c.values[6],
                                           .lamdas = c.values[7],
                                           .line10 = c.values[8],
                                           .rh0 = 1.86,
                                           .errrel = 1e-12,
                                           .errabs = 0.0,
                                           .limit = 2000};
        models::ColloidModel model = coltrans::colloid_model(coltrans::ColloidFamily::broad_pulse, settings);
        for (std::size_t k = 0; k < points.size(); ++k) {
            const double expected = model.concentration(points[k].t, points[k].x, quadrature);
            EXPECT_NEAR((*curve)[k], expected, accuracy.absolute)
                << "t = " << points[k].t << ", x = " << points[k].x;
        }
    }
}

TEST(CurveEvaluation, AFailedSorptionIntegrationVoidsTheCurve) {
    // Type 18, dC*/dt = par1 (par2 - C*)^2 with par2 < 0: C* grows without bound in finite time.
    numerics::lsoda::set_message_printing(false);
    models::globalvars::SorptionRun run;
    run.type_code = 18;
    run.par = {50.0, -1.0, 0, 0, 0, 0, 0, 0, 0};
    for (int k = 0; k < 10; ++k) {
        run.timevector.push_back(k);
        run.cexpvector.push_back(1.0);
    }
    EXPECT_FALSE(sorbed_concentrations(run, {.absolute = 1e-10, .relative = 1e-10}).has_value());
    numerics::lsoda::set_message_printing(true);
}

}  // namespace
}  // namespace colfit
