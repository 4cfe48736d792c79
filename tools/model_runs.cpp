#include "tools/model_runs.hpp"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "common/list_input.hpp"
#include "common/record_file.hpp"
#include "tools/words.hpp"

namespace tools {
namespace {

// The name of a section heading ("* model command line" -> "model command line"), or "" for a
// line that is not a heading.
std::string heading_name(const std::string& line) {
    const std::vector<std::string> w = words(line);
    if (w.empty() || w[0][0] != '*') return "";
    std::string name = w[0].substr(1);
    for (std::size_t k = 1; k < w.size(); ++k) name += (name.empty() ? "" : " ") + w[k];
    return lower(name);
}

double real_field(const std::string& word, const std::string& line) {
    double value = 0.0;
    if (!common::parse_real(word, value))
        throw std::runtime_error("bad number in the parameter line '" + line + "'");
    return value;
}

// Pairs of file names, one pair per line.
std::vector<std::pair<std::string, std::string>> file_pairs(const std::vector<std::string>& lines) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const std::string& line : lines) {
        const std::vector<std::string> w = words(line);
        if (w.size() < 2)
            throw std::runtime_error("a model input or output line names two files: '" + line + "'");
        pairs.emplace_back(w[0], w[1]);
    }
    return pairs;
}

// The file a bare program name stands for: the first executable of that name in the folders of
// PATH, or "" when there is none.
std::string found_in_path(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string folders = path == nullptr ? "" : path;
    for (std::size_t start = 0; start <= folders.size();) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

}  // namespace

ControlSections read_control_sections(const std::string& control_path) {
    ControlSections out;
    for (const std::string& record : read_records(control_path)) {
        const std::string name = heading_name(record);
        if (!name.empty()) {
            out.push_back({name, {}});
        } else if (!out.empty() && !words(record).empty()) {
            out.back().second.push_back(record);
        }
    }
    return out;
}

const std::vector<std::string>& control_section(const ControlSections& all, const std::string& name,
                                                const std::string& control_path) {
    for (const auto& [heading, lines] : all) {
        if (heading == name) return lines;
    }
    throw std::runtime_error(control_path + ": no section '* " + name + "'");
}

ModelInterface read_model_interface(const std::string& control_path) {
    const ControlSections all = read_control_sections(control_path);
    ModelInterface model;
    for (const std::string& line : control_section(all, "parameter data", control_path)) {
        const std::vector<std::string> w = words(line);
        if (w.size() == 2) {  // a tied parameter and its parent
            for (ControlParameter& p : model.parameters) {
                if (p.name == lower(w[0])) p.parent = lower(w[1]);
            }
            continue;
        }
        if (w.size() < 6) throw std::runtime_error(control_path + ": bad parameter line '" + line + "'");
        model.parameters.push_back({lower(w[0]), lower(w[1]), lower(w[2]), real_field(w[3], line),
                                    real_field(w[4], line), real_field(w[5], line),
                                    w.size() > 6 ? lower(w[6]) : "", ""});
    }
    for (const std::string& line : control_section(all, "model command line", control_path)) {
        model.commands.push_back(line.substr(line.find_first_not_of(" \t")));
        model.commands.back().erase(model.commands.back().find_last_not_of(" \t") + 1);
    }
    const bool combined =
        std::any_of(all.begin(), all.end(), [](const auto& s) { return s.first == "model input/output"; });
    if (combined) {
        const auto pairs = file_pairs(control_section(all, "model input/output", control_path));
        for (const auto& [first, second] : pairs) {
            (lower(first).ends_with(".ins") ? model.instructions : model.templates)
                .emplace_back(first, second);
        }
    } else {
        model.templates = file_pairs(control_section(all, "model input", control_path));
        model.instructions = file_pairs(control_section(all, "model output", control_path));
    }
    return model;
}

