#pragma once
// One model curve at one parameter set, split into tasks that any worker can run in any order,
// so that the tasks of several curves share the cores. Once every task has run, the curve is read.

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "colfit/evaluation_accuracy.hpp"
#include "colfit/model_input.hpp"
#include "colfit/worker_context.hpp"

namespace colfit {

// A point of a curve: time [hr] and position [cm] in the colloid modes, time and solute
// concentration in the sorption modes.
struct CurvePoint {
    double t = 0.0;
    double x = 0.0;
};

class CurveJob {
  public:
    virtual ~CurveJob() = default;
    virtual std::size_t tasks() const = 0;
    virtual void run(std::size_t task, WorkerContext& context) = 0;
    // The model's values at the points; nullopt when it could not be evaluated (a value that is not
    // a finite number, an integration that failed).
    virtual std::optional<std::vector<double>> values() = 0;
};

// The colloid models point by point, each point one task, as the simulator computes them.
std::unique_ptr<CurveJob> pointwise_colloid_job(Family family, const ParameterValues& values,
                                                std::span<const CurvePoint> points,
                                                const EvaluationAccuracy& accuracy);

// The sorption model over the series of points, one task.
std::unique_ptr<CurveJob> sorption_job(float sim_mode, const ParameterValues& values,
                                       std::span<const CurvePoint> points,
                                       const EvaluationAccuracy& accuracy);

}  // namespace colfit
