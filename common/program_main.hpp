#pragma once
// The one place that turns the end of a run into its message and exit status.

#include <functional>
#include <string_view>

#include "common/failure.hpp"

namespace common {

// Runs the program body and returns the exit status:
//  - the body's own status when it returns (success, or handled_failure when it reported one);
//  - handled_failure when a stop or a declined pause ended it (ProgramEnd);
//  - io_failure, with the diagnostic on the error stream, for an unhandled input or output failure
//    (IoFailure), a failed allocation, or any other unexpected error.
// The signal of the file-size limit is ignored while the body runs, so that a write beyond the limit
// fails as a write to a full disk does.
int run_program(std::string_view program_name, const std::function<ExitStatus()>& body);

// The diagnostic that run_program writes for an unhandled input or output failure: the program, our
// source location as file:line, the action, the file, the line of the file where there is one, and
// the cause.
std::string io_failure_diagnostic(std::string_view program_name, const IoFailure& failure);

}  // namespace common
