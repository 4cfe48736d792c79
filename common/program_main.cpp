#include "common/program_main.hpp"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "common/console.hpp"

namespace common {
namespace {

std::string location_text(const SourceLocation& where) {
    return std::string(where.file_name()) + ":" + std::to_string(where.line()) + " (" +
           where.function_name() + ")";
}

}  // namespace

std::string io_failure_diagnostic(std::string_view program_name, const IoFailure& failure) {
    return std::string(program_name) + ": input/output failure at " + location_text(failure.where()) + ": " +
           failure.action() + " '" + failure.file() + "': " + failure.cause();
}

int run_program(std::string_view program_name, const std::function<ExitStatus()>& body) {
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
