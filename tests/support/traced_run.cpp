#include "tests/support/traced_run.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/user.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace test_support {
namespace {

// The system calls by which a program can change what a file holds or which files exist.
bool changes_files(unsigned long long number) {
    static const std::vector<long> kCalls = {
        SYS_write,    SYS_writev,    SYS_pwrite64, SYS_pwritev,         SYS_openat,   SYS_renameat2,
        SYS_unlinkat, SYS_ftruncate, SYS_truncate, SYS_fchmod,          SYS_fchmodat, SYS_linkat,
        SYS_mkdirat,  SYS_fallocate, SYS_sendfile, SYS_copy_file_range, SYS_fsync,    SYS_fdatasync,
#ifdef SYS_open
        SYS_open,
#endif
#ifdef SYS_creat
        SYS_creat,
#endif
#ifdef SYS_rename
        SYS_rename,
#endif
#ifdef SYS_renameat
        SYS_renameat,
#endif
#ifdef SYS_unlink
        SYS_unlink,
#endif
#ifdef SYS_link
        SYS_link,
#endif
#ifdef SYS_mkdir
        SYS_mkdir,
#endif
#ifdef SYS_pwritev2
        SYS_pwritev2,
#endif
#ifdef SYS_openat2
        SYS_openat2,
#endif
    };
    for (const long call : kCalls) {
        if (static_cast<unsigned long long>(call) == number) return true;
    }
    return false;
}

bool is_plain_write(unsigned long long number) {
    return number == static_cast<unsigned long long>(SYS_write) ||
           number == static_cast<unsigned long long>(SYS_pwrite64);
}

// Cuts the byte count of the write that the stopped program is about to make to half.
bool cut_write_short(pid_t pid) {
#if defined(__x86_64__)
    user_regs_struct regs{};
    if (::ptrace(PTRACE_GETREGS, pid, nullptr, &regs) != 0) return false;
    if (regs.rdx < 2) return false;
    regs.rdx /= 2;
    return ::ptrace(PTRACE_SETREGS, pid, nullptr, &regs) == 0;
#else
    (void)pid;
    return false;
#endif
}

// VmHWM of a stopped program, in kB.
long peak_resident_kb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

// Leak checking of a sanitized build is off, since it needs to trace the program itself.
std::string leak_checking_off() {
    const char* options = std::getenv("ASAN_OPTIONS");
    return options == nullptr ? "ASAN_OPTIONS=detect_leaks=0"
                              : "ASAN_OPTIONS=" + std::string(options) + ":detect_leaks=0";
}

pid_t start(const ProgramOptions& options, bool traced) {
    const std::string executable = options.executable.string();
    ExecVectors vectors(options, {leak_checking_off()});

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        if (!options.working_directory.empty() && ::chdir(options.working_directory.c_str()) != 0) _exit(126);
        if (traced && ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(125);
        ::execve(executable.c_str(), vectors.argv(), vectors.envp());
        _exit(127);
    }
    return pid;
}

double cpu_seconds_of(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

int wait_for(pid_t pid, rusage& usage) {
    int status = 0;
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error("wait4 failed");
    }
    return status;
}

}  // namespace

bool tracing_available() {
    static const bool available = [] {
        const pid_t pid = ::fork();
        if (pid < 0) return false;
        if (pid == 0) {
            if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(1);
            ::raise(SIGSTOP);
            _exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFSTOPPED(status)) return false;
        // The calls are told apart by PTRACE_GET_SYSCALL_INFO (Linux 5.3 on).
        __ptrace_syscall_info info{};
        const bool calls_known = ::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) > 0;
        ::ptrace(PTRACE_DETACH, pid, nullptr, nullptr);
        ::waitpid(pid, &status, 0);
        return calls_known;
    }();
    return available;
}

TracedRun run_traced(const ProgramOptions& options, std::size_t kill_at, KillPoint point) {
    TracedRun run;
    const pid_t pid = start(options, true);
    rusage usage{};
    int status = wait_for(pid, usage);  // stopped at the start of the program
    if (!WIFSTOPPED(status)) throw std::runtime_error("the program could not be traced");
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL | PTRACE_O_TRACEEXIT);

    bool cut_pending = false;
    int deliver = 0;
    while (true) {
        ::ptrace(PTRACE_SYSCALL, pid, nullptr, deliver);
        deliver = 0;
        status = wait_for(pid, usage);
        if (WIFEXITED(status) || WIFSIGNALED(status)) break;
        if (!WIFSTOPPED(status)) continue;
        const int signal = WSTOPSIG(status);
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
            run.peak_rss_kb = peak_resident_kb(pid);
            continue;
        }
        if (signal != (SIGTRAP | 0x80)) {
            if (signal != SIGTRAP) deliver = signal;
            continue;
        }
        __ptrace_syscall_info info{};
        if (::ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof info, &info) <= 0) {
            throw std::runtime_error("PTRACE_GET_SYSCALL_INFO failed");
        }
        bool kill_now = false;
        if (info.op == PTRACE_SYSCALL_INFO_EXIT && cut_pending) {
            kill_now = true;
            run.write_cut = true;
        } else if (info.op == PTRACE_SYSCALL_INFO_ENTRY && changes_files(info.entry.nr)) {
            ++run.file_calls;
            if (is_plain_write(info.entry.nr)) run.writes.push_back(run.file_calls);
            if (run.file_calls == kill_at) {
                if (point == KillPoint::within_write && is_plain_write(info.entry.nr) &&
                    cut_write_short(pid)) {
                    cut_pending = true;
                } else {
                    kill_now = true;
                }
            }
        }
        if (kill_now) {
            ::kill(pid, SIGKILL);
            run.killed = true;
            // The kill ends the program at once; collect it.
            while (true) {
                status = wait_for(pid, usage);
                if (WIFEXITED(status) || WIFSIGNALED(status)) break;
                ::ptrace(PTRACE_CONT, pid, nullptr, 0);
            }
            break;
        }
    }
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.status = 128 + WTERMSIG(status);
    run.cpu_seconds = cpu_seconds_of(usage);
    return run;
}

TracedRun measure_run(const ProgramOptions& options) {
    if (tracing_available()) return run_traced(options);
    TracedRun run;
    rusage usage{};
    const int status = wait_for(start(options, false), usage);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.status = 128 + WTERMSIG(status);
    run.cpu_seconds = cpu_seconds_of(usage);
    run.peak_rss_kb = usage.ru_maxrss;
    return run;
}

}  // namespace test_support
