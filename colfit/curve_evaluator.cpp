// Batches of model curves over the workers.
#include "colfit/curve_evaluator.hpp"

#include <chrono>

namespace colfit {

CurveEvaluator::CurveEvaluator(Family family, float sim_mode, const EvaluationAccuracy& accuracy,
                               unsigned workers)
    : family_(family), sim_mode_(sim_mode), accuracy_(accuracy), pool_(workers) {
    for (unsigned w = 0; w < pool_.size(); ++w)
        contexts_.push_back(std::make_unique<WorkerContext>(accuracy.limit));
}

std::unique_ptr<CurveJob> CurveEvaluator::job(const ParameterValues& values,
                                              std::span<const CurvePoint> points) const {
    if (family_ == Family::sorption) return sorption_job(sim_mode_, values, points, accuracy_);
    return pointwise_colloid_job(family_, values, points, accuracy_);
}

void CurveEvaluator::run_jobs(std::span<const std::unique_ptr<CurveJob>> jobs) {
    std::vector<std::pair<std::size_t, std::size_t>> tasks;  // (job, task of the job)
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        for (std::size_t k = 0; k < jobs[j]->tasks(); ++k) tasks.emplace_back(j, k);
    }
    pool_.run(tasks.size(), [&](std::size_t task, unsigned worker) {
        const auto [j, k] = tasks[task];
        jobs[j]->run(k, *contexts_[worker]);
    });
}

std::vector<Curve> CurveEvaluator::curves(std::span<const ParameterValues> sets,
                                          std::span<const CurvePoint> points) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::unique_ptr<CurveJob>> jobs;
    for (const ParameterValues& values : sets) jobs.push_back(job(values, points));
    run_jobs(jobs);
    std::vector<Curve> result;
    for (const auto& j : jobs) result.push_back(j->values());
    evaluations_ += static_cast<std::int64_t>(sets.size());
    seconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

Curve CurveEvaluator::curve(const ParameterValues& values, std::span<const CurvePoint> points) {
    return std::move(curves(std::span(&values, 1), points).front());
}

}  // namespace colfit
