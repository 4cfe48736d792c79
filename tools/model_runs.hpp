#pragma once
// Model runs as a calibration engine and its agents make them: what the control file says about
// the model (its parameters, its command, its template and instruction files), one model run in a
// folder (fill the templates, start the command, read the instructions), and many agents' folders
// running at once.

#include <string>
#include <utility>
#include <vector>

#include "tools/pest_emulation.hpp"

namespace tools {

// A parameter line of a control file, and the parent of a tied parameter.
struct ControlParameter {
    std::string name;            // lower case
    std::string transformation;  // lower case: none, log, fixed or tied
    std::string change_limit;    // lower case: factor or relative
    double value = 0.0;          // the starting value
    double lower = 0.0;
    double upper = 0.0;
    std::string group;   // lower case; the parameter group, which sets its derivative increment
    std::string parent;  // lower case; a tied parameter's parent, empty for the others
};

// What a control file says about its model: parameters, model command lines, and the pairs
// (template, model input) and (instruction file, model output), file names as they stand.
struct ModelInterface {
    std::vector<ControlParameter> parameters;
    std::vector<std::string> commands;
    std::vector<std::pair<std::string, std::string>> templates;
    std::vector<std::pair<std::string, std::string>> instructions;
};

// The sections of a control file in their order: the heading's name in lower case ("* model
// command line" -> "model command line") and the section's lines, blank lines left out. Throws
// std::runtime_error when the file cannot be read.
using ControlSections = std::vector<std::pair<std::string, std::vector<std::string>>>;
ControlSections read_control_sections(const std::string& control_path);

// The lines of the section `name`. Throws std::runtime_error, naming the file, when it has none.
const std::vector<std::string>& control_section(const ControlSections& sections, const std::string& name,
                                                const std::string& control_path);

// Reads the parameter data, the model command line and the model input and output sections
// ("* model input/output", or "* model input" and "* model output") of a control file. Throws
// std::runtime_error when a section is missing or a parameter line cannot be read.
ModelInterface read_model_interface(const std::string& control_path);

// The values of run k (from 1) of a stand-in estimation: every adjustable parameter (none or log)
// at its starting value times 1 + k/1000, kept within its bounds; a tied one at its starting value
// times the ratio by which its parent moved; a fixed one at its starting value.
ParameterValues stand_in_values(const std::vector<ControlParameter>& parameters, int k);

// Starts a model command as a calibration engine on this system does: split at blanks, without a
// shell; a program named with a "/" is found from `folder`, a bare name only in the folders of
// PATH, never in `folder` itself. It runs in `folder` with standard input from /dev/null and its
// console output on the error stream. Returns its exit status (128 + the signal when killed);
// throws std::runtime_error when it cannot be started.
int run_model_command(const std::string& command, const std::string& folder);

// One model run in `folder`: the model inputs written from their templates with `values`, every
// model command run, the observations read through the instruction files. Throws
// std::runtime_error, naming the folder, when a step fails or a command ends with a status other
// than 0.
std::vector<Observation> run_model(const std::string& folder, const ModelInterface& model,
                                   const ParameterValues& values);

// The observations of one run of an agent.
struct AgentRun {
    std::string folder;
    int k = 0;  // run number of the stand-in estimation, from 1
    std::vector<Observation> observations;
    std::string failure;  // empty when the run succeeded
};

// `runs` model runs in each folder, all folders at once (one agent per folder), each folder with
// the control file named `control_name` read from it; the values of run k are stand_in_values,
// k = agent index × runs + round, from 1. Returns the runs in the order of the folders and rounds.
std::vector<AgentRun> run_agents(const std::string& control_name, int runs,
                                 const std::vector<std::string>& folders);

}  // namespace tools
