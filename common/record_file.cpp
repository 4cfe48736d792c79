#include "common/record_file.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "common/failure.hpp"

namespace common {
namespace {

constexpr std::size_t kBufferSize = 1 << 16;

IoResult system_failure(int error) {
    return IoResult::failed(system_error_text(error));
}

}  // namespace

std::string system_error_text(int error) {
    return std::strerror(error);
}

RecordFile::RecordFile(RecordFile&& other) noexcept {
    *this = std::move(other);
}

RecordFile& RecordFile::operator=(RecordFile&& other) noexcept {
    if (this != &other) {
        release();
        RecordSource::operator=(other);
        fd_ = std::exchange(other.fd_, -1);
        mode_ = other.mode_;
        path_ = std::move(other.path_);
        in_ = std::move(other.in_);
        in_pos_ = other.in_pos_;
        in_base_ = other.in_base_;
        at_eof_ = other.at_eof_;
        records_read_ = other.records_read_;
        out_ = std::move(other.out_);
        writing_ = other.writing_;
        regular_ = other.regular_;
        write_denied_ = other.write_denied_;
    }
    return *this;
}

RecordFile::~RecordFile() {
    release();
}

void RecordFile::release() noexcept {
    if (fd_ >= 0) {
        (void)flush();
        ::close(fd_);
        fd_ = -1;
    }
}

void RecordFile::reset_input() noexcept {
    in_.clear();
    in_pos_ = 0;
    in_base_ = 0;
    at_eof_ = false;
    records_read_ = 0;
}

IoResult RecordFile::open(std::string path, OpenMode mode) {
    release();
    path_ = std::move(path);
    mode_ = mode;
    reset_input();
    forget_warnings();
    out_.clear();
    writing_ = false;
    regular_ = true;
    write_denied_ = 0;
    int fd = -1;
    switch (mode) {
        case OpenMode::existing:
            fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
            break;
        case OpenMode::any:
        case OpenMode::append: {
            const int extra = mode == OpenMode::append ? O_APPEND : 0;
            fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | extra, 0666);
            // An existing file without write permission is still opened, for reading; a write
            // to it then fails where it is made, for the reason the system gave here. A file that
            // cannot be opened at all is reported for that reason too (a folder without write
            // permission, not a missing file).
            if (fd < 0 && errno == EACCES) {
                fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | extra);
                if (fd >= 0) write_denied_ = EACCES;
                errno = EACCES;
            }
            break;
        }
    }
    if (fd < 0) return system_failure(errno);
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            ::close(fd);
            return system_failure(EISDIR);
        }
        regular_ = S_ISREG(info.st_mode);
    }
    fd_ = fd;
    return {};
}

RecordFile RecordFile::open_or_fail(std::string path, OpenMode mode, SourceLocation where) {
    RecordFile file;
    const IoResult result = file.open(path, mode);
    if (!result) throw IoFailure(std::move(path), "cannot open", result.cause, 0, where);
    return file;
}

IoResult RecordFile::fill() {
    if (in_pos_ > 0) {
        in_base_ += static_cast<long long>(in_pos_);
        in_.erase(0, in_pos_);
        in_pos_ = 0;
    }
    const std::size_t old_size = in_.size();
    in_.resize(old_size + kBufferSize);
    ssize_t got;
    do {
        got = ::read(fd_, in_.data() + old_size, kBufferSize);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        const int error = errno;
        in_.resize(old_size);
        return system_failure(error);
    }
    in_.resize(old_size + static_cast<std::size_t>(got));
    if (got == 0) at_eof_ = true;
    return {};
}

// At the start of the file: passes over a byte-order mark. A read failure here is met again, and
// reported, by the read of the record.
void RecordFile::skip_byte_order_mark() {
    while (in_.size() < kByteOrderMark.size() && !at_eof_) {
        const std::size_t before = in_.size();
        if (!fill() || (in_.size() == before && !at_eof_)) return;
    }
    if (std::string_view(in_).starts_with(kByteOrderMark)) in_pos_ = kByteOrderMark.size();
}

