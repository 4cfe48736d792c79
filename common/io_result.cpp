#include "common/io_result.hpp"

#include "common/failure.hpp"

namespace common {

void require(const IoResult& result, std::string_view file, std::string_view action, SourceLocation where) {
    if (result) return;
    throw IoFailure(std::string(file), std::string(action), result.cause, result.line, where);
}

}  // namespace common
