#pragma once
// A fixed set of worker threads that share out the tasks of one batch: the calling thread works as
// worker 0, the others wait for the next batch between batches. Each worker has a number, so that
// a task can use work storage of its own (quadrature workspaces, the integrator's state).

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace colfit {

class WorkerPool {
  public:
    using Task = std::function<void(std::size_t task, unsigned worker)>;

    // `workers` threads in all (at least 1), the calling one included.
    explicit WorkerPool(unsigned workers);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    unsigned size() const noexcept { return static_cast<unsigned>(threads_.size()) + 1; }

    // Runs task(k, worker) for k = 0 .. count - 1, each once, on the workers, and returns when all
    // are done. The first exception a task throws is rethrown here after the batch has ended.
    void run(std::size_t count, const Task& task);

  private:
    void work(unsigned worker);
    void take_tasks(unsigned worker);

    std::mutex mutex_;
    std::condition_variable batch_started_;
    std::condition_variable batch_done_;
    std::vector<std::thread> threads_;
    const Task* task_ = nullptr;
    std::size_t count_ = 0;
    std::atomic<std::size_t> next_{0};
    unsigned busy_ = 0;        // helper threads still in the current batch
    std::uint64_t batch_ = 0;  // number of the current batch
    bool stopping_ = false;
    std::exception_ptr failure_;
};

}  // namespace colfit
