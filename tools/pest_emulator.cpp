// A stand-in for the calibration engine's file handling, used by the demo:
//   pest_emulator fill <control file> <template> <model input>   writes the model input from the
//       template with the control file's initial parameter values
//   pest_emulator read <instruction file> <model output>         prints "name value" per observation,
//       in the order read
#include <cstdio>
#include <exception>
#include <string>

#include "common/console.hpp"
#include "tools/pest_emulation.hpp"

int main(int argc, char** argv) {
    try {
        const std::string command = argc > 1 ? argv[1] : "";
        if (command == "fill" && argc == 5) {
            tools::write_model_input(argv[3], tools::control_file_initial_values(argv[2]), argv[4]);
            return 0;
        }
        if (command == "read" && argc == 4) {
            for (const auto& observation : tools::read_observations(argv[2], argv[3])) {
                common::console_record(observation.name + " " + observation.text);
            }
            return 0;
        }
        common::error_record("usage: pest_emulator fill <control file> <template> <model input>");
        common::error_record("       pest_emulator read <instruction file> <model output>");
        return 2;
    } catch (const std::exception& error) {
        common::error_record(std::string("pest_emulator: ") + error.what());
        return 1;
    }
}