ParameterValues stand_in_values(const std::vector<ControlParameter>& parameters, int k) {
    ParameterValues values;
    const double factor = 1.0 + k / 1000.0;
    for (const ControlParameter& p : parameters) {
        double value = p.value;
        if (p.transformation == "none" || p.transformation == "log")
            value = std::clamp(p.value * factor, std::min(p.lower, p.upper), std::max(p.lower, p.upper));
        values[p.name] = value;
    }
    for (const ControlParameter& p : parameters) {
        if (p.transformation != "tied" || p.parent.empty()) continue;
        const auto parent = std::find_if(parameters.begin(), parameters.end(),
                                         [&](const ControlParameter& q) { return q.name == p.parent; });
        if (parent == parameters.end() || parent->value == 0.0)
            throw std::runtime_error("parameter " + p.name + " is tied to " + p.parent +
                                     ", which has no usable value");
        values[p.name] = p.value * (values.at(parent->name) / parent->value);
    }
    return values;
}

int run_model_command(const std::string& command, const std::string& folder) {
    std::vector<std::string> argv_text = words(command);
    if (argv_text.empty()) throw std::runtime_error("an empty model command");
    std::string program = argv_text[0];
    if (program.find('/') == std::string::npos) {
        program = found_in_path(program);
        if (program.empty()) {
            throw std::runtime_error("cannot start the model command '" + command + "': '" + argv_text[0] +
                                     "' is not in a folder of PATH (a program in the run folder is named ./" +
                                     argv_text[0] + ")");
        }
    }
    std::vector<char*> argv;
    for (std::string& word : argv_text) argv.push_back(word.data());
    argv.push_back(nullptr);

    // The child reports a failed start through this pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        int error = 0;
        const int null_input = ::open("/dev/null", O_RDONLY);
        if (::chdir(folder.c_str()) != 0 || null_input < 0 || ::dup2(null_input, 0) < 0 || ::dup2(2, 1) < 0) {
            error = errno;
        } else {
            if (null_input != 0) ::close(null_input);
            ::execv(program.c_str(), argv.data());
            error = errno;
        }
        (void)!::write(report[1], &error, sizeof error);
        _exit(127);
    }
    ::close(report[1]);
    int error = 0;
    const bool failed_to_start =
        ::read(report[0], &error, sizeof error) == static_cast<ssize_t>(sizeof error);
    ::close(report[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (failed_to_start) {
        throw std::runtime_error("cannot start the model command '" + command + "' in " + folder + ": " +
                                 common::system_error_text(error));
    }
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

std::vector<Observation> run_model(const std::string& folder, const ModelInterface& model,
                                   const ParameterValues& values) {
    const auto in_folder = [&](const std::string& name) {
        return name.starts_with('/') ? name : folder + "/" + name;
    };
    for (const auto& [template_file, input_file] : model.templates) {
        write_model_input(in_folder(template_file), values, in_folder(input_file));
    }
    for (const std::string& command : model.commands) {
        const int status = run_model_command(command, folder);
        if (status != 0) {
            throw std::runtime_error("the model command '" + command + "' in " + folder +
                                     " ended with status " + std::to_string(status));
        }
    }
    std::vector<Observation> observations;
    for (const auto& [instruction_file, output_file] : model.instructions) {
        std::vector<Observation> read =
            read_observations(in_folder(instruction_file), in_folder(output_file));
        observations.insert(observations.end(), read.begin(), read.end());
    }
    return observations;
}

std::vector<AgentRun> run_agents(const std::string& control_name, int runs,
                                 const std::vector<std::string>& folders) {
    std::vector<AgentRun> all(folders.size() * static_cast<std::size_t>(std::max(runs, 0)));
    std::vector<std::thread> agents;
    for (std::size_t a = 0; a < folders.size(); ++a) {
        agents.emplace_back([&, a] {
            ModelInterface model;
            std::string setup_failure;
            try {
                model = read_model_interface(folders[a] + "/" + control_name);
            } catch (const std::exception& error) {
                setup_failure = error.what();
            }
            for (int round = 0; round < runs; ++round) {
                AgentRun& run = all[a * static_cast<std::size_t>(runs) + static_cast<std::size_t>(round)];
                run.folder = folders[a];
                run.k = static_cast<int>(a) * runs + round + 1;
                run.failure = setup_failure;
                if (!setup_failure.empty()) continue;
                try {
                    run.observations = run_model(folders[a], model, stand_in_values(model.parameters, run.k));
                } catch (const std::exception& error) {
                    run.failure = error.what();
                }
            }
        });
    }
    for (std::thread& agent : agents) agent.join();
    return all;
}

}  // namespace tools
