#include "common/run_directory_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

namespace common {
namespace {

bool lock(int fd, int operation) {
    int result;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

}  // namespace

RunDirectoryLock RunDirectoryLock::acquire(const RunDirectory& run, const std::function<void()>& waiting) {
    const std::string directory = run.directory.empty() ? std::string(1, run.separator) : run.directory;
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return RunDirectoryLock(-1);
    if (lock(fd, LOCK_EX | LOCK_NB)) return RunDirectoryLock(fd);
    if (errno == EWOULDBLOCK) {
        if (waiting) waiting();
        if (lock(fd, LOCK_EX)) return RunDirectoryLock(fd);
    }
    ::close(fd);
    return RunDirectoryLock(-1);
}

RunDirectoryLock::RunDirectoryLock(RunDirectoryLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

RunDirectoryLock& RunDirectoryLock::operator=(RunDirectoryLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

RunDirectoryLock::~RunDirectoryLock() {
    release();
}

void RunDirectoryLock::release() noexcept {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the descriptor releases the lock
    fd_ = -1;
}

}  // namespace common
