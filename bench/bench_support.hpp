#pragma once
// Timing helpers shared by the benchmarks.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "common/cpu_time.hpp"

extern char** environ;

namespace bench {

// CPU seconds (user and system) of this process so far.
inline double cpu_seconds() {
    return common::process_cpu_time();
}

// CPU seconds (user and system) of one coltrans run in `run`, from its start to its end. The
// program is spawned without copying this process, so that only its own work is counted.
inline double program_cpu_seconds(const std::filesystem::path& run) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, run.c_str());  // the message file goes there
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string program = "./coltrans";
    char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, arguments, environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "coltrans failed in %s\n", run.c_str());
        std::exit(1);
    }
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace bench
