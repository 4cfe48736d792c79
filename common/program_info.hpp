#pragma once
// The --help and --version arguments that every program answers without touching any file. Any
// other argument is ignored.

#include <optional>
#include <string_view>

#include "common/failure.hpp"

namespace common {

struct ProgramInfo {
    std::string_view name;
    std::string_view help;  // the usage text, lines separated by '\n'
};

// When the first argument is --help or --version, writes the answer on standard output and
// returns success; otherwise nullopt and the program runs as usual.
std::optional<ExitStatus> answer_info_arguments(int argc, char** argv, const ProgramInfo& info);

}  // namespace common
