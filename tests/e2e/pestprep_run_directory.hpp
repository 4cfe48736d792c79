#pragma once
// A run directory for the generators, as users lay it out: the program beside tracer_fit.pst and
// the SystemFiles folder, run from elsewhere.

#include <filesystem>
#include <map>
#include <string>

#include "tests/support/program_runner.hpp"
#include "tests/support/temp_dir.hpp"

namespace pestprep_e2e {

class RunDirectory {
  public:
    explicit RunDirectory(const std::string& program = "pestprep", bool with_system_files = true)
        : program_(program), run_(dir_ / "run") {
        std::filesystem::create_directories(run_);
        if (with_system_files) std::filesystem::create_directories(run_ / "SystemFiles");
        std::filesystem::copy_file(test_support::built_program(program), run_ / program);
    }

    const std::filesystem::path& path() const { return run_; }
    std::filesystem::path operator/(const std::string& name) const { return run_ / name; }

    void write(const std::string& name, std::string_view text) const {
        test_support::write_file(run_ / name, text);
    }
    std::string read(const std::string& name) const { return test_support::read_file(run_ / name); }

    // permissions_bind: as the superuser, without the capabilities that override file permissions.
    test_support::ProgramRun run(const std::string& input = "", bool permissions_bind = false) const {
        test_support::ProgramOptions options;
        options.executable = run_ / program_;
        options.working_directory = dir_.path();
        options.input = input;
        options.permissions_bind = permissions_bind;
        return test_support::run_program(options);
    }

    // Every file under the run directory but the program, by its path relative to the directory.
    std::map<std::string, std::string> files() const {
        std::map<std::string, std::string> all;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(run_)) {
            if (!entry.is_regular_file() || entry.path().filename() == program_) continue;
            all[std::filesystem::relative(entry.path(), run_).string()] =
                test_support::read_file(entry.path());
        }
        return all;
    }

  private:
    test_support::TempDir dir_;
    std::string program_;
    std::filesystem::path run_;
};

}  // namespace pestprep_e2e
