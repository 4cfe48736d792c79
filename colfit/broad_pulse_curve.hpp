#pragma once
// The broad-pulse curve with the work shared between the points of one position. The response
// G(T) = (exp(-h T) R1(T) + R2(T)) Conc0 (U / sqrt(D)) exp(U x/(2D)) holds the double integral
// R2(T), the integral over tau1 from 0 to T of an inner integral whose integrand does not depend on
// T: its outer integral is accumulated over the sorted response times of all points (t, and t - tp
// after the pulse) instead of being made from 0 for each. The single integral R1(T) is made per
// response time. The integrands are the model's own (models::BroadPulse), with its Gauss-Kronrod
// pair; the tasks are the pieces of the outer integral and the single integrals.
//
// Two forms, as the model has them: the plain one multiplies the integrals by the factors as
// written, where no factor can leave the range of doubles; the scaled one integrates the model's
// scaled integrands, which carry exp(U x/(2D)) (and exp(-h T)) inside, everywhere else. The scaled
// single integrand at time T is the scaled double integrand at (T, tau) over h, so that form needs
// h other than 0. Where neither applies, for negative times, and for values that are not finite,
// the model's own pointwise evaluation is used instead.

#include <memory>
#include <span>

#include "colfit/curve_job.hpp"

namespace colfit {

enum class BroadPulseForm { plain, scaled, pointwise };

BroadPulseForm broad_pulse_form(const models::BroadPulseParameters& p, std::span<const CurvePoint> points);

// The shared job, or nullptr where the pointwise evaluation must be used.
std::unique_ptr<CurveJob> shared_broad_pulse_job(const models::BroadPulseParameters& p,
                                                 std::span<const CurvePoint> points,
                                                 const EvaluationAccuracy& accuracy);

}  // namespace colfit
