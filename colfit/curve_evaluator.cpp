// Batches of model curves over the workers.
#include "colfit/curve_evaluator.hpp"

#include <chrono>

#include "colfit/broad_pulse_curve.hpp"

namespace colfit {

CurveEvaluator::CurveEvaluator(Family family, float sim_mode, const EvaluationAccuracy& accuracy,
                               unsigned workers, Sharing sharing)
    : family_(family), sim_mode_(sim_mode), accuracy_(accuracy), pool_(workers), sharing_(sharing) {
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
    std::vector<bool> shared;
    for (const ParameterValues& values : sets) {
        std::unique_ptr<CurveJob> shared_job;
        if (family_ == Family::broad_pulse && sharing_ == Sharing::shared)
            shared_job = shared_broad_pulse_job(broad_pulse_parameters(values), points, accuracy_);
        shared.push_back(shared_job != nullptr);
        jobs.push_back(shared_job ? std::move(shared_job) : job(values, points));
    }
    run_jobs(jobs);
    std::vector<Curve> result;
    for (const auto& j : jobs) result.push_back(j->values());

    // A shared broad-pulse curve that came out void is made again point by point.
    std::vector<std::size_t> again;
    std::vector<std::unique_ptr<CurveJob>> retries;
    for (std::size_t k = 0; k < sets.size(); ++k) {
        if (result[k] || !shared[k]) continue;
        again.push_back(k);
        retries.push_back(pointwise_colloid_job(family_, sets[k], points, accuracy_));
    }
    if (!retries.empty()) {
        run_jobs(retries);
        for (std::size_t r = 0; r < again.size(); ++r) result[again[r]] = retries[r]->values();
    }
    evaluations_ += static_cast<std::int64_t>(sets.size());
    seconds_ += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

Curve CurveEvaluator::curve(const ParameterValues& values, std::span<const CurvePoint> points) {
    return std::move(curves(std::span(&values, 1), points).front());
}

}  // namespace colfit
