#pragma once
// A run directory for colfit, as a user lays it out: SystemFiles with the generator's three inputs
// (the calibration example's, or others written by the test), the program copied beside them; and
// the two ways colfit is started: by its absolute path from another folder with the run directory
// as its argument, or as ./colfit inside the run directory. Standard input is empty.

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/program_runner.hpp"
#include "tests/support/temp_dir.hpp"

namespace colfit_e2e {

inline const std::filesystem::path kCalibration =
    std::filesystem::path(CT_SOURCE_DIR) / "examples" / "calibration" / "run";

// The files every fit writes into the run directory.
inline const std::vector<std::string> kOutputs = {
    "fit_parameters.par", "fit_summary.json", "fit_report.txt", "fit_curve.txt",
    "fit_input.txt",      "fit.gp",           "fit.png"};

class FitRun {
  public:
    FitRun() : run_(dir_ / "run"), elsewhere_(dir_ / "elsewhere") {
        std::filesystem::create_directories(run_ / "SystemFiles");
        std::filesystem::create_directories(elsewhere_);
        for (const char* name : {"ParsToFit.txt", "TimeAndCoords.txt", "ExpData.txt"})
            std::filesystem::copy_file(kCalibration / "SystemFiles" / name, run_ / "SystemFiles" / name);
        std::filesystem::copy_file(test_support::built_program("colfit"), run_ / "colfit");
    }

    const std::filesystem::path& path() const { return run_; }
    const std::filesystem::path& elsewhere() const { return elsewhere_; }
    void write(const std::string& name, std::string_view text) const {
        test_support::write_file(run_ / name, text);
    }
    std::string read(const std::string& name) const { return test_support::read_file(run_ / name); }
    bool has(const std::string& name) const { return std::filesystem::exists(run_ / name); }

    // build/bin/colfit RUN_DIR [arguments], started in another folder.
    test_support::ProgramRun by_absolute_path(std::vector<std::string> arguments = {}) const {
        test_support::ProgramOptions options;
        options.executable = std::filesystem::absolute(test_support::built_program("colfit"));
        options.arguments = {run_.string()};
        options.arguments.insert(options.arguments.end(), arguments.begin(), arguments.end());
        options.working_directory = elsewhere_;
        return test_support::run_program(options);
    }

    // ./colfit [arguments] inside the run directory.
    test_support::ProgramRun inside(std::vector<std::string> arguments = {}) const {
        test_support::ProgramOptions options;
        options.executable = run_ / "colfit";
        options.argument0 = "./colfit";
        options.arguments = std::move(arguments);
        options.working_directory = run_;
        return test_support::run_program(options);
    }

  private:
    test_support::TempDir dir_;
    std::filesystem::path run_;
    std::filesystem::path elsewhere_;
};

}  // namespace colfit_e2e
