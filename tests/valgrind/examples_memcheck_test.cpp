// The real programs under valgrind's memcheck on the examples of every mode, each on a copy laid
// out as a user's run directory: no invalid read or write, no use of an uninitialised value and
// no leak.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "tests/support/program_runner.hpp"
#include "tests/support/temp_dir.hpp"

namespace {

namespace fs = std::filesystem;
using test_support::built_program;
using test_support::ProgramOptions;
using test_support::ProgramRun;
using test_support::read_file;
using test_support::TempDir;

constexpr int kMemcheckFailure = 99;

// valgrind from PATH, or an empty path when it is not installed.
fs::path find_valgrind() {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / "valgrind";
        if (!folder.empty() && fs::exists(candidate)) return candidate;
    }
    return {};
}

// A copy of examples/<name>: <dir>/run holding the example's files and the program,
// <dir>/Saved_Simulations beside it.
struct ExampleCopy {
    ExampleCopy(const std::string& name, const std::string& program) {
        fs::copy(fs::path(CT_SOURCE_DIR) / "examples" / name, dir.path(), fs::copy_options::recursive);
        fs::create_directories(dir / "Saved_Simulations");
        fs::copy_file(built_program(program), run / program);
        executable = run / program;
    }

    TempDir dir;
    fs::path run = dir / "run";
    fs::path executable;
};

// Runs the program of the copy under memcheck, from its run directory.
ProgramRun memcheck(const ExampleCopy& example) {
    const fs::path valgrind = find_valgrind();
    if (valgrind.empty()) {
        ADD_FAILURE() << "valgrind is not installed (scripts/setup-deps.sh installs it)";
        return {};
    }
    ProgramOptions options;
    options.executable = valgrind;
    options.arguments = {"--error-exitcode=" + std::to_string(kMemcheckFailure), "--leak-check=full",
                         example.executable.string()};
    options.working_directory = example.run;
    options.timeout = std::chrono::seconds(300);
    return test_support::run_program(options);
}

void expect_clean(const ProgramRun& run) {
    EXPECT_FALSE(run.timed_out);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("ERROR SUMMARY: 0 errors"), std::string::npos) << run.err;
}

// The example's name as the test's name.
std::string example_name(const testing::TestParamInfo<const char*>& info) {
    return info.param;
}

class SimulatorMemcheck : public testing::TestWithParam<const char*> {};

TEST_P(SimulatorMemcheck, ExampleRunsClean) {
    const ExampleCopy example(GetParam(), "coltrans");
    const ProgramRun run = memcheck(example);
    expect_clean(run);
    EXPECT_FALSE(read_file(example.run / "print.txt").empty());
    EXPECT_FALSE(read_file(example.dir / "Saved_Simulations" / "Total_Runs1.txt").empty());
}

INSTANTIATE_TEST_SUITE_P(EveryMode, SimulatorMemcheck,
                         testing::Values("instantaneous", "broad_pulse", "sorption"), example_name);

class GeneratorMemcheck : public testing::TestWithParam<const char*> {};

TEST_P(GeneratorMemcheck, CalibrationExampleRunsClean) {
    const ExampleCopy example("calibration", GetParam());
    const std::string before = read_file(example.run / "tracer_fit.pst");
    const ProgramRun run = memcheck(example);
    expect_clean(run);
    EXPECT_NE(read_file(example.run / "tracer_fit.pst"), before);
    EXPECT_FALSE(read_file(example.run / "input.tpl").empty());
    EXPECT_FALSE(read_file(example.run / "print.ins").empty());
}

INSTANTIATE_TEST_SUITE_P(BothVariants, GeneratorMemcheck, testing::Values("pestprep", "pestprep_keeplim"),
                         example_name);

}  // namespace
