// The worker threads of the model evaluations.
#include "colfit/worker_pool.hpp"

#include <algorithm>

namespace colfit {

WorkerPool::WorkerPool(unsigned workers) {
    for (unsigned w = 1; w < std::max(workers, 1u); ++w) threads_.emplace_back([this, w] { work(w); });
}

WorkerPool::~WorkerPool() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    batch_started_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void WorkerPool::take_tasks(unsigned worker) {
    for (std::size_t k = next_.fetch_add(1); k < count_; k = next_.fetch_add(1)) {
        try {
            (*task_)(k, worker);
        } catch (...) {
            const std::lock_guard lock(mutex_);
            if (!failure_) failure_ = std::current_exception();
        }
    }
}

void WorkerPool::run(std::size_t count, const Task& task) {
    {
        const std::lock_guard lock(mutex_);
        task_ = &task;
        count_ = count;
        next_ = 0;
        busy_ = static_cast<unsigned>(threads_.size());
        failure_ = nullptr;
        ++batch_;
    }
    batch_started_.notify_all();
    take_tasks(0);
    std::unique_lock lock(mutex_);
    batch_done_.wait(lock, [this] { return busy_ == 0; });
    task_ = nullptr;
    if (failure_) std::rethrow_exception(failure_);
}

void WorkerPool::work(unsigned worker) {
    std::uint64_t seen = 0;
    while (true) {
        {
            std::unique_lock lock(mutex_);
            batch_started_.wait(lock, [&] { return stopping_ || batch_ != seen; });
            if (stopping_) return;
            seen = batch_;
        }
        take_tasks(worker);
        {
            const std::lock_guard lock(mutex_);
            --busy_;
        }
        batch_done_.notify_one();
    }
}

}  // namespace colfit
