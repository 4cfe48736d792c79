#include "common/failure.hpp"

#include <utility>

namespace common {

IoFailure::IoFailure(std::string file, std::string action, std::string cause, std::size_t line,
                     SourceLocation where)
    : std::runtime_error(action + " '" + file + "': " + cause),
      file_(std::move(file)),
      action_(std::move(action)),
      cause_(std::move(cause)),
      line_(line),
      where_(where) {}

AllocationFailure::AllocationFailure(std::string message, SourceLocation where)
    : std::runtime_error(std::move(message)), where_(where) {}

}  // namespace common
