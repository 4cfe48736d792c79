#pragma once
// One run at a time in a run directory. A run holds an exclusive lock on the run directory itself
// (an advisory lock on the directory, not a lock file, so that a run directory that may not be
// written serves runs as before); a second run in the same directory waits until the first one
// releases it. The system releases the lock of a run that is killed.

#include <functional>

#include "common/run_directory.hpp"

namespace common {

class RunDirectoryLock {
  public:
    // Takes the lock on the run directory. When another run holds it, calls `waiting` once and then
    // waits for it. Where the directory cannot be opened or locked (a file system without such
    // locks), the run goes on without the lock.
    static RunDirectoryLock acquire(const RunDirectory& run, const std::function<void()>& waiting);

    RunDirectoryLock(RunDirectoryLock&& other) noexcept;
    RunDirectoryLock& operator=(RunDirectoryLock&& other) noexcept;
    RunDirectoryLock(const RunDirectoryLock&) = delete;
    RunDirectoryLock& operator=(const RunDirectoryLock&) = delete;
    ~RunDirectoryLock();

    bool held() const noexcept { return fd_ >= 0; }
    // Releases the lock; releasing twice does nothing.
    void release() noexcept;

  private:
    explicit RunDirectoryLock(int fd) noexcept : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace common
