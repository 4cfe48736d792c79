#include "common/file_replacement.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

namespace common {
namespace {

IoResult system_failure(int error) {
    return IoResult::failed(system_error_text(error));
}

// Writes all of `bytes` to `fd`.
IoResult write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return system_failure(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

// The directory that holds `path`, for syncing the rename.
std::string directory_of(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// What follows the target's name in the name of its temporary file, before the six characters
// that make the name unique.
constexpr std::string_view kTemporaryMark = ".partial-";
constexpr std::size_t kUniqueCharacters = 6;

// Removes the temporary files of `target` that no replacement holds: those that programs killed
// while they replaced the target left behind.
void remove_abandoned_temporaries(const std::string& target) {
    namespace fs = std::filesystem;
    const std::size_t slash = target.rfind('/');
    const std::string prefix =
        (slash == std::string::npos ? target : target.substr(slash + 1)) + std::string(kTemporaryMark);
    std::error_code error;
    for (fs::directory_iterator entry(directory_of(target), error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() != prefix.size() + kUniqueCharacters || !name.starts_with(prefix)) continue;
        const std::string path = entry->path().string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
}

// The permissions a newly created file gets under the current umask.
mode_t default_file_mode() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

IoResult read_leading_lines(const std::string& path, std::size_t count, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return system_failure(errno);
    std::size_t lines = 0;
    std::size_t scanned = 0;
    std::vector<char> buffer(1 << 14);
    while (lines < count) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            ::close(fd);
            return system_failure(error);
        }
        if (got == 0) break;
        bytes.append(buffer.data(), static_cast<std::size_t>(got));
        for (; scanned < bytes.size(); ++scanned) {
            if (bytes[scanned] == '\n' && ++lines == count) {
                bytes.resize(scanned + 1);
                break;
            }
        }
    }
    ::close(fd);
    return {};
}

ReplacementFile::~ReplacementFile() {
    discard();
}

IoResult ReplacementFile::begin(std::string target, std::string_view head) {
    discard();
    target_ = std::move(target);
    mode_t mode = default_file_mode();
    struct stat info {};
    if (::stat(target_.c_str(), &info) == 0) {
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) return system_failure(errno);
        mode = info.st_mode & 07777;
    }
    remove_abandoned_temporaries(target_);
    std::string name = target_ + std::string(kTemporaryMark) + std::string(kUniqueCharacters, 'X');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return IoResult::failed("cannot create a file in " + directory_of(target_) + ": " +
                                system_error_text(error));
    }
    temporary_ = std::move(name);
    lock_ = fd;
    pending_ = true;
    // Held until the replacement ends; a file system without locks only loses the protection.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    IoResult result;
    if (::fchmod(fd, mode) != 0) result = system_failure(errno);
    if (result) result = write_all(fd, head);
    if (result) result = records_.open(temporary_, OpenMode::append);
    if (!result) discard();
    return result;
}

IoResult ReplacementFile::commit() {
    if (!pending_) return IoResult::failed("no replacement was started");
    IoResult result = records_.sync();
    if (IoResult closed = records_.close(); result && !closed) result = closed;
    if (result && std::rename(temporary_.c_str(), target_.c_str()) != 0) result = system_failure(errno);
    if (!result) {
        discard();
        return result;
    }
    pending_ = false;
    ::close(std::exchange(lock_, -1));
    // Make the rename itself durable; a directory that cannot be synced does not undo it.
    const int directory = ::open(directory_of(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        (void)::fsync(directory);
        ::close(directory);
    }
    return {};
}

void ReplacementFile::discard() noexcept {
    if (!pending_) return;
    (void)records_.close();
    ::unlink(temporary_.c_str());
    ::close(std::exchange(lock_, -1));
    pending_ = false;
}

}  // namespace common
