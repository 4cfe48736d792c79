#pragma once
// How the colloid models honour the accuracy of input.txt line 15, and the constants of their
// evaluation, named in one place.
//
// The accuracy of a point. ERRREL is the relative accuracy of the concentration. ERRABS is an
// absolute accuracy in units of the concentration (g/cm^3), capped at ERRREL times a natural
// concentration scale of the model: the source concentration Conc0 for the broad pulse, and for the
// instantaneous injection |Cm| / sqrt(pi D t), Cm = mi / (Theta A0), the concentration that the
// injected mass has at time t when dispersion alone spreads it (no concentration of the model
// exceeds it). So an ERRABS written for the old meaning (the template's 0.3) cannot spoil a result.
// With ERRREL <= 0 the absolute accuracy ERRABS holds alone; ERRABS <= 0 asks for the relative
// accuracy alone. A point meets its accuracy when |C - C_true| <= max(absolute, ERRREL |C|).
//
// Outside the domain of the formulas (a value that is not finite, D <= 0, U < 0, x < 0, t < 0,
// Theta, rh0, A0 <= 0, tp < 0, or ERRABS < 0 together with ERRREL < 0, which QAG rejects) the
// models evaluate the formulas as they are written, each factor on its own, with one quadrature call
// per integral: whatever that gives, with the quadrature's messages and pauses (ERRABS < 0 with
// ERRREL < 0 writes "the input is invalid" and pauses, once for each integral, as always).

#include <cfloat>
#include <cmath>

#include "models/quadrature_tolerances.hpp"

namespace models {

namespace evaluation {

// Points of the grid on which a model exponent is looked at to find where an integrand lives:
// uniform, then kStartGridPoints each kStartGridRatio closer to the start (down to 1e-16 of the
// interval), and at most kMaxHints hints.
inline constexpr int kGridPoints = 24;
inline constexpr int kStartGridPoints = 14;
inline constexpr double kStartGridRatio = 0.1;
inline constexpr int kMaxHints = 3;
// Iterations that locate the peak of a model exponent and the ends of the integration.
inline constexpr int kPeakIterations = 60;
inline constexpr int kCutIterations = 24;
// The peak is located to within this many e-folds of its height (a fraction of its width).
inline constexpr double kPeakFlatness = 0.01;
// What lies below the peak of a model exponent by more than log(1 / (kCutShare ERRREL)) +
// kCutMargin e-folds is left out: less than kCutShare of the accuracy asked for, with room for the
// length of what is left out and the model's error.
inline constexpr double kCutShare = 1e-2;
inline constexpr double kCutMargin = 20.0;
// An integral whose model peaks below exp(kLogBelowRange) in units of the result is left out whole:
// it lies below the smallest double (exp(-745)) with room for the model's error. (Its exponent may
// be so large that its rounding alone would spoil a normalised integrand.)
inline constexpr double kLogBelowRange = -850.0;
// The finest relative accuracy that QAG accepts without an absolute one (50 machine epsilons).
inline constexpr double kFinestRelative = 50.0 * DBL_EPSILON;
// Where the integration would start this close to 0 (relative to the next panel edge), it starts at
// 0, with tau = e w^2 on its first panel, which removes the 1/sqrt(tau) of the kernel at x = 0.
inline constexpr double kStartAtZero = 1e-2;
// Panel edges closer than this, relative to the interval or in units of the last place of the
// times, are merged.
inline constexpr double kEdgeGap = 1e-12;
inline constexpr double kEdgeUlps = 1e4;
// Most panels of one integral: the ends, the peaks, the breakpoints of the integrand.
inline constexpr int kMaxPanels = 16;
// The Gauss-Kronrod keys: 10/21 points for the integrals over the kernel, 7/15 for the smooth inner
// integrals of the broad pulse.
inline constexpr int kOuterRule = kGaussKronrod21;
inline constexpr int kInnerRule = 1;
// An inner integrand whose exponent varies by more than this many e-folds over its interval is
// split at its peak and cut like the outer ones (a 15-point rule may not see an exponential that
// falls further between its outermost nodes and the end).
inline constexpr double kInnerSpan = 12.0;
// The inner integrals' relative accuracy, as a share of ERRREL: their errors stay below the outer
// integral's.
inline constexpr double kInnerShare = 0.1;

}  // namespace evaluation

// The accuracy of one point, in units of the result.
struct PointAccuracy {
    double absolute = 0.0;  // >= 0
    double relative = 0.0;  // ERRREL (may be <= 0)

    static PointAccuracy of(QuadratureTolerances tolerances, double scale) {
        PointAccuracy accuracy{0.0, tolerances.errrel};
        if (tolerances.errabs > 0.0) {
            accuracy.absolute = tolerances.errrel > 0.0
                                    ? std::fmin(tolerances.errabs, tolerances.errrel * std::fabs(scale))
                                    : tolerances.errabs;
        }
        return accuracy;
    }

    // The e-folds below its peak beyond which an integrand is left out.
    double cut_depth() const {
        return std::log(1.0 / std::fmax(evaluation::kCutShare * relative, evaluation::kFinestRelative)) +
               evaluation::kCutMargin;
    }

    // What the point may be off by.
    double allowed(double result) const { return std::fmax(absolute, relative * std::fabs(result)); }
};

// Whether a tolerance pair leaves the evaluation in its domain: finite, and not both negative.
inline bool tolerances_in_domain(QuadratureTolerances t) {
    return std::isfinite(t.errabs) && std::isfinite(t.errrel) && !(t.errabs < 0.0 && t.errrel < 0.0);
}

}  // namespace models
