#include "common/run_directory.hpp"

#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace common {
namespace {

std::string trim_trailing_blanks(std::string text) {
    const std::size_t end = text.find_last_not_of(' ');
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

// A value taken into a blank-padded work field: cut to the field's width.
std::string work_field(std::string_view value, std::size_t width) {
    return std::string(value.substr(0, std::min(value.size(), width)));
}

}  // namespace

std::string RunDirectory::file(std::string_view name) const {
    std::string path = directory;
    path.push_back(separator);
    path.append(name);
    return path;
}

std::string RunDirectory::file(std::string_view folder, std::string_view name) const {
    std::string path = directory;
    path.push_back(separator);
    path.append(folder);
    path.push_back(separator);
    path.append(name);
    return path;
}

Discovery discover_run_directory(const DiscoveryInputs& inputs, std::size_t work_width) {
    Discovery discovery;
    const std::string path = work_field(inputs.path_variable.value_or(""), work_width);
    if (!path.empty() && path[0] == '/') {
        discovery.run.separator = '/';
        discovery.message = "Unix type system, directory separator found";
    } else if (path.size() >= 3 && path[2] == '\\') {
        discovery.run.separator = '\\';
        discovery.message = "Windows type system, directory separator found";
    } else {
        discovery.run.separator = '/';
        discovery.message = "Unix type system, directory separator assummed";
    }

    const std::string argument0 = work_field(inputs.argument0, work_width);
    const std::size_t last = argument0.rfind(discovery.run.separator);
    if (last != std::string::npos) {
        discovery.run.directory = trim_trailing_blanks(argument0.substr(0, last));
    } else {
        const std::optional<std::string> current =
            inputs.current_directory ? inputs.current_directory() : std::nullopt;
        if (current && current->size() <= kRunDirectoryWidth) {
            discovery.run.directory = trim_trailing_blanks(*current);
        }
    }
    return discovery;
}

DiscoveryInputs process_discovery_inputs(int argc, char** argv) {
    DiscoveryInputs inputs;
    if (const char* path = std::getenv("PATH")) inputs.path_variable = path;
    if (argc > 0 && argv[0] != nullptr) inputs.argument0 = argv[0];
    inputs.current_directory = []() -> std::optional<std::string> {
        std::vector<char> buffer(kRunDirectoryWidth + 1);
        if (::getcwd(buffer.data(), buffer.size()) == nullptr) return std::nullopt;
        return std::string(buffer.data());
    };
    return inputs;
}

}  // namespace common
