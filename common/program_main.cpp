#include "common/program_main.hpp"

#include <csignal>
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "common/console.hpp"

namespace common {
namespace {

// The source location as file:line, the file named from the top of the source tree.
std::string location_text(const SourceLocation& where) {
    std::string_view file = where.file_name();
#if defined(CT_SOURCE_ROOT)
    if (file.starts_with(CT_SOURCE_ROOT)) file.remove_prefix(std::string_view(CT_SOURCE_ROOT).size());
#endif
    return std::string(file) + ":" + std::to_string(where.line());
}

}  // namespace

std::string io_failure_diagnostic(std::string_view program_name, const IoFailure& failure) {
    std::string text = std::string(program_name) + ": input/output failure at " +
                       location_text(failure.where()) + ": " + failure.action() + " '" + failure.file() + "'";
    if (failure.line() > 0) text += ", line " + std::to_string(failure.line());
    return text + ": " + failure.cause();
}

int run_program(std::string_view program_name, const std::function<ExitStatus()>& body) {
    // A file that reaches the process's file-size limit fails to be written, as on a full disk,
    // instead of the signal ending the program part way through a record.
    std::signal(SIGXFSZ, SIG_IGN);
    ExitStatus status;
    try {
        status = body();
    } catch (const ProgramEnd& end) {
        status = end.status();
    } catch (const IoFailure& failure) {
        std::fflush(stdout);
        error_record(io_failure_diagnostic(program_name, failure));
        status = ExitStatus::io_failure;
    } catch (const AllocationFailure& failure) {
        std::fflush(stdout);
        error_record(std::string(program_name) + ": allocation failed at " + location_text(failure.where()));
        error_record(failure.what());
        status = ExitStatus::io_failure;
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        error_record(std::string(program_name) + ": Allocation would exceed memory limit");
        status = ExitStatus::io_failure;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        error_record(std::string(program_name) + ": internal error: " + error.what());
        status = ExitStatus::io_failure;
    }
    std::fflush(stdout);
    return static_cast<int>(status);
}

}  // namespace common
