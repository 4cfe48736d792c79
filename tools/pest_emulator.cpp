// A stand-in for the calibration engine's file handling and model runs, used by the demo and the
// tests:
//   pest_emulator fill <control file or .par file> <template> <model input>
//       writes the model input from the template with the control file's starting values, or with
//       the values of a parameter value file (the best values an estimation found)
//   pest_emulator read <instruction file> <model output>
//       prints "name value" per observation, in the order read
//   pest_emulator agents <control file name> <runs> <agent folder>...
//       as a manager with one agent per folder, all at once: in each folder <runs> model runs with
//       the control file of that name (fill the templates, start the model command as the engine
//       does, read the instructions); prints "run <folder> <k>" and the observations of each run,
//       in the order of the folders and runs
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/console.hpp"
#include "tools/model_runs.hpp"
#include "tools/pest_emulation.hpp"

namespace {

int run_agents_command(int argc, char** argv) {
    const int runs = std::atoi(argv[3]);
    if (runs < 1) throw std::runtime_error(std::string("not a number of runs: ") + argv[3]);
    const std::vector<std::string> folders(argv + 4, argv + argc);
    int status = 0;
    for (const tools::AgentRun& run : tools::run_agents(argv[2], runs, folders)) {
        if (!run.failure.empty()) {
            common::error_record("pest_emulator: run " + std::to_string(run.k) + ": " + run.failure);
            status = 1;
            continue;
        }
        common::console_record("run " + run.folder + " " + std::to_string(run.k));
        for (const auto& observation : run.observations) {
            common::console_record(observation.name + " " + observation.text);
        }
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string command = argc > 1 ? argv[1] : "";
        if (command == "fill" && argc == 5) {
            tools::write_model_input(argv[3], tools::model_input_values(argv[2]), argv[4]);
            return 0;
        }
        if (command == "read" && argc == 4) {
            for (const auto& observation : tools::read_observations(argv[2], argv[3])) {
                common::console_record(observation.name + " " + observation.text);
            }
            return 0;
        }
        if (command == "agents" && argc >= 5) return run_agents_command(argc, argv);
        common::error_record(
            "usage: pest_emulator fill <control file or .par file> <template> <model input>");
        common::error_record("       pest_emulator read <instruction file> <model output>");
        common::error_record("       pest_emulator agents <control file name> <runs> <agent folder>...");
        return 2;
    } catch (const std::exception& error) {
        common::error_record(std::string("pest_emulator: ") + error.what());
        return 1;
    }
}
