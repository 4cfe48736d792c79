#pragma once
// How a run ends. Everything that ends a program early travels as an exception up to main, which
// alone turns it into a message and an exit status (see program_main.hpp).

#include <cstddef>
#include <stdexcept>
#include <string>
#include "common/source_location.hpp"

namespace common {

// The exit statuses of all three programs.
enum class ExitStatus : int {
    success = 0,          // the program finished its job
    handled_failure = 1,  // a failure the program reports itself ended the run without complete results
    io_failure = 2,       // an input or output statement without a handler of its own failed
};

// An input or output statement without a handler failed: names the file, the line of it where there
// is one (0 otherwise), what was being done and why.
class IoFailure : public std::runtime_error {
  public:
    IoFailure(std::string file, std::string action, std::string cause, std::size_t line = 0,
              SourceLocation where = SourceLocation::current());

    const std::string& file() const noexcept { return file_; }
    const std::string& action() const noexcept { return action_; }
    const std::string& cause() const noexcept { return cause_; }
    std::size_t line() const noexcept { return line_; }
    const SourceLocation& where() const noexcept { return where_; }

  private:
    std::string file_;
    std::string action_;
    std::string cause_;
    std::size_t line_;
    SourceLocation where_;
};

// A work array could not be allocated. The message is one of the three allocation texts.
class AllocationFailure : public std::runtime_error {
  public:
    AllocationFailure(std::string message, SourceLocation where);
    const SourceLocation& where() const noexcept { return where_; }

  private:
    SourceLocation where_;
};

// The program ends at once after a handled failure: a stop, or a pause answered with anything but
// "go". Whatever had to be said has been said already.
class ProgramEnd : public std::exception {
  public:
    explicit ProgramEnd(ExitStatus status = ExitStatus::handled_failure) noexcept : status_(status) {}
    ExitStatus status() const noexcept { return status_; }
    const char* what() const noexcept override { return "program ended"; }

  private:
    ExitStatus status_;
};

}  // namespace common
