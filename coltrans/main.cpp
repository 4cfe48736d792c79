#include "coltrans/entry.hpp"
#include "common/program_info.hpp"
#include "common/program_main.hpp"

namespace {

constexpr std::string_view kHelp = R"(Usage: coltrans [--help | --version]

Simulates colloid and virus transport through a soil column, or batch sorption kinetics.
Everything is read from input.txt in the folder that holds the program (not the current folder):
line 1 is the mode (0-10 even: instantaneous injection, 1-11 odd: broad pulse, any other value:
sorption), lines 2 to 16 the parameters and accuracy settings, then one pair of numbers per line.

Writes:  print.txt beside the program (three heading lines, then one tab-separated line per point)
         ../Saved_Simulations/Total_Runs1.txt (a block appended per run; the folder must exist)
         fort.9 in the current folder (messages of the transport models and the integrators)

Exit status: 0 the run finished; 1 a reported failure ended the run (the console or fort.9 says
which); 2 an input or output failure without a handler (a diagnostic names the file and cause).)";

}  // namespace

int main(int argc, char** argv) {
    return common::run_program("coltrans", [&] {
        if (const auto answered = common::answer_info_arguments(argc, argv, {"coltrans", kHelp}))
            return *answered;
        return coltrans::run(argc, argv);
    });
}
