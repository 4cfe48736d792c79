#include "common/program_info.hpp"

#include <string>

#include "common/console.hpp"

namespace common {

std::optional<ExitStatus> answer_info_arguments(int argc, char** argv, const ProgramInfo& info) {
    if (argc < 2 || argv[1] == nullptr) return std::nullopt;
    const std::string_view argument = argv[1];
    if (argument == "--version") {
        console_record(std::string(info.name) + " " + CT_VERSION);
        return ExitStatus::success;
    }
    if (argument == "--help") {
        std::string_view text = info.help;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            console_record(text.substr(0, end));
            if (end == std::string_view::npos) break;
            text.remove_prefix(end + 1);
        }
        return ExitStatus::success;
    }
    return std::nullopt;
}

}  // namespace common
