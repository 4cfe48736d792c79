#include "tests/support/program_runner.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/permissions.hpp"

extern char** environ;

namespace test_support {
namespace {

void close_pipe(int (&fds)[2]) {
    for (int& fd : fds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

}  // namespace

ExecVectors::ExecVectors(const ProgramOptions& options, const std::vector<std::string>& extra_environment) {
    argv_text_.push_back(options.argument0.empty() ? options.executable.string() : options.argument0);
    argv_text_.insert(argv_text_.end(), options.arguments.begin(), options.arguments.end());
    const auto replaced = [&](const char* entry) {
        const auto same_name = [entry](const std::string& setting) {
            const std::size_t name_end = setting.find('=') + 1;
            return std::strncmp(entry, setting.c_str(), name_end) == 0;
        };
        return std::strncmp(entry, "PATH=", 5) == 0 ||
               std::any_of(extra_environment.begin(), extra_environment.end(), same_name);
    };
    for (char** e = environ; *e != nullptr; ++e) {
        if (!replaced(*e)) env_text_.emplace_back(*e);
    }
    if (options.path_variable) env_text_.push_back("PATH=" + *options.path_variable);
    env_text_.insert(env_text_.end(), extra_environment.begin(), extra_environment.end());
    for (std::string& arg : argv_text_) argv_.push_back(arg.data());
    argv_.push_back(nullptr);
    for (std::string& e : env_text_) envp_.push_back(e.data());
    envp_.push_back(nullptr);
}

std::filesystem::path built_program(const std::string& name) {
    return std::filesystem::path(CT_BIN_DIR) / name;
}

ProgramRun run_program(const ProgramOptions& options) {
    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (::pipe2(in_pipe, O_CLOEXEC) != 0 || ::pipe2(out_pipe, O_CLOEXEC) != 0 ||
        ::pipe2(err_pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const std::string executable = options.executable.string();
    ExecVectors vectors(options);

    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(options.input_descriptor >= 0 ? options.input_descriptor : in_pipe[0], 0);
        if (options.file_size_limit) {
            const rlimit limit{*options.file_size_limit, *options.file_size_limit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(124);
            ::signal(SIGXFSZ, SIG_DFL);
        }
        ::dup2(out_pipe[1], 1);
        ::dup2(err_pipe[1], 2);
        if (!options.working_directory.empty() && ::chdir(options.working_directory.c_str()) != 0) _exit(126);
        if (options.permissions_bind && !drop_permission_override_for_exec()) _exit(125);
        ::execve(executable.c_str(), vectors.argv(), vectors.envp());
        _exit(127);
    }
    ::close(in_pipe[0]);
    in_pipe[0] = -1;
    ::close(out_pipe[1]);
    out_pipe[1] = -1;
    ::close(err_pipe[1]);
    err_pipe[1] = -1;

    ProgramRun run;
    std::size_t written = 0;
    if (options.input.empty() || options.input_descriptor >= 0) close_pipe(in_pipe);
    const auto deadline = std::chrono::steady_clock::now() + options.timeout;
    bool out_open = true, err_open = true;
    ::signal(SIGPIPE, SIG_IGN);
    while (out_open || err_open) {
        pollfd fds[3];
        nfds_t count = 0;
        if (out_open) fds[count++] = {out_pipe[0], POLLIN, 0};
        if (err_open) fds[count++] = {err_pipe[0], POLLIN, 0};
        if (in_pipe[1] >= 0) fds[count++] = {in_pipe[1], POLLOUT, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            run.timed_out = true;
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, count, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
        for (nfds_t k = 0; k < count; ++k) {
            if (fds[k].revents == 0) continue;
            if (fds[k].fd == in_pipe[1]) {
                const ssize_t put =
                    ::write(in_pipe[1], options.input.data() + written, options.input.size() - written);
                if (put > 0) written += static_cast<std::size_t>(put);
                if (put < 0 || written == options.input.size()) close_pipe(in_pipe);
                continue;
            }
            char buffer[65536];
            const ssize_t got = ::read(fds[k].fd, buffer, sizeof buffer);
            std::string& sink = fds[k].fd == out_pipe[0] ? run.out : run.err;
            if (got > 0) {
                sink.append(buffer, static_cast<std::size_t>(got));
            } else {
                (fds[k].fd == out_pipe[0] ? out_open : err_open) = false;
            }
        }
    }
    close_pipe(in_pipe);
    close_pipe(out_pipe);
    close_pipe(err_pipe);
    int wait_status = 0;
    ::waitpid(pid, &wait_status, 0);
    if (WIFEXITED(wait_status)) {
        run.status = WEXITSTATUS(wait_status);
    } else if (WIFSIGNALED(wait_status)) {
        run.status = 128 + WTERMSIG(wait_status);
    }
    return run;
}

}  // namespace test_support
