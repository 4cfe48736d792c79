// Reading colfit's command line.
#include "colfit/arguments.hpp"

#include <charconv>
#include <string_view>

namespace colfit {
namespace {

// A whole number from 1 to `most`.
std::optional<std::size_t> count(std::string_view text, std::size_t most) {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 1 || value > most)
        return std::nullopt;
    return value;
}

}  // namespace

ParsedArguments parse_arguments(int argc, char** argv) {
    ParsedArguments parsed;
    Arguments& a = parsed.arguments;
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        const auto option = [&](std::size_t most) -> std::optional<std::size_t> {
            if (k + 1 >= argc) {
                parsed.error = std::string(argument) + " needs a number";
                return std::nullopt;
            }
            const std::optional<std::size_t> value = count(argv[++k], most);
            if (!value) {
                parsed.error = std::string(argument) + " takes a whole number from 1 to " +
                               std::to_string(most) + ", not '" + argv[k] + "'";
            }
            return value;
        };
        if (argument == "--starts") {
            if (const auto value = option(10000)) a.starts = *value;
        } else if (argument == "--threads") {
            if (const auto value = option(256)) a.threads = static_cast<unsigned>(*value);
        } else if (argument == "--max-iterations") {
            if (const auto value = option(100000)) a.max_iterations = *value;
        } else if (argument.starts_with("--")) {
            parsed.error = "unknown option " + std::string(argument);
        } else if (a.run_directory) {
            parsed.error =
                "more than one run directory: " + *a.run_directory + " and " + std::string(argument);
        } else {
            a.run_directory = std::string(argument);
        }
        if (!parsed.error.empty()) break;
    }
    return parsed;
}

}  // namespace colfit