IoResult RecordFile::read_record(std::string& record) {
    if (fd_ < 0) return IoResult::failed("the file is not open");
    if (writing_) {
        // The file ends after the last record written.
        if (IoResult result = flush(); !result) return result;
        writing_ = false;
        at_eof_ = true;
        return IoResult::end_of_file();
    }
    if (in_base_ == 0 && in_pos_ == 0) skip_byte_order_mark();
    std::size_t scanned = in_pos_;
    while (true) {
        const std::size_t newline = in_.find('\n', scanned);
        if (newline != std::string::npos) {
            std::size_t end = newline;
            if (end > in_pos_ && in_[end - 1] == '\r') --end;
            record.assign(in_, in_pos_, end - in_pos_);
            in_pos_ = newline + 1;
            ++records_read_;
            return {};
        }
        if (at_eof_) {
            if (in_pos_ == in_.size()) return IoResult::end_of_file();
            record.assign(in_, in_pos_, std::string::npos);
            in_pos_ = in_.size();
            ++records_read_;
            return {};
        }
        const std::size_t unread = in_.size() - in_pos_;
        if (IoResult result = fill(); !result) return result;
        scanned = in_pos_ + unread;  // fill() moves the unread bytes to the front
    }
}

IoResult RecordFile::start_writing() {
    if (write_denied_ != 0) return system_failure(write_denied_);
    if (mode_ != OpenMode::append && regular_) {
        // The file ends where this record begins.
        const long long position = in_base_ + static_cast<long long>(in_pos_);
        if (::lseek(fd_, position, SEEK_SET) < 0 || ::ftruncate(fd_, position) != 0) {
            return system_failure(errno);
        }
        in_base_ = position;
    }
    in_.clear();
    in_pos_ = 0;
    at_eof_ = true;
    writing_ = true;
    return {};
}

IoResult RecordFile::write_record(std::string_view text) {
    if (fd_ < 0) return IoResult::failed("the file is not open");
    if (!writing_) {
        if (IoResult result = start_writing(); !result) return result;
    }
    out_.append(text);
    out_.append("\r\n");
    in_base_ += static_cast<long long>(text.size() + 2);
    if (out_.size() >= kBufferSize) return flush();
    return {};
}

IoResult RecordFile::end_incomplete_record() {
    if (fd_ < 0) return IoResult::failed("the file is not open");
    struct stat info {};
    if (mode_ != OpenMode::append || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size == 0)
        return {};
    char last = '\n';
    if (::pread(fd_, &last, 1, info.st_size - 1) != 1 || last == '\n') return {};
    if (!writing_) {
        if (IoResult result = start_writing(); !result) return result;
    }
    out_.append(last == '\r' ? "\n" : "\r\n");
    return {};
}

IoResult RecordFile::flush() {
    std::size_t done = 0;
    while (done < out_.size()) {
        const ssize_t put = ::write(fd_, out_.data() + done, out_.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            out_.clear();
            return system_failure(error);
        }
        done += static_cast<std::size_t>(put);
    }
    out_.clear();
    return {};
}

IoResult RecordFile::sync() {
    if (fd_ < 0) return IoResult::failed("the file is not open");
    if (IoResult result = flush(); !result) return result;
    if (::fsync(fd_) != 0) return system_failure(errno);
    return {};
}

IoResult RecordFile::rewind() {
    if (fd_ < 0) return IoResult::failed("the file is not open");
    IoResult result = flush();
    writing_ = false;
    reset_input();
    if (::lseek(fd_, 0, SEEK_SET) < 0 && result) result = system_failure(errno);
    return result;
}

IoResult RecordFile::close() {
    if (fd_ < 0) return {};
    IoResult result = flush();
    if (::close(fd_) != 0 && result) result = system_failure(errno);
    fd_ = -1;
    return result;
}

IoResult RecordFile::lock_exclusive() {
    if (fd_ < 0) return IoResult::failed("the file is not open");
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) return system_failure(errno);
    }
    return {};
}

IoResult RecordFile::unlock() {
    if (fd_ < 0) return IoResult::failed("the file is not open");
    if (IoResult result = flush(); !result) return result;
    if (::flock(fd_, LOCK_UN) != 0) return system_failure(errno);
    return {};
}

}  // namespace common
