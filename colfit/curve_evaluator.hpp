#pragma once
// The model curves of a fit: the curves of several parameter sets at once, their tasks shared out
// over the workers: the transport models point by point, the sorption series whole.
// Counts the model evaluations (one per parameter set, as an outside engine counts model runs).

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "colfit/curve_job.hpp"
#include "colfit/worker_pool.hpp"

namespace colfit {

using Curve = std::optional<std::vector<double>>;  // nullopt: the model could not be evaluated

class CurveEvaluator {
  public:
    CurveEvaluator(Family family, float sim_mode, const EvaluationAccuracy& accuracy, unsigned workers);

    // The curve of each parameter set at the points, in the order of the sets.
    std::vector<Curve> curves(std::span<const ParameterValues> sets, std::span<const CurvePoint> points);
    Curve curve(const ParameterValues& values, std::span<const CurvePoint> points);

    std::int64_t evaluations() const noexcept { return evaluations_; }
    // Wall time spent computing curves, in seconds.
    double seconds() const noexcept { return seconds_; }
    unsigned workers() const noexcept { return pool_.size(); }
    const EvaluationAccuracy& accuracy() const noexcept { return accuracy_; }

  private:
    std::unique_ptr<CurveJob> job(const ParameterValues& values, std::span<const CurvePoint> points) const;
    void run_jobs(std::span<const std::unique_ptr<CurveJob>> jobs);

    Family family_;
    float sim_mode_;
    EvaluationAccuracy accuracy_;
    WorkerPool pool_;
    std::vector<std::unique_ptr<WorkerContext>> contexts_;
    std::int64_t evaluations_ = 0;
    double seconds_ = 0.0;
};

}  // namespace colfit
