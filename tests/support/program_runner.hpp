#pragma once
// Runs one of the real programs as a user or a calibration engine would: in a chosen working
// directory, with a chosen argument 0 and PATH, some text on standard input, and both output
// streams captured.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

struct ProgramRun {
    int status = -1;  // exit status, or 128 + signal number
    std::string out;  // standard output
    std::string err;  // error stream
    bool timed_out = false;
};

struct ProgramOptions {
    std::filesystem::path executable;         // the file to run
    std::string argument0;                    // argv[0]; the executable's path when empty
    std::vector<std::string> arguments;       // further arguments
    std::filesystem::path working_directory;  // current directory of the run; unchanged when empty
    std::optional<std::string> path_variable = std::string("/usr/local/bin:/usr/bin:/bin");  // nullopt: unset
    std::string input;          // standard input (closed after it)
    int input_descriptor = -1;  // when set, standard input reads this descriptor instead of `input`
    std::optional<std::uint64_t> file_size_limit;  // the process's limit on the size of files it writes
    std::chrono::seconds timeout{120};
    bool permissions_bind = false;  // as the superuser, run without the capabilities that
                                    // override file permissions (see permissions.hpp)
};

ProgramRun run_program(const ProgramOptions& options);

// The argument and environment vectors of one start of a program, as execve takes them: the
// options' arguments after argument 0, the caller's environment with PATH as the options say,
// and the extra settings ("NAME=value") in place of the caller's ones of the same names.
class ExecVectors {
  public:
    ExecVectors(const ProgramOptions& options, const std::vector<std::string>& extra_environment = {});
    ExecVectors(const ExecVectors&) = delete;
    ExecVectors& operator=(const ExecVectors&) = delete;

    char* const* argv() { return argv_.data(); }
    char* const* envp() { return envp_.data(); }

  private:
    std::vector<std::string> argv_text_;
    std::vector<std::string> env_text_;
    std::vector<char*> argv_;
    std::vector<char*> envp_;
};

// The path of a built program: build/bin/<name>.
std::filesystem::path built_program(const std::string& name);

}  // namespace test_support
