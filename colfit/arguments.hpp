#pragma once
// colfit's command line: [--starts N] [--threads N] [--max-iterations N] [RUN_DIR]. RUN_DIR
// defaults to the folder that holds the program, as for the other programs.

#include <cstddef>
#include <optional>
#include <string>

namespace colfit {

struct Arguments {
    std::optional<std::string> run_directory;
    std::size_t starts = 1;  // fits from the initial values and starts - 1 Latin hypercube points
    unsigned threads = 0;    // 0: one per core
    std::size_t max_iterations = 100;
};

// The arguments after the program's name; the text of what is wrong when they cannot be used.
struct ParsedArguments {
    Arguments arguments;
    std::string error;
};

ParsedArguments parse_arguments(int argc, char** argv);

}  // namespace colfit
