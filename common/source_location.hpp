#pragma once
// The source location that failures carry: std::source_location where the standard library
// provides it, otherwise the same information from the compiler's builtins.

#include <source_location>

namespace common {

#if defined(__cpp_lib_source_location)
using SourceLocation = std::source_location;
#else
class SourceLocation {
  public:
    static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                            unsigned line = __builtin_LINE(),
                                            const char* function = __builtin_FUNCTION()) noexcept {
        SourceLocation location;
        location.file_ = file;
        location.line_ = line;
        location.function_ = function;
        return location;
    }
    constexpr const char* file_name() const noexcept { return file_; }
    constexpr unsigned line() const noexcept { return line_; }
    constexpr const char* function_name() const noexcept { return function_; }

  private:
    const char* file_ = "";
    unsigned line_ = 0;
    const char* function_ = "";
};
#endif

}  // namespace common
