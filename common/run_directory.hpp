#pragma once
// The run directory and the path separator, decided once at start-up. Every file a program uses
// is named from them: the run directory with its trailing blanks removed, the separator, the name.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace common {

// Widths of the work fields that hold the value of PATH and argument 0.
inline constexpr std::size_t kSimulatorWorkWidth = 255;
inline constexpr std::size_t kGeneratorWorkWidth = 250;
// Width of the run directory field.
inline constexpr std::size_t kRunDirectoryWidth = 255;

struct RunDirectory {
    std::string directory;  // trailing blanks removed; empty for the root directory
    char separator = '/';

    // run directory, separator, name
    std::string file(std::string_view name) const;
    // run directory, separator, folder, separator, name
    std::string file(std::string_view folder, std::string_view name) const;
};

struct Discovery {
    RunDirectory run;
    std::string message;  // the console text that reports the separator
};

// The platform inputs of the discovery: the value of PATH (nullopt when the variable is not set),
// argument 0, and a way to ask for the current working directory (nullopt when it cannot be had).
struct DiscoveryInputs {
    std::optional<std::string> path_variable;
    std::string argument0;
    std::function<std::optional<std::string>()> current_directory;
};

Discovery discover_run_directory(const DiscoveryInputs& inputs, std::size_t work_width);

// The inputs of this process.
DiscoveryInputs process_discovery_inputs(int argc, char** argv);

}  // namespace common
